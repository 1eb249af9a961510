#include "fuzz/converter_checks.h"

#include <vector>

#include "converter/kdb_writer.h"
#include "converter/transcode.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/solver_lines.h"
#include "matesolver/input.h"

using namespace shogi;

namespace {

bool startsWith(const std::string& text, const std::string& prefix) { return text.compare(0, prefix.size(), prefix) == 0; }

// The problem file's lines without their CR LF.
std::vector<std::string> linesOf(const std::string& file) {
  std::vector<std::string> lines;
  size_t at = 0;
  while (at < file.size()) {
    const size_t end = file.find("\r\n", at);
    FUZZ_CHECK(end != std::string::npos);
    lines.push_back(file.substr(at, end - at));
    at = end + 2;
  }
  return lines;
}

// The solver input file the checker writes for the whole problem from the
// header lines of a problem file (without conditions).
std::string solverInputOf(const std::vector<std::string>& lines, size_t moves) {
  std::string attacker, defender, attackerHand, defenderHand, solution;
  bool defenderHandGiven = false;
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string& l = lines[i];
    if (startsWith(l, "攻方：")) attacker = l.substr(std::string("攻方：").size());
    if (startsWith(l, "受方：")) defender = l.substr(std::string("受方：").size());
    if (startsWith(l, "攻方持駒：")) attackerHand = l.substr(std::string("攻方持駒：").size());
    if (startsWith(l, "受方持駒：")) {
      defenderHand = l.substr(std::string("受方持駒：").size());
      defenderHandGiven = true;
    }
    if (l == "作意：") {
      for (++i; i < lines.size() && !startsWith(lines[i], "まで"); ++i) solution += lines[i] + " ";
    }
  }
  if (attackerHand == "なし") attackerHand.clear();
  std::string text = "詰将棋 @@\n" + attacker + (attackerHand.empty() ? "" : " +" + attackerHand) + ",\n";
  text += defender;
  if (defenderHandGiven) text += " @+" + (defenderHand == "なし" ? std::string() : defenderHand);
  return text + "\n| " + solution + "\n#" + std::to_string(moves) + "\n";
}

bool samePosition(const Position& a, const Position& b) {
  for (int file = 1; file <= 9; ++file) {
    for (int rank = 1; rank <= 9; ++rank) {
      if (a.at(square(file, rank)) != b.at(square(file, rank))) return false;
    }
  }
  return a.packedHand(BLACK) == b.packedHand(BLACK) && a.packedHand(WHITE) == b.packedHand(WHITE) &&
         a.sideToMove() == b.sideToMove();
}

}  // namespace

bool asConverterReads(const std::string& bytes, std::string& utf8) {
  if (transcode::isUtf8(bytes)) {
    utf8 = bytes;
    return true;
  }
  return transcode::cp932ToUtf8(bytes, utf8, nullptr);
}

void checkAcceptedProblem(const converter::Problem& problem) {
  FUZZ_CHECK(problem.start.sideToMove() == BLACK);
  std::string why;
  FUZZ_CHECK(converter::checkDefender(problem.start, &why));
  Position pos = problem.start;
  FUZZ_CHECK(playLine(pos, problem.moves, false));

  const std::string file = converter::writeProblemFile(problem);
  std::string utf8;
  FUZZ_CHECK(transcode::cp932ToUtf8(file, utf8, nullptr));
  const std::vector<std::string> lines = linesOf(file);

  const bool plain = (problem.rule.empty() || problem.rule == "詰将棋") && problem.conditions.empty();
  if (!plain || problem.moves.size() % 2 == 0) return;
  matesolver::CheckInput input;
  std::string error;
  if (!matesolver::parseCheckInput(solverInputOf(lines, problem.moves.size()), input, &error)) {
    // Positions the solver does not take: two pawns on a file, a piece
    // that could never move, too many pieces of a kind.
    FUZZ_CHECK(error.rfind("position: ", 0) == 0);
    return;
  }
  FUZZ_CHECK(samePosition(input.position, problem.start));
  FUZZ_CHECK(input.statedMoves == problem.moves);
}

void checkReader(const uint8_t* data, size_t size, ConverterReader read) {
  std::string utf8;
  if (!asConverterReads(std::string(reinterpret_cast<const char*>(data), size), utf8)) return;
  converter::Problem problem;
  converter::InputError error;
  if (!read(utf8, problem, &error)) {
    FUZZ_CHECK(!error.message.empty() && error.line >= 0);
    return;
  }
  checkAcceptedProblem(problem);
}
