// Running the solver program and reading its verdicts.
#pragma once

#include <cstdint>

#include "tsuka/driver/run.h"

constexpr int kMaxUserOptions = 16;

// The solver's argument vector: its name, the "/I" and "/O" arguments of
// the current check, then the user's options; ended by nullptr.
extern const char* solverArguments[20];

// The value of the last "/L<n>" option (0 without one).
extern int32_t lValue;

void initSolverArguments();

// Appends the arguments after the problem file, at most 16; an "/L<n>" or
// "/l<n>" among them sets the L value.
void appendUserOptions(const ArgumentList& arguments);

// Runs the solver on the current check's input file; returns only when it
// has ended and left an output file that opens.
void runSolver();

// 0 when the solver confirmed the stated solution, -1 otherwise.
int readWholeProblemVerdict();

// 1: interrupted; 0: no mate with the move excluded; -1: a mate was found.
int readStepVerdict();
