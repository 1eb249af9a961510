// CSA (V2.2 and V3.0): "PI" or "P1" to "P9" for the board, "P+" / "P-"
// with 00 for hands and 00AL for all remaining pieces, the turn line ("+"
// or "-"), moves such as +2334GI and +0023KY (the piece code is the piece
// after the move), several statements on a line separated by ',', and
// comment lines starting with "'".
#pragma once

#include <string>

#include "converter/problem.h"

namespace converter {

bool looksLikeCsa(const std::string& text);
bool readCsa(const std::string& text, Problem& problem, InputError* error);

}  // namespace converter
