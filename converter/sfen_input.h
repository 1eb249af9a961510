// SFEN and USI: "sfen <board> <side> <hands> [<move number>] [moves ...]",
// "position sfen ...", or a bare SFEN, optionally followed by USI moves on
// the same line or the next ones.
#pragma once

#include <string>

#include "converter/problem.h"

namespace converter {

// Whether the text looks like SFEN: its first line that is not blank.
bool looksLikeSfen(const std::string& text);

// Reads the position and the moves; false with *error set.
bool readSfen(const std::string& text, Problem& problem, InputError* error);

}  // namespace converter
