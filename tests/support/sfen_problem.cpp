#include "support/sfen_problem.h"

#include "matesolver/notation.h"
#include "shogi/movegen.h"

namespace sfen_problem {

using namespace shogi;

namespace {

// The position turned round so that the side to move is Black.
Position attackerAsBlack(const Position& pos) {
  if (pos.sideToMove() == BLACK) return pos;
  Position turned;
  for (int file = 1; file <= 9; ++file) {
    for (int rank = 1; rank <= 9; ++rank) {
      const Piece p = pos.at(square(file, rank));
      if (p != EMPTY) turned.put(square(10 - file, 10 - rank), makePiece(~colorOf(p), typeOf(p)));
    }
  }
  for (int t = PAWN; t <= ROOK; ++t) {
    turned.setHand(BLACK, PieceType(t), pos.hand(WHITE, PieceType(t)));
    turned.setHand(WHITE, PieceType(t), pos.hand(BLACK, PieceType(t)));
  }
  return turned;
}

std::string handText(const Position& pos, Color c) {
  std::string text;
  const matesolver::Names names;
  for (int t = ROOK; t >= PAWN; --t) {
    const int n = pos.hand(c, PieceType(t));
    if (n == 0) continue;
    text += matesolver::nameOf(PieceType(t), c, names);
    if (n > 1) text += std::to_string(n);
  }
  return text;
}

std::string boardText(const Position& pos, Color c) {
  std::string text;
  const matesolver::Names names;
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

}  // namespace

std::vector<std::string> positionLines(const std::string& sfen, std::string* error) {
  Position given;
  if (!given.setSfen(sfen, error)) return {};
  const Position pos = attackerAsBlack(given);
  const std::string attackerHand = handText(pos, BLACK);
  std::string attacker = boardText(pos, BLACK);
  if (!attackerHand.empty()) attacker.append(" +").append(attackerHand);
  attacker += ',';
  std::string defender = boardText(pos, WHITE);
  defender.append(" @+").append(handText(pos, WHITE));
  return {attacker, defender};
}

std::string openStepCheck(const std::string& sfen, int plies, const std::string& rule, std::string* error) {
  const std::vector<std::string> lines = positionLines(sfen, error);
  if (lines.empty()) return {};
  // A knight cannot be dropped on the last rank: nothing legal is excluded.
  return "/EEXCEPT=11桂打\n" + rule + " @@\n" + lines[0] + "\n" + lines[1] + "\n#" + std::to_string(plies) + "\n";
}

std::string wholeCheck(const std::string& sfen, const std::vector<std::string>& usiMoves, const std::string& rule,
                       std::string* error) {
  const std::vector<std::string> lines = positionLines(sfen, error);
  if (lines.empty()) return {};
  Position given;
  given.setSfen(sfen, error);
  const bool turned = given.sideToMove() == WHITE;
  Position pos;
  std::string ignored;
  // Replay on the turned position to write the moves in the notation.
  pos.setSfen(given.sfen(), &ignored);
  std::vector<Move> moves;
  for (const std::string& usi : usiMoves) {
    Move m = parseUsiMove(pos, usi);
    if (m.isNull()) {
      *error = "bad move " + usi;
      return {};
    }
    moves.push_back(m);
    pos.doMove(m);
  }
  for (size_t i = moves.size(); i-- > 0;) pos.undoMove(moves[i]);
  auto turn = [&](Square s) { return turned && s != NO_SQUARE ? square(10 - fileOf(s), 10 - rankOf(s)) : s; };
  Position blackView = attackerAsBlack(given);
  std::vector<Move> turnedMoves;
  for (Move m : moves) {
    turnedMoves.push_back(m.isDrop() ? Move::drop(m.dropped(), turn(m.to()))
                                     : Move::board(turn(m.from()), turn(m.to()), m.promotes()));
  }
  const std::string text = matesolver::formatLine(blackView, turnedMoves, NO_SQUARE, matesolver::Names{});
  return rule + " @@\n" + lines[0] + "\n" + lines[1] + "\n| " + text + "\n#" + std::to_string(moves.size()) + "\n";
}

}  // namespace sfen_problem
