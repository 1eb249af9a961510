#include "support/brute_mate.h"

using namespace shogi;

bool BruteMate::attackerMates(Position& pos, int plies) {
  if (plies < 1) return false;
  const auto key = std::make_pair(pos.key(), plies);
  if (auto it = memo_.find(key); it != memo_.end()) return it->second;
  MoveList checks;
  generateChecks(pos, checks);
  bool result = false;
  for (Move m : checks) {
    pos.doMove(m);
    result = defenderMated(pos, plies - 1);
    pos.undoMove(m);
    if (result) break;
  }
  memo_[key] = result;
  return result;
}

bool BruteMate::futile(Position& pos, Move drop, int plies) {
  // The drop is legal, so it blocks the one checking line through its
  // square: the first piece beyond it on that line is the checker.
  const Square king = pos.kingSquare(WHITE);
  for (int df = -1; df <= 1; ++df) {
    for (int dr = -1; dr <= 1; ++dr) {
      if (df == 0 && dr == 0) continue;
      const int d = delta(df, dr);
      bool between = false;
      Square x = king + d;
      for (; pos.at(x) == EMPTY; x += d) between = between || x == drop.to();
      const Piece checker = pos.at(x);
      if (!between || checker == WALL || colorOf(checker) != BLACK) continue;
      for (bool promote : {false, true}) {
        const PieceRules& r = pieceRules[typeOf(checker)];
        if (promote && (r.promoted == NO_PIECE_TYPE || !(inPromotionZone(BLACK, x) || inPromotionZone(BLACK, drop.to())))) continue;
        if (!promote && relativeRank(BLACK, rankOf(drop.to())) <= r.deadRanks) continue;
        Position test = pos;
        test.removeAt(x);
        test.put(drop.to(), promote ? Piece(checker + PROMOTION) : checker);
        test.setHand(WHITE, drop.dropped(), test.hand(WHITE, drop.dropped()) - 1);
        // Not futile when any reply takes the capturer back.
        MoveList replies;
        generateLegal(test, replies);
        bool takenBack = false;
        for (Move r : replies) takenBack = takenBack || (!r.isDrop() && r.to() == drop.to());
        if (!takenBack && defenderMated(test, plies)) return true;
      }
    }
  }
  return false;
}

bool BruteMate::defenderMated(Position& pos, int plies) {
  const auto key = std::make_pair(pos.key(), plies);
  if (auto it = memo_.find(key); it != memo_.end()) return it->second;
  MoveList replies;
  generateLegal(pos, replies);
  bool result;
  if (replies.size == 0) {
    result = pos.inCheck();
  } else {
    result = true;
    for (Move r : replies) {
      if (futileRule_ && r.isDrop() && futile(pos, r, plies)) continue;
      pos.doMove(r);
      const bool mated = plies >= 2 && attackerMates(pos, plies - 1);
      pos.undoMove(r);
      if (!mated) {
        result = false;
        break;
      }
    }
  }
  memo_[key] = result;
  return result;
}

int BruteMate::shortest(Position& pos, int limit) {
  for (int plies = 1; plies <= limit; plies += 2) {
    if (attackerMates(pos, plies)) return plies;
  }
  return 0;
}
