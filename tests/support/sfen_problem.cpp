#include "support/sfen_problem.h"

#include "converter/kdb_writer.h"
#include "matesolver/notation.h"
#include "shogi/movegen.h"

namespace sfen_problem {

using namespace shogi;

namespace {

// The position turned round so that the side to move is Black.
Position attackerAsBlack(const Position& pos) {
  return pos.sideToMove() == BLACK ? pos : converter::turnedRound(pos);
}

}  // namespace

std::vector<std::string> positionLines(const std::string& sfen, std::string* error) {
  Position given;
  if (!given.setSfen(sfen, error)) return {};
  const Position pos = attackerAsBlack(given);
  const matesolver::Names names;
  const std::string attackerHand = converter::handText(pos, BLACK);
  std::string attacker = converter::boardText(pos, BLACK, names);
  if (!attackerHand.empty()) attacker.append(" +").append(attackerHand);
  attacker += ',';
  std::string defender = converter::boardText(pos, WHITE, names);
  defender.append(" @+").append(converter::handText(pos, WHITE));
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
  Position blackView = attackerAsBlack(given);
  std::vector<Move> turnedMoves;
  for (Move m : moves) turnedMoves.push_back(turned ? converter::turnedMove(m) : m);
  const std::string text = matesolver::formatLine(blackView, turnedMoves, NO_SQUARE, matesolver::Names{});
  return rule + " @@\n" + lines[0] + "\n" + lines[1] + "\n| " + text + "\n#" + std::to_string(moves.size()) + "\n";
}

}  // namespace sfen_problem
