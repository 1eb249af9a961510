#include "tsuka/problem/pieces.h"

#include <cstring>

#include "common/cp932.h"
#include "tsuka/driver/diagnostics.h"
#include "tsuka/problem/reader.h"

char pieceTable[pieces::kCodeCount][3];

static void setName(int code, const char* name) {
  cp932::copyText(pieceTable[code], sizeof pieceTable[code], name, std::strlen(name));
}

void resetPieceTable() {
  for (int code = 0; code < pieces::kCodeCount; ++code) setName(code, pieces::initialNames[code]);
}

uint16_t pieceCodeOf(const char* text) {
  char name[3] = {};
  name[0] = text[0];
  if (text[0] != '\0') name[1] = text[1];
  for (int code = 1; code < pieces::kCodeCount; ++code) {
    if (std::strcmp(pieceTable[code], name) == 0) return static_cast<uint16_t>(code);
  }
  return 0;
}

const char* fairyPieceSymbol() { return pieceTable[pieces::kFairyPiece]; }

// Two bytes at `at` as a name; fails the different-kings condition when the
// text ends before them.
static void takeKingSymbol(const char* at, char symbol[3]) {
  if (at[0] == '\0' || at[1] == '\0') failWithMessage("%s: 条件「異王」が解析できません。\n");
  symbol[0] = at[0];
  symbol[1] = at[1];
  symbol[2] = '\0';
}

void applyConditions() {
  if (std::strcmp(fairyPieceSymbol(), "＊") != 0) return;
  const char* conditions = problem.conditions;
  static const char kDifferentKings[] = "異王（";
  if (const char* marker = std::strstr(conditions, kDifferentKings)) {
    const char* after = marker + std::strlen(kDifferentKings);
    char first[3];
    takeKingSymbol(after, first);
    if (pieceCodeOf(first) == 0) {
      setName(pieces::kKing, first);
      setName(pieces::kKing + pieces::kPromoted, "・");
    }
    const char* slash = std::strstr(after, "／");
    if (slash == nullptr) failWithMessage("%s: 条件「異王」が解析できません。\n");
    char second[3];
    takeKingSymbol(slash + std::strlen("／"), second);
    if (pieceCodeOf(second) == 0) {
      setName(pieces::kSecondKing, second);
      setName(pieces::kSecondKing + pieces::kPromoted, "・");
    }
    return;
  }
  for (const pieces::FairyKing& king : pieces::fairyKings) {
    if (std::strstr(conditions, king.condition) != nullptr) {
      setName(pieces::kKing, king.symbol);
      setName(pieces::kSecondKing, "・");
      setName(pieces::kKing + pieces::kPromoted, "・");
      setName(pieces::kSecondKing + pieces::kPromoted, "・");
      return;
    }
  }
}
