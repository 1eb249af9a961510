// Sets of board squares as bits, for the questions a walk over the mailbox
// answers slowly on an open board: which piece stands first along a line.
//
// Bit (file - 1) * 9 + (rank - 1) stands for a square, so that along every
// line of the board the bit number grows or shrinks steadily: +1 a rank
// down, +9 a file left, +10 and +8 the diagonals.
#pragma once

#include "shogi/types.h"

namespace shogi {

// 81 bits in two words (no 128-bit integer on every target we build for).
struct Bitboard {
  uint64_t low = 0, high = 0;  // bits 0 to 63, 64 to 80
  constexpr Bitboard() = default;
  constexpr Bitboard(uint64_t l, uint64_t h) : low(l), high(h) {}
  constexpr explicit operator bool() const { return (low | high) != 0; }
  constexpr bool test(int b) const { return ((b < 64 ? low >> b : high >> (b - 64)) & 1) != 0; }
  constexpr bool operator==(const Bitboard&) const = default;
  constexpr Bitboard operator&(Bitboard o) const { return {low & o.low, high & o.high}; }
  constexpr Bitboard operator|(Bitboard o) const { return {low | o.low, high | o.high}; }
  constexpr Bitboard operator~() const { return {~low, ~high}; }
  constexpr Bitboard& operator&=(Bitboard o) { return *this = *this & o; }
  constexpr Bitboard& operator|=(Bitboard o) { return *this = *this | o; }
  // Takes out the lowest bit.
  constexpr void clearLowest() {
    if (low != 0) {
      low &= low - 1;
    } else {
      high &= high - 1;
    }
  }
};

namespace detail {
struct SquareTables {
  int8_t bit[CELL_COUNT];
  uint8_t square[81];
  constexpr SquareTables() : bit(), square() {
    for (int s = 0; s < CELL_COUNT; ++s) bit[s] = -1;
    for (int file = 1; file <= 9; ++file) {
      for (int rank = 1; rank <= 9; ++rank) {
        const int b = (file - 1) * 9 + rank - 1;
        bit[shogi::square(file, rank)] = int8_t(b);
        square[b] = uint8_t(shogi::square(file, rank));
      }
    }
  }
};
inline constexpr SquareTables squareTables{};
}  // namespace detail

// For a square on the board.
constexpr int bitOf(Square s) { return detail::squareTables.bit[s]; }
constexpr Bitboard squareBit(Square s) {
  const int b = bitOf(s);
  return b < 64 ? Bitboard{uint64_t(1) << b, 0} : Bitboard{0, uint64_t(1) << (b - 64)};
}
constexpr Square squareOfBit(int b) { return detail::squareTables.square[b]; }

// For a set with a bit.
inline int lowestBit(Bitboard b) { return b.low != 0 ? __builtin_ctzll(b.low) : 64 + __builtin_ctzll(b.high); }
inline int highestBit(Bitboard b) { return b.high != 0 ? 127 - __builtin_clzll(b.high) : 63 - __builtin_clzll(b.low); }

// The eight lines out of a square: their steps on the mailbox, and whether
// the bit numbers grow along them (the nearest piece is then the lowest bit).
constexpr int LINE_COUNT = 8;
struct Line {
  int df, dr;
  bool growing;
};
constexpr Line LINES[LINE_COUNT] = {{0, 1, true},  {1, 0, true},  {1, 1, true},  {1, -1, true},
                                    {0, -1, false}, {-1, 0, false}, {-1, -1, false}, {-1, 1, false}};

// The squares beyond bit b along line i, to the edge of the board.
extern Bitboard lineBeyond[81][LINE_COUNT];

// The squares a step away from bit b: the eight neighbours and the four
// squares a knight's leap away (of either colour).
extern Bitboard stepNeighbourhood[81];

// The squares from which a piece can attack a square next to bit b with a
// step: the step neighbourhoods of b's neighbours together.
extern Bitboard kingZone[81];

// For check generation: the squares from which a piece of colour c and
// type t (the standard kinds) attacks bit b with a step (a neighbour or a
// knight's leap), and the lines out of b along which it attacks b from any
// distance, sliding (bit i: LINES[i]).
constexpr int STANDARD_TYPE_COUNT = DRAGON + 1;
extern Bitboard stepAttackFrom[2][STANDARD_TYPE_COUNT][81];
extern uint8_t slideLinesTo[2][STANDARD_TYPE_COUNT];

// The bit of the nearest piece of `occupied` along line i from bit b, -1
// for none.
inline int nearestBitAlong(Bitboard occupied, int b, int i) {
  const Bitboard on = lineBeyond[b][i] & occupied;
  if (!on) return -1;
  return LINES[i].growing ? lowestBit(on) : highestBit(on);
}

// The same as a square, NO_SQUARE for none.
inline Square nearestAlong(Bitboard occupied, int b, int i) {
  const int x = nearestBitAlong(occupied, b, i);
  return x < 0 ? NO_SQUARE : squareOfBit(x);
}

// The squares along line i out of bit b up to the nearest piece of
// `occupied`, that piece's square included.
inline Bitboard rayTo(Bitboard occupied, int b, int i) {
  const int x = nearestBitAlong(occupied, b, i);
  return x < 0 ? lineBeyond[b][i] : lineBeyond[b][i] & ~lineBeyond[x][i];
}

// Fills the tables from the rules of the pieces (initRules calls it).
void initBitboards();

}  // namespace shogi
