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

}  // namespace
