#include "tsuka/problem/notation.h"

#include <cstring>
#include <new>

#include "common/cp932.h"
#include "tsuka/driver/diagnostics.h"
#include "tsuka/platform/platform.h"
#include "tsuka/problem/pieces.h"
#include "tsuka/problem/reader.h"

std::vector<MoveRecord> moveRecords;

static bool isSquareDigit(char c) { return c >= '1' && c <= '9'; }
static int twoDigits(const char* p) { return (p[0] - '0') * 10 + (p[1] - '0'); }

// Reads one move at the cursor into record and returns the cursor after it
// and the white space that follows.
static const char* parseMove(const char* p, const MoveRecord& previous, uint16_t side,
                             MoveRecord& record) {
  record = MoveRecord{};
  if (cp932::startsWith(p, "同")) {
    record.destination = previous.destination;
  } else if (cp932::isAsciiDigit(p[0]) && cp932::isAsciiDigit(p[1])) {
    record.destination = static_cast<uint16_t>(twoDigits(p));
  } else {
    failWithMessage("%s: 指定詰手順が解析できません。－ 移動先\n");
  }
  p += 2;

  record.piece = pieceCodeOf(p);
  if (record.piece == 0) failWithMessage("%s: 指定詰手順が解析できません。－ 駒\n");
  p += 2;  // every name is two bytes, so a match had both

  if (cp932::startsWith(p, "成")) {
    record.flags = MOVE_PROMOTES;
    p += 2;
  } else if (cp932::startsWith(p, "生")) {
    p += 2;
  }
  record.flags |= side;

  if (cp932::startsWith(p, "打")) {
    record.origin = 0;
    p += 2;
  } else if (p[0] == '(' && cp932::isAsciiDigit(p[1]) && cp932::isAsciiDigit(p[2]) && p[3] == ')') {
    record.origin = static_cast<uint16_t>(twoDigits(p + 1));
    p += 4;
  } else {
    failWithMessage("%s: 指定詰手順が解析できません。－ 移動元\n");
  }

  if (p[0] == '/') {
    // A rebirth square must be a square of the board: two digits 1 to 9.
    if (!isSquareDigit(p[1]) || !isSquareDigit(p[2])) {
      failWithMessage("%s: 指定詰手順が解析できません。－ キルケ移動先\n");
    }
    record.rebirthSquare = static_cast<uint16_t>(twoDigits(p + 1));
    record.rebirthPiece = pieceCodeOf(p + 3);
    if (record.rebirthPiece == 0) failWithMessage("%s: 指定詰手順が解析できません。－ キルケ移動先\n");
    p += 5;
  }

  while (cp932::isAsciiSpace(static_cast<unsigned char>(*p))) ++p;
  return p;
}

void parseStatedSolution() {
  const int32_t count = problem.moveCount;
  try {
    moveRecords.assign(1, MoveRecord{});
    // The last move is the attacker's, or the defender's when the rule
    // contains 自 (selfmates); the sides alternate back from it.
    const bool self = std::strstr(problem.rule, "自") != nullptr;
    const bool oddCount = (count % 2) != 0;
    uint16_t side = (oddCount != self) ? MOVE_BY_ATTACKER : MOVE_BY_DEFENDER;
    const char* cursor = problem.statedSolution.c_str();
    for (int32_t k = 1; k <= count; ++k) {
      MoveRecord record;
      cursor = parseMove(cursor, moveRecords.back(), side, record);
      moveRecords.push_back(record);
      side = side == MOVE_BY_ATTACKER ? MOVE_BY_DEFENDER : MOVE_BY_ATTACKER;
    }
    moveRecords.push_back(MoveRecord{});
  } catch (const std::bad_alloc&) {
    platform::setOutOfMemory();
    failWithSystemError("メモリ割当てエラー", "詰手順データ領域");
  }
}
