// KIF: headers ("key：value"), the board diagram (後手の持駒, the 9×9 board
// with "v" before the second player's pieces, 先手の持駒, 先手番 / 後手番),
// piece counts in kanji (歩十八), moves with 同, 成, 不成, 打 and the origin
// in parentheses, trailing times and "+", comment lines (#, *, &), and the
// closing "まで…" line. Variations (変化：) are not read.
#pragma once

#include <string>

#include "converter/problem.h"

namespace converter {

bool looksLikeKif(const std::string& utf8);

// `utf8` is the whole file as UTF-8. Sets *variationsIgnored when the file
// has variations, which are not read.
bool readKif(const std::string& utf8, Problem& problem, InputError* error, bool* variationsIgnored);

}  // namespace converter
