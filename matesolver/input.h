// The solver input file: the position of one check, its rule, the number
// of plies, and either the stated solution (the whole-problem check) or the
// stated move to exclude (a step check).
#pragma once

#include <string>
#include <vector>

#include "matesolver/notation.h"
#include "shogi/position.h"

namespace matesolver {

// 詰将棋, ばか詰, 自玉詰 (selfmate: the defender resists) and 協力自玉詰
// (helpselfmate: both cooperate).
enum class Rule { Standard, Helpmate, Selfmate, Helpselfmate };

// The most plies a check may ask for ("#9999"): the tables keep ply counts
// in 16 bits, with room for the searches that look past the count.
constexpr int kMostPlies = 9999;

// Whether the rule's goal is the attacker's own king mated by the
// defender's last move.
inline bool isSelfmateRule(Rule r) { return r == Rule::Selfmate || r == Rule::Helpselfmate; }

struct CheckInput {
  Rule rule = Rule::Standard;
  std::string ruleText;  // the conditions and rule as written
  shogi::Position position;  // the attacker plays Black; it carries the rebirth rule
  Names names;
  int plies = 0;  // the number of plies of this check
  bool stepCheck = false;
  // Neither a stated solution nor an excluded move: solve the problem.
  bool solveRequest = false;
  bool hasExcluded = false;
  shogi::Move excluded;
  std::string excludedText;
  std::vector<shogi::Move> statedMoves;  // whole-problem check: the stated solution
  int statedParsed = 0;                  // moves of it that could be read
  std::string statedError;               // why reading stopped early, if it did
};

// Reads the conditions and the rule word of line 3 (without " @@"): the
// rule, the rebirth rule and the kings' names; false with a message naming
// what is not understood or not supported.
bool parseRuleText(const std::string& text, Rule& rule, shogi::Rebirth& rebirth, Names& names, std::string* error);

// Reads the file; false with a message naming the line on any error or
// anything this solver does not support.
bool readCheckInput(const std::string& path, CheckInput& input, std::string* error);

// The same from the file's bytes (lines end in CR LF or LF).
bool parseCheckInput(const std::string& text, CheckInput& input, std::string* error);

}  // namespace matesolver
