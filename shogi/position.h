// A shogi position: board, hands, side to move, with make/unmake of moves,
// the attack test and Zobrist keys.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "shogi/bitboard.h"
#include "shogi/rules.h"
#include "shogi/types.h"

namespace shogi {

// A hand packed in 32 bits: a field per kind, wide enough for the full set
// with a guard bit on top, so that comparing hands is a few integer
// operations. Fields: pawn 6 bits, lance to gold 4 bits, bishop and rook 3.
using PackedHand = uint32_t;
constexpr int HAND_SHIFT[HAND_TYPES] = {0, 0, 6, 10, 14, 18, 22, 25};
constexpr int HAND_WIDTH[HAND_TYPES] = {0, 6, 4, 4, 4, 4, 3, 3};
// The most pieces of a kind one hand can hold.
constexpr int HAND_LIMIT[HAND_TYPES] = {0, 18, 4, 4, 4, 4, 2, 2};
constexpr PackedHand HAND_GUARD = (1u << 5) | (1u << 9) | (1u << 13) | (1u << 17) | (1u << 21) | (1u << 24) | (1u << 27);
constexpr PackedHand handUnit(PieceType t) { return PackedHand(1) << HAND_SHIFT[t]; }
inline int handCount(PackedHand h, PieceType t) {
  return int((h >> HAND_SHIFT[t]) & ((1u << (HAND_WIDTH[t] - 1)) - 1));
}
// Every count of a is at least the count of b.
inline bool handCovers(PackedHand a, PackedHand b) { return (((a | HAND_GUARD) - b) & HAND_GUARD) == HAND_GUARD; }

class Position {
 public:
  Position();
  // A copy has no move history: moves made before it cannot be taken back
  // on the copy.
  Position(const Position& other) { *this = other; }
  Position& operator=(const Position& other);

  void clear();
  Piece at(Square s) const { return cells_[s]; }
  // The squares that hold a piece, and those that hold a piece of colour c.
  Bitboard occupied() const { return occupied_; }
  Bitboard occupied(Color c) const { return occupiedBy_[c]; }
  // The squares of colour c's ranged pieces (those that slide on some line).
  Bitboard ranged(Color c) const { return ranged_[c]; }
  Color sideToMove() const { return side_; }
  Square kingSquare(Color c) const { return king_[c]; }
  int hand(Color c, PieceType t) const { return handCount(hands_[c], t); }
  PackedHand packedHand(Color c) const { return hands_[c]; }
  bool hasPawnOnFile(Color c, int file) const { return (pawnFiles_[c] >> file) & 1; }

  // Keys: the board with the side to move, and the whole position.
  uint64_t boardKey() const { return boardKey_; }
  // The board key after a move, without making it (standard rules only).
  uint64_t boardKeyAfter(Move m) const;
  uint64_t key() const { return boardKey_ ^ (hands_[BLACK] * 0x9E3779B97F4A7C15ull) ^ (hands_[WHITE] * 0xC2B2AE3D27D4EB4Full); }

  // Setting up. A hand count must not exceed HAND_LIMIT.
  void put(Square s, Piece p);
  void removeAt(Square s);
  void setHand(Color c, PieceType t, int count);
  void setSideToMove(Color c);
  // The rebirth rule of captures (set after clear(), before moves are made).
  void setRebirth(Rebirth r);
  Rebirth rebirth() const { return rebirth_; }
  // Whether the fairy rules are in play (a fairy king on the board or a
  // rebirth rule): the move generator then takes its general path.
  bool fairy() const { return fairy_; }

  // What the last move made by doMove did under the fairy rules: where its
  // rebirth happened (NO_SQUARE for none), where the moving piece ended up,
  // and whether the rebirth had two squares to choose from.
  struct FairyEffect {
    Square rebirth = NO_SQUARE;
    Square landed = NO_SQUARE;
    bool choice = false;
  };
  FairyEffect lastFairyEffect() const { return fairyHistory_.empty() ? FairyEffect{} : fairyHistory_.back().effect; }

  // Plays a legal or pseudo-legal move, and takes it back.
  void doMove(Move m) {
    if (fairy_) return doFairyMove(m);
    doStandardMove(m);
  }
  void undoMove(Move m) {
    if (fairy_) return undoFairyMove();
    undoStandardMove(m);
  }
  // Passes the turn (for tests of the other side's moves).
  void doNullMove();
  void undoNullMove() { doNullMove(); }

  bool attacked(Square s, Color by) const;
  // The same with the piece on `ignored` taken off the board (for the king's
  // own square when it steps away along a line of attack): it must not hold
  // a piece of colour `by`.
  bool attackedIgnoring(Square s, Color by, Square ignored) const;
  // The part of that test for ranged pieces sliding along a line, at any
  // distance (the fairy kings are not looked at).
  bool attackedFromAfarIgnoring(Square s, Color by, Square ignored) const;
  bool inCheck(Color c) const { return king_[c] != NO_SQUARE && attacked(king_[c], ~c); }
  // Whether the fairy king of colour `by` (one that moves on coordinates,
  // not the queen) attacks the other king.
  bool fairyKingChecks(Color by) const {
    return fairy_ && king_[~by] != NO_SQUARE && fairyKingAttacks(king_[~by], by, NO_SQUARE);
  }
  bool inCheck() const { return inCheck(side_); }

  // SFEN: "board side hands [move number]". False with a reason on error.
  bool setSfen(const std::string& sfen, std::string* error);
  std::string sfen() const;

 private:
  void doStandardMove(Move m);
  void undoStandardMove(Move m);
  void doFairyMove(Move m);
  void undoFairyMove();
  // Whether the fairy king of colour `by` attacks s.
  bool fairyKingAttacks(Square s, Color by, Square ignored) const;
  void refreshPawnFile(Color c, int file);

  // What undoing a fairy move restores: the cells it touched and the rest.
  struct FairyUndo {
    Square squares[4];
    Piece pieces[4];
    int count;
    PackedHand hands[2];
    Square kings[2];
    uint16_t pawnFiles[2];
    uint64_t boardKey;
    FairyEffect effect;
  };

  Piece cells_[CELL_COUNT];
  Bitboard occupied_;
  Bitboard occupiedBy_[2];
  Bitboard ranged_[2];
  PackedHand hands_[2];
  Color side_;
  Square king_[2];
  uint16_t pawnFiles_[2];  // bit f: an unpromoted pawn stands on file f
  uint64_t boardKey_;
  std::vector<Piece> captured_;  // one entry per move made, for undoMove
  Rebirth rebirth_ = Rebirth::NONE;
  bool fairy_ = false;
  std::vector<FairyUndo> fairyHistory_;  // the same for fairy moves
};

// USI notation of a move (7g7f, 2b3c+, P*5e).
std::string usiMove(Move m);
// Parses a USI move against the position's pieces; null move on error.
Move parseUsiMove(const Position& pos, const std::string& text);

}  // namespace shogi
