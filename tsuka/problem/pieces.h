// The piece table: the two-byte name of every piece code, as the problem's
// conditions and fairy piece leave it.
#pragma once

#include <cstdint>

#include "common/piece_names.h"

extern char pieceTable[pieces::kCodeCount][3];

// Puts back the names the table starts with.
void resetPieceTable();

// The code 1 to 31 whose name equals the first two bytes of text (or the
// whole text when it is shorter); 0 when no code has that name. A repeated
// name gives its lowest code.
uint16_t pieceCodeOf(const char* text);

// The fairy piece symbol: the name of code 10.
const char* fairyPieceSymbol();

// Applies the conditions text (different kings, fairy kings) to the table.
void applyConditions();
