#include "tsuka/solver/input_files.h"

#include <cstdarg>
#include <cstring>
#include <string>

#include "common/cp932.h"
#include "tsuka/driver/diagnostics.h"
#include "tsuka/driver/run.h"
#include "tsuka/platform/platform.h"
#include "tsuka/position/position.h"
#include "tsuka/problem/notation.h"
#include "tsuka/problem/pieces.h"
#include "tsuka/problem/reader.h"

char inputFilePath[512];
char outputFilePath[512];
char inputArgument[514];
char outputArgument[514];

// Longest first token that starts a new solution line.
static constexpr size_t kSolutionLineWidth = 72;

// "<directory>/TSUKA<nnn>.<extension>". A four-digit check number would
// make the base name nine characters long; its first digit is dropped to
// keep the 8.3 form (check 1234 writes TSUKA234).
static void nameWorkFile(char* path, size_t pathSize, char* argument, size_t argumentSize,
                         const char* extension, const char* option) {
  std::snprintf(path, pathSize, "%s%sTSUKA%03d.%s", programDirectory, platform::pathSeparator,
                static_cast<int>(checkNumber), extension);
  if (std::strlen(baseName(path)) + 4 == 13) {
    size_t length = std::strlen(path);
    std::memmove(path + length - 8, path + length - 7, 8);
  }
  std::snprintf(argument, argumentSize, "%s%s", option, path);
}

void nameInputFile() {
  nameWorkFile(inputFilePath, sizeof inputFilePath, inputArgument, sizeof inputArgument, "KZI", "/I");
}

void nameOutputFile() {
  nameWorkFile(outputFilePath, sizeof outputFilePath, outputArgument, sizeof outputArgument, "KZO", "/O");
}

static void writeLine(std::FILE* file, const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  va_list again;
  va_copy(again, arguments);
  int length = std::vsnprintf(nullptr, 0, format, arguments);
  va_end(arguments);
  std::string text(static_cast<size_t>(length > 0 ? length : 0) + 1, '\0');
  std::vsnprintf(text.data(), text.size(), format, again);
  va_end(again);
  platform::writeText(file, text.c_str());
}

static platform::OwnedTextFile openInputFile() {
  nameInputFile();
  platform::OwnedTextFile file(platform::openTextFile(inputFilePath, "w"));
  if (file == nullptr) {
    std::string object = std::string(inputFilePath) + " (wt)";
    failWithSystemError("KZIファイルオープンエラー", object.c_str());
  }
  return file;
}

static bool fairyPieceDefined() { return std::strcmp(fairyPieceSymbol(), "＊") != 0; }

static void writeRuleLine(std::FILE* file) {
  writeLine(file, "%s%s @@\n", problem.conditions, problem.rule);
}

static void writeAttackerLine(std::FILE* file, const char* board, const char* hand) {
  if (hand[0] != '\0') {
    writeLine(file, "%s +%s,\n", board, hand);
  } else {
    writeLine(file, "%s,\n", board);
  }
}

// The stated solution in lines of at most 72 bytes (unless one token is
// longer), the first beginning with "| "; a token runs up to and including
// a blank, and no more tokens than moves are written.
static void writeSolutionLines(std::FILE* file) {
  std::string line = "| ";
  if (problem.moveCount >= 1) {
    const char* rest = problem.statedSolution.c_str();
    int32_t taken = 0;
    for (;;) {
      const char* blank = cp932::findChar(rest, ' ');
      size_t length = blank != nullptr ? static_cast<size_t>(blank - rest) + 1 : std::strlen(rest);
      if (line.size() + length > kSolutionLineWidth) {
        writeLine(file, "%s\n", line.c_str());
        line.clear();
      }
      line.append(rest, length);
      if (blank == nullptr || ++taken == problem.moveCount) break;
      rest = blank + 1;
    }
  }
  writeLine(file, "%s\n", line.c_str());
}

void writeWholeProblemFile() {
  const platform::OwnedTextFile owned = openInputFile();
  std::FILE* file = owned.get();
  if (fairyPieceDefined()) writeLine(file, "%s\n", problem.fairyPieceLine);
  writeRuleLine(file);
  writeAttackerLine(file, problem.attackerBoard, problem.attackerHand);
  if (problem.defenderHand[0] == '\0') {
    writeLine(file, "%s\n", problem.defenderBoard);
  } else if (std::strcmp(problem.defenderHand, "なし") == 0) {
    writeLine(file, "%s @+\n", problem.defenderBoard);
  } else {
    writeLine(file, "%s @+%s\n", problem.defenderBoard, problem.defenderHand);
  }
  writeSolutionLines(file);
  writeLine(file, "#%d\n", static_cast<int>(problem.moveCount));
}

void formatExclusionLine(int moveNumber, char* line, size_t capacity) {
  const MoveRecord& move = moveRecords[moveNumber];
  std::snprintf(line, capacity, "/EEXCEPT=%d%s", move.destination, pieceTable[move.piece & 31]);
  if (move.origin == 0) {
    cp932::appendText(line, capacity, "打");
    return;
  }
  // Ranks 1 to 3 are the attacker's promotion zone, 7 to 9 the defender's.
  const int fromRank = move.origin % 10;
  const int toRank = move.destination % 10;
  const bool inZone = (move.flags & MOVE_BY_ATTACKER) ? (fromRank <= 3 || toRank <= 3)
                                                      : (fromRank >= 7 || toRank >= 7);
  if (move.flags & MOVE_PROMOTES) {
    cp932::appendText(line, capacity, "成");
  } else if (inZone) {
    cp932::appendText(line, capacity, "生");
  }
  char origin[16];
  std::snprintf(origin, sizeof origin, "(%d)", move.origin);
  cp932::appendText(line, capacity, origin);
}

void writeStepFile(int moveNumber) {
  const platform::OwnedTextFile owned = openInputFile();
  std::FILE* file = owned.get();
  if (fairyPieceDefined()) writeLine(file, "%s\n", problem.fairyPieceLine);

  Board board;
  Hand attacker, defender;
  setUpPosition(board, attacker, defender);
  for (int k = 1; k < moveNumber; ++k) applyMove(k, board, attacker, defender);
  PositionTexts texts;
  writePositionText(board, attacker, defender, texts);

  char exclusion[512];
  formatExclusionLine(moveNumber, exclusion, sizeof exclusion);
  writeLine(file, "%s\n", exclusion);
  writeRuleLine(file);
  writeAttackerLine(file, texts.attackerBoard, texts.attackerHand);
  // The defender line states the defender's real hand: its pieces when it
  // holds any; nothing after the board when the text means "all remaining
  // pieces" truly; " @+" (an empty hand) when pieces are out of play.
  if (texts.defenderHand[0] != '\0') {
    writeLine(file, "%s @+%s\n", texts.defenderBoard, texts.defenderHand);
  } else if (texts.fullSet || problem.defenderHand[0] == '\0') {
    writeLine(file, "%s\n", texts.defenderBoard);
  } else {
    writeLine(file, "%s @+\n", texts.defenderBoard);
  }
  writeLine(file, "#%d\n", static_cast<int>(problem.moveCount - moveNumber + 1));
}
