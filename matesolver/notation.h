// The problem file's move notation on positions of the rules core:
// 76歩(77), 同歩(23), 23銀成(34), 34銀生(45), 45角打.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "shogi/position.h"

namespace matesolver {

// Piece names of the problem-file notation (code page 932). Kings are
// written as the problem writes them (王 or 玉, or the symbol a condition
// gives them); `kingNames` holds the name used for each colour's king, and
// `kings` the names that stand for a king with the kind of king each gives
// (a fairy king moves as a fairy piece).
struct Names {
  std::string kingNames[2] = {"王", "玉"};
  std::vector<std::pair<std::string, shogi::PieceType>> kings = {{"王", shogi::KING}, {"玉", shogi::KING}};
};

// The rules-core type named by the two bytes at text (kings and promoted
// pieces included); NO_PIECE_TYPE for anything else.
shogi::PieceType typeOfName(const char* text, const Names& names = Names{});
std::string nameOf(shogi::PieceType t, shogi::Color c, const Names& names);

// Reads one move at `cursor` (skipping white space before it) for the side
// to move. `previous` is the square of the previous move's destination, for
// 同. On success advances the cursor and returns the move, which matches
// the piece written but is not yet checked for legality; else returns a null
// move and says why. Under a rebirth rule a capture carries its rebirth
// ("/71銀": where it happened and the piece), which must be the one the
// move makes, and chooses between two rebirth squares; with `matchRebirth`
// off the rebirth part is read but not matched, and the move comes back
// without a choice.
shogi::Move parseMove(const shogi::Position& pos, const char*& cursor, shogi::Square previous, std::string* error,
                      const Names& names = Names{}, bool matchRebirth = true);

// A move as the problem file writes it; `previous` as for parseMove.
std::string formatMove(const shogi::Position& pos, shogi::Move m, shogi::Square previous, const Names& names);

// "3手目": the ply of a line, counted from 1.
std::string plyText(int ply);

// A line of moves from the position, each written as formatMove does and
// separated by blanks.
std::string formatLine(shogi::Position& pos, const std::vector<shogi::Move>& line, shogi::Square previous,
                       const Names& names);

}  // namespace matesolver
