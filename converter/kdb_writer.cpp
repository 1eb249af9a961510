#include "converter/kdb_writer.h"

#include "matesolver/notation.h"

namespace converter {

using namespace shogi;

std::string boardText(const Position& pos, Color c, const matesolver::Names& names) {
  std::string text;
  for (int file = 1; file <= 9; ++file) {
    for (int rank = 1; rank <= 9; ++rank) {
      const Piece p = pos.at(square(file, rank));
      if (p == EMPTY || colorOf(p) != c) continue;
      text += std::to_string(file * 10 + rank);
      text += matesolver::nameOf(typeOf(p), c, names);
    }
  }
  return text;
}

// Big pieces first, as composers write hands: 飛角金銀桂香歩.
std::string handText(const Position& pos, Color c) {
  const matesolver::Names names;
  std::string text;
  for (PieceType t : {ROOK, BISHOP, GOLD, SILVER, KNIGHT, LANCE, PAWN}) {
    const int n = pos.hand(c, t);
    if (n == 0) continue;
    text += matesolver::nameOf(t, c, names);
    if (n > 1) text += std::to_string(n);
  }
  return text;
}

namespace {

// One header line.
void addLine(std::string& text, const char* header, const std::string& value) {
  text.append(header).append(value).append("\n");
}

}  // namespace

std::string writeProblemFile(const Problem& problem) {
  matesolver::Names names;
  for (int c = 0; c < 2; ++c) {
    if (!problem.kingNames[c].empty()) names.kingNames[c] = problem.kingNames[c];
  }
  std::string text;
  addLine(text, "ルール：", problem.rule.empty() ? std::string("詰将棋") : problem.rule);
  if (!problem.conditions.empty()) addLine(text, "条件：", problem.conditions);
  const std::string count = std::to_string(problem.moves.size());
  addLine(text, "手数：", count);
  addLine(text, "攻方：", boardText(problem.start, BLACK, names));
  addLine(text, "受方：", boardText(problem.start, WHITE, names));
  const std::string attackerHand = handText(problem.start, BLACK);
  addLine(text, "攻方持駒：", attackerHand.empty() ? std::string("なし") : attackerHand);
  switch (problem.defenderHand) {
    case Problem::DefenderHand::Explicit:
      addLine(text, "受方持駒：", handText(problem.start, WHITE));
      break;
    case Problem::DefenderHand::None:
      addLine(text, "受方持駒：", "なし");
      break;
    case Problem::DefenderHand::Remaining:
      break;  // no line: the defender holds every piece placed nowhere else
  }
  addLine(text, "作意：", "");
  // Ten moves to a line: the reader takes lines in pieces of 511 bytes, and
  // a move cut between two pieces would no longer read.
  Position pos = problem.start;
  Square previous = NO_SQUARE;
  for (size_t i = 0; i < problem.moves.size(); ++i) {
    const Move m = problem.moves[i];
    text += matesolver::formatMove(pos, m, previous, names);
    text += (i + 1) % 10 == 0 || i + 1 == problem.moves.size() ? "\n" : " ";
    pos.doMove(m);
    previous = m.to();
  }
  addLine(text, "まで", count + "手");
  std::string crlf;
  for (char c : text) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  return crlf;
}

}  // namespace converter
