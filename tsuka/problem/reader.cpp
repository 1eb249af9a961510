#include "tsuka/problem/reader.h"

#include <cstring>
#include <new>

#include "common/cp932.h"
#include "tsuka/driver/diagnostics.h"
#include "tsuka/platform/platform.h"
#include "tsuka/problem/locate.h"
#include "tsuka/problem/notation.h"
#include "tsuka/problem/pieces.h"

ProblemTexts problem;
char solverName[8] = "KZ.EXE";

// Lines are read in pieces of at most 511 bytes; a longer line comes as
// several pieces, each handled as a line of its own.
static constexpr int kLineBuffer = 512;

void resetProblem() {
  problem.rule[0] = problem.conditions[0] = '\0';
  problem.moveCount = 0;
  problem.attackerBoard[0] = problem.defenderBoard[0] = '\0';
  problem.attackerHand[0] = problem.defenderHand[0] = '\0';
  problem.fairyPieceLine[0] = '\0';
  problem.hasStatedSolution = false;
  problem.statedSolution.clear();
  cp932::copyText(solverName, sizeof solverName, "KZ.EXE");
  resetPieceTable();
  moveRecords.clear();
}

// Removes trailing full-width spaces and ASCII white space from text[0..length).
static size_t trimmedLength(const char* text, size_t length) {
  while (length > 0) {
    if (length >= 2 && static_cast<unsigned char>(text[length - 2]) == 0x81 &&
        static_cast<unsigned char>(text[length - 1]) == 0x40) {
      length -= 2;
    } else if (cp932::isAsciiSpace(static_cast<unsigned char>(text[length - 1]))) {
      length -= 1;
    } else {
      break;
    }
  }
  return length;
}

// Length up to the first line feed.
static size_t lineLength(const char* text) { return std::strcspn(text, "\n"); }

const char* trimHeaderValue(const char* value) {
  static char scratch[512];
  size_t length = cp932::copyText(scratch, sizeof scratch, value, lineLength(value));
  scratch[trimmedLength(scratch, length)] = '\0';
  return scratch;
}

static void storeValue(char* field, size_t capacity, const char* value) {
  cp932::copyText(field, capacity, trimHeaderValue(value));
}

void readRemarksSection(std::FILE* file) {
  char line[kLineBuffer];
  while (platform::readTextLine(file, line, sizeof line)) {
    if (cp932::startsWith(line, "/EFP=")) {
      // The symbol is the two bytes after the first colon; fewer than two
      // before the line ends, or no colon, leave the placeholder "Ｘ".
      const char* colon = cp932::findChar(line, ':');
      char symbol[3] = "";
      if (colon != nullptr && lineLength(colon + 1) >= 2) {
        symbol[0] = colon[1];
        symbol[1] = colon[2];
      } else {
        cp932::copyText(symbol, sizeof symbol, "Ｘ");
      }
      cp932::copyText(pieceTable[pieces::kFairyPiece], sizeof pieceTable[0], symbol);
      cp932::copyText(problem.fairyPieceLine, sizeof problem.fairyPieceLine, line,
                      lineLength(line));
    } else if (cp932::startsWith(line, "／備考終了")) {
      return;
    }
  }
}

std::string readStatedSolution(std::FILE* file) {
  std::string text;
  char line[kLineBuffer];
  while (platform::readTextLine(file, line, sizeof line)) {
    text.append(line, trimmedLength(line, lineLength(line)));
    text += ' ';
  }
  size_t end = text.find(" まで");
  if (end != std::string::npos) text.erase(end);
  return text;
}

void readProblemFile() {
  platform::OwnedTextFile owned(platform::openTextFile(databasePath, "r"));
  std::FILE* file = owned.get();
  if (file == nullptr) {
    std::string object = std::string(databasePath) + " (rt)";
    failWithSystemError("KDBファイルオープンエラー", object.c_str());
  }
  problem.attackerBoard[0] = problem.defenderBoard[0] = '\0';
  problem.attackerHand[0] = problem.defenderHand[0] = '\0';

  char line[kLineBuffer];
  while (platform::readTextLine(file, line, sizeof line)) {
    if (cp932::startsWith(line, "備考：")) {
      readRemarksSection(file);
    } else if (cp932::startsWith(line, "ルール：")) {
      storeValue(problem.rule, sizeof problem.rule, line + std::strlen("ルール："));
    } else if (cp932::startsWith(line, "条件：")) {
      storeValue(problem.conditions, sizeof problem.conditions, line + std::strlen("条件："));
      applyConditions();
    } else if (cp932::startsWith(line, "手数：")) {
      problem.moveCount = cp932::parseDecimal(line + std::strlen("手数："));
    } else if (cp932::startsWith(line, "攻方：")) {
      storeValue(problem.attackerBoard, sizeof problem.attackerBoard, line + std::strlen("攻方："));
    } else if (cp932::startsWith(line, "受方：")) {
      storeValue(problem.defenderBoard, sizeof problem.defenderBoard, line + std::strlen("受方："));
    } else if (cp932::startsWith(line, "攻方持駒：")) {
      const char* value = trimHeaderValue(line + std::strlen("攻方持駒："));
      cp932::copyText(problem.attackerHand, sizeof problem.attackerHand,
                      std::strcmp(value, "なし") == 0 ? "" : value);
    } else if (cp932::startsWith(line, "受方持駒：")) {
      storeValue(problem.defenderHand, sizeof problem.defenderHand, line + std::strlen("受方持駒："));
    } else if (cp932::startsWith(line, "作意：")) {
      try {
        problem.statedSolution = readStatedSolution(file);
      } catch (const std::bad_alloc&) {
        platform::setOutOfMemory();
        failWithSystemError("メモリ割当てエラー", "詰手順データ領域");
      }
      problem.hasStatedSolution = true;
      parseStatedSolution();
    } else if (cp932::startsWith(line, "／詰将棋終了")) {
      break;
    }
  }
  owned.reset();

  // A stated solution of one move or more that the file never gives is one
  // with too few moves.
  if (!problem.hasStatedSolution && problem.moveCount >= 1) {
    failWithMessage("%s: 指定詰手順が解析できません。－ 移動先\n");
  }

  if (std::strcmp(fairyPieceSymbol(), "＊") == 0) return;
  cp932::copyText(solverName, sizeof solverName, "KZX.EXE");
  if (std::strcmp(fairyPieceSymbol(), "Ｘ") == 0) {
    cp932::copyText(pieceTable[pieces::kFairyPiece], sizeof pieceTable[0], "FP");
  }
}
