// The solver input file: the position of one check, its rule, the number
// of plies, and either the stated solution (the whole-problem check) or the
// stated move to exclude (a step check).
#pragma once

#include <string>
#include <vector>

#include "matesolver/notation.h"
#include "shogi/position.h"

namespace matesolver {

enum class Rule { Standard, Helpmate };

struct CheckInput {
  Rule rule = Rule::Standard;
  std::string ruleText;  // the conditions and rule as written
  shogi::Position position;  // the attacker plays Black
  Names names;
  int plies = 0;  // the number of plies of this check
  bool stepCheck = false;
  bool hasExcluded = false;
  shogi::Move excluded;
  std::string excludedText;
  std::vector<shogi::Move> statedMoves;  // whole-problem check: the stated solution
  int statedParsed = 0;                  // moves of it that could be read
  std::string statedError;               // why reading stopped early, if it did
};

// Reads the file; false with a message naming the line on any error or
// anything this solver does not support.
bool readCheckInput(const std::string& path, CheckInput& input, std::string* error);

// The same from the file's bytes (lines end in CR LF or LF).
bool parseCheckInput(const std::string& text, CheckInput& input, std::string* error);

}  // namespace matesolver
