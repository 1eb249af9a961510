#include "converter/problem.h"

#include "shogi/movegen.h"

namespace converter {

using namespace shogi;

namespace {

Square turned(Square s) { return square(10 - fileOf(s), 10 - rankOf(s)); }

}  // namespace

Position turnedRound(const Position& pos) {
  Position t;
  for (int file = 1; file <= 9; ++file) {
    for (int rank = 1; rank <= 9; ++rank) {
      const Piece p = pos.at(square(file, rank));
      if (p != EMPTY) t.put(turned(square(file, rank)), makePiece(~colorOf(p), typeOf(p)));
    }
  }
  for (int k = PAWN; k <= ROOK; ++k) {
    t.setHand(BLACK, PieceType(k), pos.hand(WHITE, PieceType(k)));
    t.setHand(WHITE, PieceType(k), pos.hand(BLACK, PieceType(k)));
  }
  t.setSideToMove(~pos.sideToMove());
  return t;
}

Move turnedMove(Move m) {
  return m.isDrop() ? Move::drop(m.dropped(), turned(m.to()))
                    : Move::board(turned(m.from()), turned(m.to()), m.promotes());
}

bool completeHands(Position& pos, Color toMove, const HandsStated& hands) {
  for (Color side : {BLACK, WHITE}) {
    if (hands.allRemaining[side] && !giveRemainingPieces(pos, side)) return false;
  }
  if (!hands.stated[~toMove] && !hands.allRemaining[~toMove] && !giveRemainingPieces(pos, ~toMove)) return false;
  pos.setSideToMove(toMove);
  return true;
}

bool checkDefender(const Position& start, std::string* why) {
  // The position keeps one king square a side: a second king would be
  // written out but never looked at.
  int kings[2] = {0, 0};
  int pieces[HAND_TYPES] = {};
  for (int file = 1; file <= 9; ++file) {
    for (int rank = 1; rank <= 9; ++rank) {
      const Piece p = start.at(square(file, rank));
      if (p == EMPTY) continue;
      if (pieceRules[typeOf(p)].royal) ++kings[colorOf(p)];
      if (const PieceType kind = pieceRules[typeOf(p)].handType; kind != NO_PIECE_TYPE) ++pieces[kind];
    }
  }
  if (kings[BLACK] > 1 || kings[WHITE] > 1) {
    *why = "two kings of one side";
    return false;
  }
  for (int t = PAWN; t <= ROOK; ++t) {
    if (pieces[t] + start.hand(BLACK, PieceType(t)) + start.hand(WHITE, PieceType(t)) > HAND_LIMIT[t]) {
      *why = "more pieces of a kind than the set has";
      return false;
    }
  }
  const Color defender = ~start.sideToMove();
  if (start.kingSquare(defender) == NO_SQUARE) {
    *why = "the side not to move (the defender) has no king";
    return false;
  }
  if (start.inCheck(defender)) {
    *why = "the side not to move is in check";
    return false;
  }
  return true;
}

void setStart(Problem& problem, Position start, const std::vector<Move>& moves, bool defenderRemaining) {
  problem.moves.clear();
  if (start.sideToMove() == BLACK) {
    problem.start = start;
    problem.moves = moves;
  } else {
    problem.start = turnedRound(start);
    for (Move m : moves) problem.moves.push_back(turnedMove(m));
  }
  bool emptyHand = true;
  for (int t = PAWN; t <= ROOK; ++t) emptyHand = emptyHand && problem.start.hand(WHITE, PieceType(t)) == 0;
  problem.defenderHand = defenderRemaining ? Problem::DefenderHand::Remaining
                         : emptyHand       ? Problem::DefenderHand::None
                                           : Problem::DefenderHand::Explicit;
}

std::string quoted(const std::string& utf8) {
  constexpr size_t kLongest = 40;
  if (utf8.size() <= kLongest) return utf8;
  size_t n = kLongest;
  while (n > 0 && (static_cast<unsigned char>(utf8[n]) & 0xC0) == 0x80) --n;
  return utf8.substr(0, n) + "...";
}

bool isLegalMove(Position& pos, Move m) {
  MoveList legal;
  generateLegal(pos, legal);
  for (Move l : legal) {
    if (l == m) return true;
  }
  return false;
}

bool giveRemainingPieces(Position& pos, Color side) {
  // The full set: 18 pawns, 4 lances, knights, silvers and golds, 2 bishops
  // and 2 rooks.
  int left[HAND_TYPES] = {0, 18, 4, 4, 4, 4, 2, 2};
  for (int file = 1; file <= 9; ++file) {
    for (int rank = 1; rank <= 9; ++rank) {
      const Piece p = pos.at(square(file, rank));
      if (p == EMPTY || typeOf(p) == KING) continue;
      const int t = typeOf(p) > KING ? typeOf(p) - PROMOTION : typeOf(p);
      if (t >= 1 && t < HAND_TYPES) --left[t];
    }
  }
  for (int t = PAWN; t <= ROOK; ++t) {
    left[t] -= pos.hand(~side, PieceType(t));
    if (left[t] < 0) return false;
  }
  for (int t = PAWN; t <= ROOK; ++t) pos.setHand(side, PieceType(t), left[t]);
  return true;
}

}  // namespace converter
