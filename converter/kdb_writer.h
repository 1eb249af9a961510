// Writes a problem as a problem file: code page 932, lines ending in CR LF.
#pragma once

#include <string>

#include "converter/problem.h"
#include "matesolver/notation.h"

namespace converter {

// The texts of a side's pieces as problem files and solver input files write
// them: "13杏33銀" (file by file, rank by rank) and "飛角2金歩17".
std::string boardText(const shogi::Position& pos, shogi::Color c, const matesolver::Names& names);
std::string handText(const shogi::Position& pos, shogi::Color c);

std::string writeProblemFile(const Problem& problem);

}  // namespace converter
