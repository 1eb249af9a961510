// The fairy rules of the solver against a plain reference with a move
// generator of its own (support/fairy_reference), on random positions of
// every family: fairy kings, different kings, each rebirth rule, selfmates
// and helpselfmates. Both count the legal moves to two plies and answer
// whether the rule's goal is reached within k plies.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "matesolver/dfpn.h"
#include "matesolver/helpmate.h"
#include "shogi/movegen.h"
#include "support/fairy_reference.h"
#include "support/random_position.h"

namespace {

using namespace shogi;
namespace ref = fairy_reference;

int pick(std::mt19937& rng, int n) { return int(rng() % unsigned(n)); }

// A piece of a random kind on (file, rank) when that is a square and the
// rules allow it there.
void tryPlace(Position& pos, std::mt19937& rng, int used[8], Color c, int file, int rank) {
  if (file >= 1 && file <= 9 && rank >= 1 && rank <= 9) random_position::tryPlace(pos, rng, used, c, square(file, rank));
}

struct Family {
  const char* name;
  ref::Goal goal;
  Rebirth rebirth;
  enum Kings { NORMAL, SAME_FAIRY, DIFFERENT } kings;
  int minPlies, maxPlies;
};

// A small position for the family: the defender's king in the upper part
// of the board, the attacker's near it when the rule needs one (or now and
// then otherwise), pieces of both sides around them, a piece or two in
// each hand. For the selfmate rules the attacker's king stands low on the
// board among its own pieces with the defender's king a few ranks above,
// where selfmates are less rare. The side to move always has a move.
Position randomPosition(std::mt19937& rng, const Family& family) {
  const bool selfmate = family.goal == ref::Goal::Selfmate || family.goal == ref::Goal::Helpselfmate;
  for (;;) {
    PieceType kings[2] = {KING, KING};
    if (family.kings == Family::SAME_FAIRY) kings[BLACK] = kings[WHITE] = PieceType(QUEEN_KING + pick(rng, 12));
    if (family.kings == Family::DIFFERENT) {
      for (PieceType& k : kings) k = pick(rng, 4) == 0 ? KING : PieceType(QUEEN_KING + pick(rng, 12));
    }
    Position pos;
    pos.setRebirth(family.rebirth);
    int used[8] = {};
    int wf, wr, bf = 0, br = 0;
    if (selfmate) {
      bf = 1 + pick(rng, 9);
      br = 6 + pick(rng, 4);
      wf = bf + pick(rng, 5) - 2;
      wr = br - 2 - pick(rng, 3);
      if (wf < 1 || wf > 9 || wr < 1) continue;
      pos.put(square(bf, br), makePiece(BLACK, kings[BLACK]));
      pos.put(square(wf, wr), makePiece(WHITE, kings[WHITE]));
      for (int i = 1 + pick(rng, 4); i > 0; --i) tryPlace(pos, rng, used, BLACK, bf + pick(rng, 3) - 1, br + pick(rng, 3) - 1);
    } else {
      wf = 1 + pick(rng, 9);
      wr = 1 + pick(rng, 4);
      pos.put(square(wf, wr), makePiece(WHITE, kings[WHITE]));
      if (pick(rng, 3) == 0) {
        bf = wf + pick(rng, 7) - 3;
        br = wr + 1 + pick(rng, 4);
        if (bf < 1 || bf > 9 || br > 9 || pos.at(square(bf, br)) != EMPTY) continue;
        pos.put(square(bf, br), makePiece(BLACK, kings[BLACK]));
      }
    }
    for (int i = 2 + pick(rng, 6); i > 0; --i) {
      const bool nearBlack = br != 0 && pick(rng, 2) == 0;
      const int f = (nearBlack ? bf : wf) + pick(rng, 5) - 2, r = (nearBlack ? br : wr) + pick(rng, 5) - 2;
      tryPlace(pos, rng, used, pick(rng, 3) ? BLACK : WHITE, f, r);
    }
    random_position::addSmallHands(pos, rng, used);
    const bool attackerFirst = family.goal == ref::Goal::Mate || family.goal == ref::Goal::Selfmate || pick(rng, 2);
    pos.setSideToMove(attackerFirst ? BLACK : WHITE);
    if (pos.inCheck(~pos.sideToMove()) || !hasLegalMove(pos)) continue;
    return pos;
  }
}

// The reference's description of a position of the rules core.
ref::Problem problemOf(const Position& pos) {
  ref::Problem problem;
  problem.sfen = pos.sfen();
  problem.rebirth = pos.rebirth() == Rebirth::CIRCE        ? ref::Rebirth::Circe
                    : pos.rebirth() == Rebirth::ANTI_CIRCE ? ref::Rebirth::AntiCirce
                    : pos.rebirth() == Rebirth::PWC        ? ref::Rebirth::Pwc
                                                           : ref::Rebirth::None;
  for (Color c : {BLACK, WHITE}) {
    const Square k = pos.kingSquare(c);
    const PieceType t = k == NO_SQUARE ? KING : typeOf(pos.at(k));
    problem.kings[c] = t == KING ? ref::King::Normal : ref::King(1 + (t - QUEEN_KING));
  }
  return problem;
}

// Selfmates within 2 or 4 plies are rare among random positions: these were
// found by the selfmate search among some 300 000 random positions of the
// kind above (the first group with kings, the second under Circe with fairy
// kings). The reference judges them here like every other position.
struct Found {
  const char* sfen;
  int blackKing, whiteKing;  // piece types of the rules core
  int plies;
};
const Found kFoundSelfmates[] = {
#include "data/selfmates_found.inc"
};
const Found kFoundCirceSelfmates[] = {
#include "data/circe_selfmates_found.inc"
};

Position positionOf(const Found& found, Rebirth rebirth) {
  Position pos;
  std::string error;
  EXPECT_TRUE(pos.setSfen(found.sfen, &error)) << found.sfen;
  pos.setRebirth(rebirth);
  pos.put(pos.kingSquare(BLACK), makePiece(BLACK, PieceType(found.blackKing)));
  pos.put(pos.kingSquare(WHITE), makePiece(WHITE, PieceType(found.whiteKing)));
  return pos;
}

bool solverReaches(Position& pos, ref::Goal goal, int plies) {
  switch (goal) {
    case ref::Goal::Mate:
    case ref::Goal::Selfmate: {
      matesolver::MateSearch search(1);
      search.futileRule = false;  // the reference lets every interposition count
      search.setSelfmate(goal == ref::Goal::Selfmate);
      return search.attackerMates(pos, plies);
    }
    case ref::Goal::Helpmate:
    case ref::Goal::Helpselfmate: {
      matesolver::HelpmateSearch search(1);
      search.selfmate = goal == ref::Goal::Helpselfmate;
      return search.find(pos, plies, Move{}, nullptr);
    }
  }
  return false;
}

class AgainstReference : public testing::TestWithParam<Family> {};

TEST_P(AgainstReference, MovesAndGoals) {
  const Family& family = GetParam();
  std::mt19937 rng(20261210u + unsigned(family.goal) * 131u + unsigned(family.rebirth) * 17u + family.kings);
  // The found selfmates first (for the selfmate families), then random
  // positions up to 300.
  std::vector<std::pair<Position, int>> positions;
  const bool selfmateGoal = family.goal == ref::Goal::Selfmate || family.goal == ref::Goal::Helpselfmate;
  if (selfmateGoal && (family.rebirth == Rebirth::NONE || family.rebirth == Rebirth::CIRCE)) {
    // Every selfmate is a helpselfmate too.
    const bool circe = family.rebirth == Rebirth::CIRCE;
    const Found* begin = circe ? std::begin(kFoundCirceSelfmates) : std::begin(kFoundSelfmates);
    const Found* end = circe ? std::end(kFoundCirceSelfmates) : std::end(kFoundSelfmates);
    for (const Found& f : std::vector<Found>(begin, end)) {
      positions.push_back({positionOf(f, family.rebirth), f.plies});
      positions.push_back({positionOf(f, family.rebirth), f.plies - 2});
    }
  }
  while (positions.size() < 300) {
    int plies = family.minPlies + pick(rng, family.maxPlies - family.minPlies + 1);
    if (family.goal == ref::Goal::Selfmate) plies &= ~1;
    positions.push_back({randomPosition(rng, family), plies});
  }
  int reached = 0;
  for (auto& [pos, plies] : positions) {
    const ref::Problem problem = problemOf(pos);
    const std::string where = std::string(family.name) + " " + problem.sfen + " kings " +
                              std::to_string(int(problem.kings[0])) + "/" + std::to_string(int(problem.kings[1])) +
                              " within " + std::to_string(plies);
    ASSERT_EQ(perft(pos, 2), ref::perft(problem, 2)) << where;
    const bool expected = ref::reaches(problem, family.goal, plies);
    ASSERT_EQ(solverReaches(pos, family.goal, plies), expected) << where;
    reached += expected;
  }
  std::printf("%s: %zu positions, goal reached in %d\n", family.name, positions.size(), reached);
  // Both answers come up often enough for the comparison to mean something.
  EXPECT_GE(reached, 5);
  EXPECT_LE(reached, int(positions.size()) - 5);
}

INSTANTIATE_TEST_SUITE_P(
    Families, AgainstReference,
    testing::Values(Family{"FairyKingsMate", ref::Goal::Mate, Rebirth::NONE, Family::SAME_FAIRY, 1, 5},
                    Family{"FairyKingsHelpmate", ref::Goal::Helpmate, Rebirth::NONE, Family::SAME_FAIRY, 1, 4},
                    Family{"DifferentKingsMate", ref::Goal::Mate, Rebirth::NONE, Family::DIFFERENT, 1, 5},
                    Family{"DifferentKingsHelpmate", ref::Goal::Helpmate, Rebirth::NONE, Family::DIFFERENT, 1, 4},
                    Family{"CirceMate", ref::Goal::Mate, Rebirth::CIRCE, Family::NORMAL, 1, 5},
                    Family{"CirceHelpmate", ref::Goal::Helpmate, Rebirth::CIRCE, Family::NORMAL, 1, 4},
                    Family{"AntiCirceMate", ref::Goal::Mate, Rebirth::ANTI_CIRCE, Family::NORMAL, 1, 5},
                    Family{"AntiCirceHelpmate", ref::Goal::Helpmate, Rebirth::ANTI_CIRCE, Family::NORMAL, 1, 4},
                    Family{"PwcMate", ref::Goal::Mate, Rebirth::PWC, Family::NORMAL, 1, 5},
                    Family{"PwcHelpmate", ref::Goal::Helpmate, Rebirth::PWC, Family::NORMAL, 1, 4},
                    Family{"Selfmate", ref::Goal::Selfmate, Rebirth::NONE, Family::NORMAL, 2, 4},
                    Family{"SelfmateUnderConditions", ref::Goal::Selfmate, Rebirth::CIRCE, Family::DIFFERENT, 2, 4},
                    Family{"Helpselfmate", ref::Goal::Helpselfmate, Rebirth::NONE, Family::NORMAL, 1, 5},
                    Family{"HelpselfmateUnderConditions", ref::Goal::Helpselfmate, Rebirth::PWC, Family::SAME_FAIRY,
                           1, 4}),
    [](const testing::TestParamInfo<Family>& info) { return std::string(info.param.name); });

}  // namespace
