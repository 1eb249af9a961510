// Checks of a problem that a converter reader accepted and of the problem
// file the converter writes from it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "converter/problem.h"

// The problem: the attacker (Black) to move, a defender that can be mated,
// legal moves. The problem file: code page 932 text in CR LF lines. And
// when the problem is a 詰将棋 whose stated line ends with the attacker's
// move, that file read as the checker reads it, handed to the solver's
// reader as the checker hands it over, gives back the same position and
// moves wherever the solver's reader accepts the position.
void checkAcceptedProblem(const converter::Problem& problem);

// The input as the converter reads it: UTF-8 as it is, else code page 932
// converted to UTF-8; false when it is neither.
bool asConverterReads(const std::string& bytes, std::string& utf8);

// One input through a reader, handed over as the converter would hand it:
// a refusal must say why and where; what it accepts must pass
// checkAcceptedProblem.
using ConverterReader = bool (*)(const std::string& utf8, converter::Problem& problem, converter::InputError* error);
void checkReader(const uint8_t* data, size_t size, ConverterReader read);
