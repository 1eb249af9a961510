// Random positions for comparing the rules core and the mate search with an
// independent implementation. Deterministic for a seed.
#pragma once

#include <cstdint>
#include <random>

#include "shogi/position.h"

namespace random_position {

// Puts a piece of a random kind (promoted now and then) of colour c on s
// when the square is free, the set has one left (`used` counts the pieces
// of each kind 1 to 7 given out) and the rules allow it there.
bool tryPlace(shogi::Position& pos, std::mt19937& rng, int used[8], shogi::Color c, shogi::Square s);

// Gives each side up to two kinds of piece in hand, one of each, from what
// the set has left: small hands keep the move trees of the comparisons small.
void addSmallHands(shogi::Position& pos, std::mt19937& rng, int used[8]);

// Any legal position: both kings or only the defender's, pieces of both
// sides anywhere they may stand, hands with pieces of several kinds.
shogi::Position general(std::mt19937& rng);

// A mating-problem position: Black to move, no Black king, a White king with
// Black pieces near it, at most three pieces in Black's hand, and in White's
// hand the rest of the set or part of it (at most one of a kind with
// `smallHands`).
shogi::Position tsume(std::mt19937& rng, bool smallHands = false);

// A position where Black could drop a pawn in front of the White king that
// would mate it (so the drop is illegal); found by trying random ones.
shogi::Position pawnDropMate(std::mt19937& rng);

}  // namespace random_position
