// Basic types of the shogi rules core: colours, piece types, squares, moves.
//
// Squares are cells of a mailbox: the 9x9 board inside a border of wall
// cells, so that a step of one file or up to two ranks off the board lands
// on a wall. File 1 is the right-hand file, rank 1 the top rank; Black (the
// side that moves first in a game, the attacker in our problems) moves
// toward rank 1.
#pragma once

#include <cstdint>

namespace shogi {

enum Color : uint8_t { BLACK = 0, WHITE = 1 };
constexpr Color operator~(Color c) { return Color(c ^ 1); }

// Piece types. 1 to 7 can be held in hand; adding PROMOTION promotes a
// type that can promote. Types from FIRST_EXTRA_TYPE on are reserved for
// further kinds (fairy kings, a fairy piece) that the tables can describe.
enum PieceType : uint8_t {
  NO_PIECE_TYPE = 0,
  PAWN = 1,
  LANCE,
  KNIGHT,
  SILVER,
  GOLD,
  BISHOP,
  ROOK,
  KING,
  PRO_PAWN,
  PRO_LANCE,
  PRO_KNIGHT,
  PRO_SILVER,
  PRO_GOLD_UNUSED,
  HORSE,
  DRAGON,
  // Kings that move as fairy pieces: royal, never promoted, never in hand.
  QUEEN_KING = 16,
  NIGHTRIDER_KING,
  KNIGHT_KING,
  LION_KING,
  CAMEL_KING,
  ZEBRA_KING,
  KIRIN_KING,
  PHOENIX_KING,
  GIRAFFE_KING,
  FIVE_LEAPER_KING,
  ROOT50_LEAPER_KING,
  GRASSHOPPER_KING,
  FIRST_EXTRA_TYPE = QUEEN_KING,
  PIECE_TYPE_COUNT = 32,
};
constexpr bool isFairyKing(PieceType t) { return t >= QUEEN_KING && t <= GRASSHOPPER_KING; }

// What a capture does besides taking the piece (the Circe family):
// CIRCE reborns the captured piece on its initial square, ANTI_CIRCE sends
// the capturing piece to its own, PWC swaps the captured piece onto the
// square the capturer came from.
enum class Rebirth : uint8_t { NONE, CIRCE, ANTI_CIRCE, PWC };
constexpr int PROMOTION = 8;
constexpr int HAND_TYPES = 8;  // slots 1 to 7 used

// A cell: 0 empty, WALL outside the board, else type | colour << 5.
using Piece = uint8_t;
constexpr Piece EMPTY = 0;
constexpr Piece WALL = 0xFF;
constexpr Piece makePiece(Color c, PieceType t) { return Piece(t | (c << 5)); }
constexpr PieceType typeOf(Piece p) { return PieceType(p & 31); }
constexpr Color colorOf(Piece p) { return Color((p >> 5) & 1); }

// Mailbox geometry.
constexpr int STRIDE = 11;
constexpr int CELL_COUNT = 144;
using Square = int;
constexpr Square NO_SQUARE = 0;
constexpr Square square(int file, int rank) { return 11 + file * STRIDE + rank; }
namespace detail {
struct FileRankTables {
  int8_t file[CELL_COUNT], rank[CELL_COUNT];
  constexpr FileRankTables() : file(), rank() {
    for (int s = 0; s < CELL_COUNT; ++s) {
      file[s] = int8_t((s - 11) / STRIDE);
      rank[s] = int8_t((s - 11) % STRIDE);
    }
  }
};
inline constexpr FileRankTables fileRankTables{};
}  // namespace detail
constexpr int fileOf(Square s) { return detail::fileRankTables.file[s]; }
constexpr int rankOf(Square s) { return detail::fileRankTables.rank[s]; }
// A step of df files and dr ranks.
constexpr int delta(int df, int dr) { return df * STRIDE + dr; }

// Ranks seen from a colour: rank 1 is the far rank for Black, rank 9 for White.
constexpr int relativeRank(Color c, int rank) { return c == BLACK ? rank : 10 - rank; }

// A move packed in 32 bits: destination, origin (0 for a drop), the type
// dropped, whether it promotes, and, for a capture on file 5 whose rebirth
// may go to either of two initial squares, whether it takes the left-hand
// one (files 6 to 9).
struct Move {
  static constexpr uint32_t LEFT_REBIRTH = 1u << 25;
  uint32_t raw = 0;
  static Move board(Square from, Square to, bool promote) {
    return Move{uint32_t(from) | uint32_t(to) << 8 | uint32_t(promote) << 24};
  }
  Move withLeftRebirth() const { return Move{raw | LEFT_REBIRTH}; }
  bool leftRebirth() const { return raw & LEFT_REBIRTH; }
  // The move without its rebirth choice.
  Move plain() const { return Move{raw & ~LEFT_REBIRTH}; }
  static Move drop(PieceType t, Square to) { return Move{uint32_t(to) << 8 | uint32_t(t) << 16}; }
  Square from() const { return Square(raw & 0xFF); }
  Square to() const { return Square((raw >> 8) & 0xFF); }
  PieceType dropped() const { return PieceType((raw >> 16) & 0xFF); }
  bool isDrop() const { return dropped() != NO_PIECE_TYPE; }
  bool promotes() const { return (raw >> 24) & 1; }
  bool isNull() const { return raw == 0; }
  bool operator==(const Move&) const = default;
};

}  // namespace shogi
