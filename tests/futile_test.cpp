// The futile-interposition test of the mate search: a drop between the king
// and the checking ranged piece is futile only when the checker takes it for
// nothing (no piece of the defender, the king included, can take the
// capturer back) and the defender is still mated within the same plies.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "matesolver/dfpn.h"

namespace {

using namespace shogi;

struct FutileCase {
  const char* name;
  const char* sfen;  // the defender to move, in check from a ranged piece
  const char* drop;  // USI
  int bound;
  bool futile;
};

// The position after the drop and the checker's capture, with the captured
// piece thrown away rather than kept in hand.
Position afterFreeCapture(const Position& before, Move drop) {
  Position pos = before;
  const matesolver::Interposition ip = matesolver::interpositionSquares(pos);
  pos.doMove(drop);
  pos.doMove(Move::board(ip.checker, drop.to(), false));
  pos.setHand(BLACK, drop.dropped(), pos.hand(BLACK, drop.dropped()) - 1);
  return pos;
}

TEST(FutileInterposition, OnlyADropTakenForNothingIsFutile) {
  const std::vector<FutileCase> cases = {
      {"captured away from the king, nothing can take the rook back",
       "9/5+P1k1/9/4N1G1P/7R1/9/9/9/9 w GPbgsnlp 1", "P*2d", 2, true},
      {"captured next to the king on a square the gold guards: the king cannot take back",
       "9/5+P1k1/9/4N1GRP/9/9/9/9/9 w GPbgsnlp 1", "P*2c", 2, true},
      {"the king takes the unguarded rook back", "2k1R4/5P3/1S1+PS4/4G4/9/9/9/9/9 w 2Prbgsnlp 1", "P*6a", 2,
       false},
      {"the defender's knight takes the rook back", "6RG1/8k/7R1/6Sn1/9/9/8L/9/9 w NLgsnlp 1", "P*1f", 2, false},
  };
  for (const FutileCase& c : cases) {
    Position pos;
    std::string error;
    ASSERT_TRUE(pos.setSfen(c.sfen, &error)) << c.name << ": " << error;
    const Move drop = parseUsiMove(pos, c.drop);
    ASSERT_FALSE(drop.isNull()) << c.name;
    // In every case the defender is mated after a capture for nothing, so
    // only the taking back can make the drop count.
    Position test = afterFreeCapture(pos, drop);
    matesolver::MateSearch reference(1);
    EXPECT_TRUE(reference.defenderMated(test, c.bound)) << c.name;

    matesolver::MateSearch search(1);
    EXPECT_EQ(search.isFutile(pos, drop, c.bound), c.futile) << c.name;
  }
}

// 将棋図巧 第50番 after 33飛成 23金打, the attacker to move: 23龍(33) 同玉
// 25龍(16) 12玉 13香打 同玉 23金打 mates in 7. After 25龍 a drop on 24 is
// taken by the dragon next to the king, where the bishop on 15 protects
// it: nothing takes it back and the mate goes on as before, so the drop is
// futile. Counted as a defence it makes the mate 9 plies.
TEST(FutileInterposition, AProtectedCaptureNextToTheKingLeavesTheDropFutile) {
  Position pos;
  ASSERT_TRUE(pos.setSfen("9/9/6+Rgk/8n/5+p1lB/8+R/4+pp3/7N1/7s1 b 2N3g3s3l15p 1", nullptr));
  struct Rule {
    bool futile;
    int shortest;
  };
  for (const Rule& rule : {Rule{true, 7}, Rule{false, 9}}) {
    matesolver::MateSearch search(4);
    search.futileRule = rule.futile;
    Position a = pos, b = pos;
    EXPECT_FALSE(search.attackerMates(a, rule.shortest - 2)) << rule.futile;
    EXPECT_TRUE(search.attackerMates(b, rule.shortest)) << rule.futile;
  }
}

}  // namespace
