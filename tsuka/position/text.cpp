#include <cstdio>

#include "common/cp932.h"
#include "common/piece_names.h"
#include "tsuka/position/position.h"
#include "tsuka/problem/pieces.h"

// Appends the hand's kinds 1 to 7: the name alone for one piece, the name
// and the count for more, nothing for none.
static void appendHand(char* text, size_t capacity, const Hand& hand) {
  for (int kind = pieces::kFirstHandKind; kind <= pieces::kLastHandKind; ++kind) {
    char entry[16];
    int n = hand.counts[kind];
    if (n == 1) {
      std::snprintf(entry, sizeof entry, "%s", pieceTable[kind]);
    } else if (n >= 2) {
      std::snprintf(entry, sizeof entry, "%s%d", pieceTable[kind], n);
    } else {
      continue;
    }
    cp932::appendText(text, capacity, entry);
  }
}

void writePositionText(const Board& board, const Hand& attacker, const Hand& defender,
                       PositionTexts& texts) {
  texts.attackerBoard[0] = texts.defenderBoard[0] = '\0';
  texts.attackerHand[0] = texts.defenderHand[0] = '\0';
  int counts[pieces::kLastHandKind + 1] = {};

  for (int square = 11; square <= 99; ++square) {
    if (square % 10 == 0) continue;
    uint16_t cell = board.cells[square];
    if (cell == 0) continue;
    const bool isDefenders = (cell & DEFENDER_PIECE) != 0;
    int code = cell & ~DEFENDER_PIECE;
    char group[16];
    std::snprintf(group, sizeof group, "%d%s", square, pieceTable[code & 31]);
    if (isDefenders) {
      cp932::appendText(texts.defenderBoard, sizeof texts.defenderBoard, group);
    } else {
      cp932::appendText(texts.attackerBoard, sizeof texts.attackerBoard, group);
    }
    int kind = code & ~PROMOTED_PIECE;
    if (pieces::isHandKind(kind)) ++counts[kind];
  }

  appendHand(texts.attackerHand, sizeof texts.attackerHand, attacker);
  texts.fullSet = true;
  for (int kind = pieces::kFirstHandKind; kind <= pieces::kLastHandKind; ++kind) {
    counts[kind] += attacker.counts[kind] + defender.counts[kind];
    if (counts[kind] != pieces::fullSet[kind]) texts.fullSet = false;
  }
  if (!texts.fullSet) appendHand(texts.defenderHand, sizeof texts.defenderHand, defender);
}
