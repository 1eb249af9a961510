// The mate search's transposition table: which stored results a probe
// returns for which hands and bounds, and that many entries of one board
// do not push each other out.
#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "matesolver/dfpn.h"

namespace {

using matesolver::TranspositionTable;
using shogi::handUnit;
using shogi::PackedHand;

constexpr uint64_t kBoard = 0x5DEECE66DA3B1F27ull;
constexpr PackedHand P = handUnit(shogi::PAWN), G = handUnit(shogi::GOLD), S = handUnit(shogi::SILVER),
                     R = handUnit(shogi::ROOK);

// Unresolved entries of one board, many hands and several bounds, as a long
// problem produces them (pieces dropped and taken, positions reached at
// different depths): each is found again with its own numbers.
TEST(TranspositionTable, UnresolvedEntriesOfOneBoardDoNotCrowdEachOtherOut) {
  TranspositionTable table(1);
  struct Stored {
    PackedHand attacker, defender;
    int bound;
    uint32_t pn, dn;
  };
  std::vector<Stored> stored;
  uint32_t n = 2;
  for (int pawns = 0; pawns < 6; ++pawns) {
    for (int golds = 0; golds < 2; ++golds) {
      for (int bound : {9, 11, 13}) {
        stored.push_back({pawns * P + golds * G, (5 - pawns) * P + (1 - golds) * G, bound, n, n + 1});
        n += 2;
      }
    }
  }
  for (const Stored& s : stored) table.storeUnknown(kBoard, s.attacker, s.defender, s.bound, s.pn, s.dn, 100);
  for (const Stored& s : stored) {
    const TranspositionTable::Probe e = table.probe(kBoard, s.attacker, s.defender, s.bound);
    EXPECT_TRUE(e.found) << s.pn;
    EXPECT_EQ(e.state, TranspositionTable::UNKNOWN) << s.pn;
    EXPECT_EQ(e.pn, s.pn);
    EXPECT_EQ(e.dn, s.dn);
  }
  // An unresolved entry answers for its own bound only.
  EXPECT_FALSE(table.probe(kBoard, stored[0].attacker, stored[0].defender, 7).found);
  EXPECT_FALSE(table.probe(kBoard, stored[0].attacker, stored[0].defender, 15).found);
}

// A proof of length 7 that uses a gold and a pawn from the attacker's hand,
// against a defender holding a silver.
TEST(TranspositionTable, AProofServesRicherAttackersPoorerDefendersAndLongerBounds) {
  struct Row {
    const char* what;
    PackedHand attacker, defender;
    int bound;
    bool proven;
  };
  const Row rows[] = {
      {"the same hands and bound", G + P, S, 7, true},
      {"a longer bound", G + P, S, 21, true},
      {"a shorter bound", G + P, S, 5, false},
      {"the attacker holds more", G + P + R, S, 7, true},
      {"the attacker lacks the pawn", G, S, 7, false},
      {"the defender holds nothing", G + P, 0, 7, true},
      {"the defender holds more", G + P, S + P, 7, false},
  };
  TranspositionTable table(1);
  table.storeProven(kBoard, G + P, S, 7, shogi::Move::drop(shogi::GOLD, 40), 1000);
  for (const Row& row : rows) {
    const TranspositionTable::Probe e = table.probe(kBoard, row.attacker, row.defender, row.bound);
    EXPECT_EQ(e.state == TranspositionTable::PROVEN, row.proven) << row.what;
    if (row.proven) {
      EXPECT_EQ(e.length, 7) << row.what;
      EXPECT_EQ(e.proofHand, G + P) << row.what;
      EXPECT_EQ(e.best, shogi::Move::drop(shogi::GOLD, 40)) << row.what;
    }
  }
  // Another board, same cluster or not, knows nothing of it.
  EXPECT_FALSE(table.probe(kBoard ^ 0x10000, G + P, S, 7).found);
}

// A disproof within 9 plies, the attacker holding a gold and the defender a
// silver.
TEST(TranspositionTable, ADisproofServesPoorerAttackersRicherDefendersAndShorterBounds) {
  struct Row {
    const char* what;
    PackedHand attacker, defender;
    int bound;
    bool disproven;
  };
  const Row rows[] = {
      {"the same hands and bound", G, S, 9, true},
      {"a shorter bound", G, S, 3, true},
      {"a longer bound", G, S, 11, false},
      {"the attacker holds nothing", 0, S, 9, true},
      {"the attacker holds more", G + P, S, 9, false},
      {"the defender holds more", G, S + R, 9, true},
      {"the defender holds nothing", G, 0, 9, false},
  };
  TranspositionTable table(1);
  table.storeDisproven(kBoard, G, S, 9, 1000);
  for (const Row& row : rows) {
    const TranspositionTable::Probe e = table.probe(kBoard, row.attacker, row.defender, row.bound);
    EXPECT_EQ(e.state == TranspositionTable::DISPROVEN, row.disproven) << row.what;
  }
}

// A position settled within one bound gives up its unresolved entry for
// that bound, and only that one.
TEST(TranspositionTable, ForgettingAnUnresolvedEntryKeepsTheOthers) {
  TranspositionTable table(1);
  table.storeUnknown(kBoard, G + P, S, 9, 5, 7, 100);
  table.storeUnknown(kBoard, G + P, S, 11, 6, 8, 100);
  table.storeUnknown(kBoard, G, S, 9, 3, 4, 100);
  table.forgetUnknown(kBoard, G + P, S, 9);
  EXPECT_FALSE(table.probe(kBoard, G + P, S, 9).found);
  const TranspositionTable::Probe longer = table.probe(kBoard, G + P, S, 11);
  EXPECT_TRUE(longer.found);
  EXPECT_EQ(longer.pn, 6u);
  EXPECT_EQ(longer.dn, 8u);
  const TranspositionTable::Probe poorer = table.probe(kBoard, G, S, 9);
  EXPECT_TRUE(poorer.found);
  EXPECT_EQ(poorer.pn, 3u);
  EXPECT_EQ(table.used(), 2u);
}

// Proofs and disproofs of a board share its cluster with its unresolved
// entries; a board that goes on producing unresolved entries (a long
// problem's king walking back and forth with ever other hands) must not
// push its results out, and an entry placed elsewhere is still forgotten
// once its position is settled.
TEST(TranspositionTable, ManyUnresolvedEntriesKeepTheBoardsResults) {
  TranspositionTable table(1);
  table.storeProven(kBoard, G, 0, 7, shogi::Move::drop(shogi::GOLD, 40), 1);
  table.storeDisproven(kBoard, 0, S + R, 9, 1);
  for (int pawns = 0; pawns < 12; ++pawns) {
    for (int bound : {9, 11, 13}) table.storeUnknown(kBoard, R + pawns * P, S, bound, 2, 3, 1000);
  }
  EXPECT_EQ(table.probe(kBoard, G + P, 0, 9).state, TranspositionTable::PROVEN);
  EXPECT_EQ(table.probe(kBoard, 0, S + R, 5).state, TranspositionTable::DISPROVEN);
  for (int pawns = 0; pawns < 12; ++pawns) {
    for (int bound : {9, 11, 13}) {
      const TranspositionTable::Probe e = table.probe(kBoard, R + pawns * P, S, bound);
      EXPECT_TRUE(e.found) << pawns << " " << bound;
    }
  }
  table.forgetUnknown(kBoard, R + 11 * P, S, 13);
  EXPECT_FALSE(table.probe(kBoard, R + 11 * P, S, 13).found);
  EXPECT_TRUE(table.probe(kBoard, R + 11 * P, S, 11).found);
}

// A table that starts small grows to its full size once an eighth of it is
// in use, and every entry it held is found again after that: proofs, disproofs, unresolved entries, and a board's many unresolved
// entries that went to clusters of their own.
TEST(TranspositionTable, GrowingKeepsEveryEntry) {
  TranspositionTable table(64, 1);
  const size_t start = table.capacity();
  ASSERT_EQ(table.largestCapacity(), start * 64);
  struct Stored {
    uint64_t key;
    int kind;  // 0 proven, 1 disproven, 2 unresolved
    PackedHand attacker, defender;
    int depth;
    uint32_t pn, dn;
  };
  std::vector<Stored> stored;
  std::mt19937_64 random(14);
  auto store = [&](const Stored& s) {
    stored.push_back(s);
    if (s.kind == 0) table.storeProven(s.key, s.attacker, s.defender, s.depth, shogi::Move::drop(shogi::GOLD, 40), 9);
    if (s.kind == 1) table.storeDisproven(s.key, s.attacker, s.defender, s.depth, 9);
    if (s.kind == 2) table.storeUnknown(s.key, s.attacker, s.defender, s.depth, s.pn, s.dn, 9);
  };
  auto storeRandom = [&]() {
    const uint32_t n = uint32_t(stored.size());
    store({random(), int(n % 3), (n % 5) * P + G, (n % 3) * S, int(2 * (n % 20) + 1), n + 1, n + 2});
  };
  while (stored.size() < start / 8) storeRandom();
  EXPECT_EQ(table.capacity(), start) << "an eighth in use: not yet";
  storeRandom();
  EXPECT_EQ(table.capacity(), table.largestCapacity());
  for (int pawns = 0; pawns < 12; ++pawns) {
    for (int bound : {9, 11, 13}) store({kBoard, 2, R + pawns * P, S, bound, 100u + pawns, 200u + bound});
  }
  for (int i = 0; i < 20000; ++i) storeRandom();
  EXPECT_EQ(table.used(), stored.size());
  for (const Stored& s : stored) {
    const TranspositionTable::Probe e = table.probe(s.key, s.attacker, s.defender, s.depth);
    ASSERT_TRUE(e.found) << s.kind << " " << s.key;
    if (s.kind == 0) {
      EXPECT_EQ(e.state, TranspositionTable::PROVEN);
      EXPECT_EQ(e.length, s.depth);
      EXPECT_EQ(e.best, shogi::Move::drop(shogi::GOLD, 40));
    } else if (s.kind == 1) {
      EXPECT_EQ(e.state, TranspositionTable::DISPROVEN);
    } else {
      EXPECT_EQ(e.state, TranspositionTable::UNKNOWN);
      EXPECT_EQ(e.pn, s.pn);
      EXPECT_EQ(e.dn, s.dn);
    }
  }
}

// Entries forgotten once their positions are settled make room again: a
// search that keeps few entries at a time never grows its table.
TEST(TranspositionTable, ForgottenEntriesDoNotMakeTheTableGrow) {
  TranspositionTable table(64, 1);
  const size_t start = table.capacity();
  std::mt19937_64 random(15);
  for (int round = 0; round < 4; ++round) {
    std::vector<uint64_t> keys;
    for (size_t i = 0; i < start / 8; ++i) {
      keys.push_back(random());
      table.storeUnknown(keys.back(), G, S, 9, 1, 1, 1);
    }
    for (uint64_t key : keys) table.forgetUnknown(key, G, S, 9);
  }
  EXPECT_EQ(table.capacity(), start);
  EXPECT_EQ(table.used(), 0u);
}

// A disproof that rests on a repetition cut-off, stored for one line (a
// root and the positions after it, in order) within 11 plies.
TEST(LineTable, ARepetitionDisproofServesItsOwnLineAndShorterBoundsOnly) {
  using matesolver::LineTable;
  constexpr uint64_t A = 0x1234567890ABCDEFull, B = 0x0FEDCBA987654321ull, C = 0x5555AAAA3333CCCCull;
  auto lineOf = [](bool exactRoot, std::initializer_list<uint64_t> positions) {
    uint64_t line = LineTable::start(exactRoot);
    for (uint64_t p : positions) line = LineTable::step(line, p);
    return line;
  };
  LineTable lines(1 << 10);
  lines.store(lineOf(false, {A, B, C}), 11, 1);  // it came back to B
  struct Row {
    const char* what;
    uint64_t line;
    int bound;
    bool disproven;
  };
  const Row rows[] = {
      {"the same line and bound", lineOf(false, {A, B, C}), 11, true},
      {"a shorter bound", lineOf(false, {A, B, C}), 5, true},
      {"a longer bound", lineOf(false, {A, B, C}), 13, false},
      {"the same position reached from another root", lineOf(false, {B, C}), 11, false},
      {"the same positions in another order", lineOf(false, {B, A, C}), 11, false},
      {"one more position on the line", lineOf(false, {A, B, A, C}), 11, false},
      {"the same line from a root with excluded moves", lineOf(true, {A, B, C}), 11, false},
  };
  for (const Row& row : rows) EXPECT_EQ(lines.disproven(row.line, row.bound), row.disproven) << row.what;
  int loop = -1;
  EXPECT_TRUE(lines.disproven(lineOf(false, {A, B, C}), 9, &loop));
  EXPECT_EQ(loop, 1) << "where the line came back to";
  lines.clear();
  EXPECT_FALSE(lines.disproven(lineOf(false, {A, B, C}), 11));
}

// Reads the classics of the test data up to `maxPlies` long: SFEN and
// recorded length.
std::vector<std::pair<std::string, int>> classicsUpTo(int maxPlies) {
  std::ifstream csv(std::string(DATA_DIR) + "/classic_zukou_musou.csv");
  if (!csv) ADD_FAILURE() << "cannot read " << DATA_DIR;
  std::string row;
  std::getline(csv, row);
  std::vector<std::pair<std::string, int>> rows;
  while (std::getline(csv, row)) {
    std::vector<std::string> fields;
    std::stringstream in(row);
    for (std::string f; std::getline(in, f, ',');) fields.push_back(f);
    if (fields.size() < 5) {
      ADD_FAILURE() << "short row: " << row;
      continue;
    }
    if (std::stoi(fields[4]) <= maxPlies) rows.emplace_back(fields[3], std::stoi(fields[4]));
  }
  return rows;
}

// One search asked about many positions and bounds in turn, its tables
// filling with proofs, disproofs and repetition disproofs of every earlier
// question, answers each as a fresh search does.
TEST(MateSearch, EarlierQuestionsDoNotChangeLaterAnswers) {
  struct Question {
    std::string sfen;
    int bound;
  };
  std::vector<Question> questions;
  for (const auto& [sfen, plies] : classicsUpTo(11)) {
    // The recorded length and two less: mates and positions that repeat
    // without one.
    for (int bound : {plies - 2, plies}) questions.push_back({sfen, bound});
  }
  ASSERT_GE(questions.size(), 10u);
  matesolver::MateSearch shared(4);
  int mates = 0;
  for (const Question& q : questions) {
    shogi::Position pos;
    ASSERT_TRUE(pos.setSfen(q.sfen, nullptr)) << q.sfen;
    matesolver::MateSearch fresh(4);
    shogi::Position copy = pos;
    const bool expected = fresh.attackerMates(copy, q.bound);
    EXPECT_EQ(shared.attackerMates(pos, q.bound), expected) << q.sfen << " within " << q.bound;
    mates += expected;
  }
  // Both answers occur.
  EXPECT_GT(mates, 0);
  EXPECT_LT(mates, int(questions.size()));
}

// A disproof whose lines all end by coming back to its own position (or to
// positions after it) holds whatever line reaches the position: the table
// keeps it for all of them. These positions have no mate within the bound,
// and their searches come back to them.
TEST(MateSearch, ADisproofThatComesBackOnlyToItselfIsKeptForEveryLine) {
  struct Question {
    const char* id;
    const char* sfen;
    int bound;
  };
  const Question questions[] = {
      {"musou-033", "2g1b4/l1p1ss3/kN1r1B3/3p+R4/p3P+p3/+lL1s5/9/9/1P7 b 3Gs3nl12p 1", 9},
      {"musou-033", "2g1b4/l1p1ss3/kN1r1B3/3p+R4/p3P+p3/+lL1s5/9/9/1P7 b 3Gs3nl12p 1", 11},
      {"musou-050", "9/4nR2g/9/7P+b/4p1s1P/6Bk1/6L+l1/9/6P1+R b 3S3g3n2l14p 1", 9},
  };
  for (const Question& q : questions) {
    shogi::Position pos;
    ASSERT_TRUE(pos.setSfen(q.sfen, nullptr)) << q.id;
    matesolver::MateSearch search(4);
    shogi::Position copy = pos;
    EXPECT_FALSE(search.attackerMates(copy, q.bound)) << q.id << " within " << q.bound;
    const TranspositionTable::Probe e =
        search.table().probe(pos.boardKey(), pos.packedHand(shogi::BLACK), pos.packedHand(shogi::WHITE), q.bound);
    EXPECT_EQ(e.state, TranspositionTable::DISPROVEN) << q.id << " within " << q.bound;
  }
}

// Whatever the table holds as proven or disproven after a search is true
// of that position on its own, whichever line the search reached it by:
// the checks after each root and the replies after them, each asked afresh.
TEST(MateSearch, WhatTheTableHoldsAsSettledHoldsFromEveryLine) {
  int settled = 0, disproven = 0;
  for (const auto& [sfen, plies] : classicsUpTo(9)) {
    for (int bound : {plies - 2, plies}) {
      shogi::Position root;
      ASSERT_TRUE(root.setSfen(sfen, nullptr)) << sfen;
      matesolver::MateSearch shared(4);
      shogi::Position copy = root;
      shared.attackerMates(copy, bound);
      auto check = [&](shogi::Position& pos, int plies, bool attackerToMove) {
        const TranspositionTable::Probe e =
            shared.table().probe(pos.boardKey(), pos.packedHand(shogi::BLACK), pos.packedHand(shogi::WHITE), plies);
        if (e.state != TranspositionTable::PROVEN && e.state != TranspositionTable::DISPROVEN) return;
        ++settled;
        disproven += e.state == TranspositionTable::DISPROVEN;
        matesolver::MateSearch fresh(4);
        shogi::Position again = pos;
        const bool mated = attackerToMove ? fresh.attackerMates(again, plies) : fresh.defenderMated(again, plies);
        EXPECT_EQ(mated, e.state == TranspositionTable::PROVEN) << sfen << " within " << bound << ": " << pos.sfen()
                                                                 << " within " << plies;
      };
      shogi::MoveList checks;
      shogi::generateChecks(root, checks);
      for (shogi::Move m : checks) {
        root.doMove(m);
        check(root, bound - 1, false);
        shogi::MoveList replies;
        shogi::generateLegal(root, replies);
        for (shogi::Move r : replies) {
          root.doMove(r);
          check(root, bound - 2, true);
          root.undoMove(r);
        }
        root.undoMove(m);
      }
    }
  }
  // Both kinds occur.
  EXPECT_GT(disproven, 0);
  EXPECT_GT(settled, disproven);
}

// A position with three plies left is disproven at its first look only by
// replies that are certain escapes: a drop between the king and the checker
// may be futile and escapes nothing. Here every line after 43歩打 meets such
// drops three plies before the end (the five-move example).
TEST(MateSearch, ADropThatMayBeFutileDisprovesNothingAtTheFirstLook) {
  struct Question {
    const char* sfen;
    int plies;
    bool mated;
  };
  const std::vector<Question> questions = {
      {"2+R5b/5k3/5P3/2NP3+R1/9/9/9/9/9 w SPbgslp 1", 4, true},
      {"2+R5b/5k3/5P3/2NP3+R1/9/9/9/9/9 w SPbgslp 1", 2, false},
      {"2+R5b/9/5k3/2NP3+R1/9/9/9/9/9 b SPbgsl2p 1", 3, true},
  };
  for (const Question& q : questions) {
    shogi::Position pos;
    ASSERT_TRUE(pos.setSfen(q.sfen, nullptr)) << q.sfen;
    matesolver::MateSearch search(4);
    const bool attacker = pos.sideToMove() == shogi::BLACK;
    const bool answer = attacker ? search.attackerMates(pos, q.plies) : search.defenderMated(pos, q.plies);
    EXPECT_EQ(answer, q.mated) << q.sfen << " within " << q.plies;
  }
}

}  // namespace
