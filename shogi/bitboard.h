// Sets of board squares as bits, for the questions a walk over the mailbox
// answers slowly on an open board: which piece stands first along a line.
//
// Bit (file - 1) * 9 + (rank - 1) stands for a square, so that along every
// line of the board the bit number grows or shrinks steadily: +1 a rank
// down, +9 a file left, +10 and +8 the diagonals.
#pragma once

#include "shogi/types.h"

namespace shogi {

using Bitboard = unsigned __int128;

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
constexpr Bitboard squareBit(Square s) { return Bitboard(1) << bitOf(s); }
constexpr Square squareOfBit(int b) { return detail::squareTables.square[b]; }

inline int lowestBit(Bitboard b) {
  const uint64_t low = uint64_t(b);
  return low != 0 ? __builtin_ctzll(low) : 64 + __builtin_ctzll(uint64_t(b >> 64));
}
inline int highestBit(Bitboard b) {
  const uint64_t high = uint64_t(b >> 64);
  return high != 0 ? 127 - __builtin_clzll(high) : 63 - __builtin_clzll(uint64_t(b));
}

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

// The square of the nearest piece of `occupied` along line i from bit b,
// NO_SQUARE for none.
inline Square nearestAlong(Bitboard occupied, int b, int i) {
  const Bitboard on = lineBeyond[b][i] & occupied;
  if (on == 0) return NO_SQUARE;
  return squareOfBit(LINES[i].growing ? lowestBit(on) : highestBit(on));
}

void initBitboards();

}  // namespace shogi
