// The rules core and the mate search against OpenShogiLib, an independent
// implementation, and against a plain exhaustive search, on random
// positions.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <sstream>
#include <string>

#include "matesolver/dfpn.h"
#include "shogi/movegen.h"
#include "support/brute_mate.h"
#include "support/oracle_client.h"
#include "support/random_position.h"

namespace {

using namespace shogi;

std::string ourMoves(Position& pos) {
  MoveList list;
  generateLegal(pos, list);
  std::vector<std::string> moves;
  for (Move m : list) moves.push_back(usiMove(m));
  std::sort(moves.begin(), moves.end());
  std::string text;
  for (const std::string& m : moves) text += (text.empty() ? "" : " ") + m;
  return text;
}

TEST(RulesAgainstOpenShogiLib, PerftToDepthThree) {
  OracleClient oracle(OSL_ORACLE);
  ASSERT_TRUE(oracle.running());
  std::mt19937 rng(20261209);
  int compared = 0, pawnDropMates = 0;
  for (int i = 0; i < 240; ++i) {
    const bool crafted = i % 8 == 0;
    Position pos = crafted ? random_position::pawnDropMate(rng) : random_position::general(rng);
    pawnDropMates += crafted;
    const std::string sfen = pos.sfen();
    ASSERT_EQ(ourMoves(pos), oracle.ask("moves " + sfen)) << sfen;
    for (int depth = 2; depth <= 3; ++depth) {
      ASSERT_EQ(std::to_string(perft(pos, depth)), oracle.ask("perft " + std::to_string(depth) + " " + sfen))
          << sfen << " depth " << depth;
    }
    ++compared;
  }
  EXPECT_EQ(compared, 240);
  EXPECT_EQ(pawnDropMates, 30);
}

TEST(RulesAgainstOpenShogiLib, ChecksAreTheLegalMovesThatCheck) {
  std::mt19937 rng(7);
  for (int i = 0; i < 2000; ++i) {
    Position pos = random_position::general(rng);
    MoveList checks, legal;
    generateChecks(pos, checks);
    generateLegal(pos, legal);
    std::set<uint32_t> fast, slow;
    for (Move m : checks) fast.insert(m.raw);
    for (Move m : legal) {
      if (givesCheck(pos, m)) slow.insert(m.raw);
    }
    ASSERT_EQ(fast, slow) << pos.sfen();
  }
}

// Mate or not against OpenShogiLib's df-pn; the shortest mate against its
// fixed-depth search and against the exhaustive search of our own.
TEST(MateAgainstOpenShogiLib, RandomProblems) {
  OracleClient oracle(OSL_ORACLE);
  ASSERT_TRUE(oracle.running());
  std::mt19937 rng(4242);
  int mates = 0, nomates = 0, sameLength = 0;
  constexpr int kBound = 7;
  for (int i = 0; i < 300; ++i) {
    Position pos = random_position::tsume(rng);
    const std::string sfen = pos.sfen();
    const std::string osl = oracle.ask("dfpn 200000 " + sfen);
    const std::string fixed = oracle.ask("fixed 5 " + sfen);

    // Every interposition counts, as it does for OpenShogiLib.
    matesolver::MateSearch counting(8);
    counting.futileRule = false;
    int ours = 0;
    for (int plies = 1; plies <= kBound && ours == 0; plies += 2) {
      if (counting.attackerMates(pos, plies)) ours = plies;
    }
    BruteMate brute(false);
    const int exhaustive = brute.shortest(pos, 5);
    EXPECT_EQ(ours != 0 && ours <= 5 ? ours : 0, exhaustive) << sfen;

    if (osl == "nomate") {
      EXPECT_EQ(ours, 0) << sfen;
      ++nomates;
    }
    if (ours != 0) {
      EXPECT_NE(osl, "nomate") << sfen;
      ++mates;
    }
    if (fixed.rfind("mate ", 0) == 0) {
      const int n = std::stoi(fixed.substr(5));
      EXPECT_NE(ours, 0) << sfen;
      EXPECT_LE(ours, n) << sfen;
      sameLength += ours == n;
    }

    // Futile interpositions only shorten: the tsume count is never longer.
    matesolver::MateSearch tsume(8);
    int withFutility = 0;
    const int futileBound = ours != 0 ? ours : 5;
    for (int plies = 1; plies <= futileBound && withFutility == 0; plies += 2) {
      if (tsume.attackerMates(pos, plies)) withFutility = plies;
    }
    if (ours != 0) {
      EXPECT_NE(withFutility, 0) << sfen;
      EXPECT_LE(withFutility, ours) << sfen;
    }
    BruteMate bruteFutile(true);
    const int exhaustiveFutile = bruteFutile.shortest(pos, 5);
    EXPECT_EQ(withFutility != 0 && withFutility <= 5 ? withFutility : 0, exhaustiveFutile) << sfen;
  }
  // Both answers occur often enough for the comparison to mean something.
  EXPECT_GE(mates, 20);
  EXPECT_GE(nomates, 20);
  RecordProperty("mates", mates);
  RecordProperty("same_length_as_fixed_depth", sameLength);
}

// Drops away from the king are searched one at a time (those on squares the
// defender guards, and those on squares it does not), each after the ones
// before it are mated: positions where some check leaves the defender
// drops on two or more squares away from the king, against the exhaustive
// search, which looks at every drop at once.
TEST(MateAgainstExhaustiveSearch, DropsAwayFromTheKingTakenOneAtATime) {
  std::mt19937 rng(5151);
  int mates = 0, nomates = 0;
  for (int i = 0; i < 40000 && mates < 30; ++i) {
    Position pos = random_position::tsume(rng);
    bool dropsAway = false;
    MoveList checks;
    generateChecks(pos, checks);
    for (Move m : checks) {
      pos.doMove(m);
      const matesolver::Interposition ip = matesolver::interpositionSquares(pos);
      const Square king = pos.kingSquare(WHITE);
      int away = 0;
      for (int k = 0; k < ip.count; ++k) {
        away += std::abs(fileOf(ip.squares[k]) - fileOf(king)) > 1 || std::abs(rankOf(ip.squares[k]) - rankOf(king)) > 1;
      }
      MoveList replies;
      generateLegal(pos, replies);
      const int drops = int(std::count_if(replies.begin(), replies.end(), [](Move r) { return r.isDrop(); }));
      pos.undoMove(m);
      if (away >= 2 && drops >= 3) {
        dropsAway = true;
        break;
      }
    }
    if (!dropsAway) continue;
    matesolver::MateSearch search(8);
    int ours = 0;
    for (int plies = 1; plies <= 5 && ours == 0; plies += 2) {
      if (search.attackerMates(pos, plies)) ours = plies;
    }
    BruteMate brute(true);
    EXPECT_EQ(ours, brute.shortest(pos, 5)) << pos.sfen();
    ours != 0 ? ++mates : ++nomates;
  }
  // Mates are the rarer answer among such positions.
  EXPECT_GE(mates, 30);
  EXPECT_GE(nomates, 30);

  // No mate within 5, because a drop that is not the first of its chain
  // defends where the first one is mated: a search that never took the
  // later drops up would find a mate in 5 in each.
  const char* laterDropDefends[] = {
      "7k1/5R3/5r3/9/9/9/9/9/9 b S2Lb4g3s2n2l18p 1",
      "2kp5/9/1+B7/4GN3/9/9/9/9/9 b 2LP2rb3g4sn2l2p 1",
      "6k1G/8+B/9/3sL4/9/9/9/9/9 b SNL2rbg2s3n2l18p 1",
      "7k1/5+b2P/4+N1B2/9/9/9/9/9/9 b S2L2rg3s3nl17p 1",
  };
  for (const char* sfen : laterDropDefends) {
    Position pos;
    ASSERT_TRUE(pos.setSfen(sfen, nullptr)) << sfen;
    BruteMate brute(true);
    ASSERT_EQ(brute.shortest(pos, 5), 0) << sfen;
    matesolver::MateSearch search(8);
    EXPECT_FALSE(search.attackerMates(pos, 5)) << sfen;
  }
}

}  // namespace
