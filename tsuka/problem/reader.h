// The problem file reader: header lines into the problem texts, the remarks
// section's fairy piece, the stated solution.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

// What the problem file states. Texts are code page 932, zero-terminated,
// cut on a character boundary when a value is longer than its buffer.
struct ProblemTexts {
  char rule[128];
  char conditions[128];
  int32_t moveCount;
  char attackerBoard[512];
  char defenderBoard[512];
  char attackerHand[128];  // "なし" is stored as the empty text
  char defenderHand[128];  // "なし" stays; empty means all remaining pieces
  char fairyPieceLine[128];
  bool hasStatedSolution;  // false until a "作意：" line is read
  std::string statedSolution;
};

extern ProblemTexts problem;
extern char solverName[8];  // "KZ.EXE", or "KZX.EXE" for a fairy piece

// Empties the problem texts, the piece table and the move records, as at
// process start.
void resetProblem();

// Reads the problem file at the database path and fills the problem texts,
// the piece table, the move records and the solver name.
void readProblemFile();

// A header value without its line feed and without trailing blanks (ASCII
// white space and full-width spaces), in a buffer the next call overwrites.
const char* trimHeaderValue(const char* value);

// Reads the lines after "備考：" up to "／備考終了"; a "/EFP=" line among them
// defines the fairy piece.
void readRemarksSection(std::FILE* file);

// Reads the rest of the file as the stated solution: each line trimmed and
// followed by one blank, the whole cut at the first " まで".
std::string readStatedSolution(std::FILE* file);
