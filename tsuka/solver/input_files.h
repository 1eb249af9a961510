// The work files of a check and the solver input files: the whole problem
// with its stated solution, and the position before a move with that move
// excluded.
#pragma once

#include <cstdio>

// Paths of the current check's work files and the "/I", "/O" arguments that
// carry them to the solver. Sized for the longest program directory plus
// any check number, so they never overflow.
extern char inputFilePath[512];
extern char outputFilePath[512];
extern char inputArgument[514];
extern char outputArgument[514];

// Name the solver input / output file for the current check number.
void nameInputFile();
void nameOutputFile();

// Writes the whole-problem input file under the current check number.
void writeWholeProblemFile();

// Writes the step input file for move `moveNumber` under the current check
// number: the position before it, the move excluded, the moves left.
void writeStepFile(int moveNumber);

// The exclusion line of a step input file for move `moveNumber`.
void formatExclusionLine(int moveNumber, char* line, size_t capacity);
