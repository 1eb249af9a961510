// Writes a problem as a problem file: code page 932, lines ending in CR LF.
#pragma once

#include <string>

#include "converter/problem.h"

namespace converter {

std::string writeProblemFile(const Problem& problem);

}  // namespace converter
