#include <cstring>

#include "common/cp932.h"
#include "common/piece_names.h"
#include "tsuka/driver/diagnostics.h"
#include "tsuka/position/position.h"
#include "tsuka/problem/pieces.h"
#include "tsuka/problem/reader.h"

// Pieces of each kind on the board and in the attacker's hand.
using Tally = int16_t[pieces::kLastHandKind + 1];

static bool isSquareDigit(char c) { return c >= '1' && c <= '9'; }

// Groups of a square (two digits 1 to 9) and a piece name, 4 bytes each.
static void placePieces(const char* text, uint16_t side, const char* message, Board& board,
                        Tally tally) {
  for (const char* group = text; *group != '\0'; group += 4) {
    if (!isSquareDigit(group[0]) || !isSquareDigit(group[1]) || group[2] == '\0') {
      failWithMessage(message);
    }
    uint16_t code = pieceCodeOf(group + 2);
    if (code == 0) failWithMessage(message);
    board.cells[(group[0] - '0') * 10 + (group[1] - '0')] = code + side;
    int kind = code & ~PROMOTED_PIECE;
    if (pieces::isHandKind(kind)) ++tally[kind];
  }
}

// Entries of a piece name and an optional count of one or two digits; a
// repeated kind sets its slot again.
static void fillHand(const char* text, const char* message, Hand& hand, Tally tally) {
  const char* p = text;
  while (*p != '\0') {
    uint16_t code = pieceCodeOf(p);
    if (!pieces::isHandKind(code)) failWithMessage(message);
    p += 2;
    int count = 1;
    if (cp932::isAsciiDigit(*p)) {
      count = *p++ - '0';
      if (cp932::isAsciiDigit(*p)) count = count * 10 + (*p++ - '0');
    }
    hand.counts[code] = static_cast<int16_t>(count);
    tally[code] = static_cast<int16_t>(tally[code] + count);
  }
}

void setUpPosition(Board& board, Hand& attacker, Hand& defender) {
  board = Board{};
  attacker = Hand{};
  defender = Hand{};
  Tally tally = {};
  placePieces(problem.attackerBoard, 0, "%s: 攻方盤上駒が解析できません。\n", board, tally);
  placePieces(problem.defenderBoard, DEFENDER_PIECE, "%s: 受方盤上駒が解析できません。\n", board, tally);
  fillHand(problem.attackerHand, "%s: 攻方持駒が解析できません。\n", attacker, tally);

  if (problem.defenderHand[0] != '\0') {
    if (std::strcmp(problem.defenderHand, "なし") == 0) return;
    fillHand(problem.defenderHand, "%s: 受方持駒が解析できません。\n", defender, tally);
    return;
  }
  for (int kind = pieces::kFirstHandKind; kind <= pieces::kLastHandKind; ++kind) {
    int rest = pieces::fullSet[kind] - tally[kind];
    defender.counts[kind] = static_cast<int16_t>(rest > 0 ? rest : 0);
  }
}
