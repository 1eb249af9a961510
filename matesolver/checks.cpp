#include "matesolver/checks.h"

#include "shogi/movegen.h"

namespace matesolver {

using namespace shogi;

namespace {

// How many plies past the stated length a longer defence is looked for, to
// tell a longer mate (変長) from an escape (逃れ).
constexpr int kLongerDefenceReach = 20;
constexpr uint64_t kLongerDefenceNodes = 200000;

std::string plyText(int ply) { return std::to_string(ply) + "手目"; }

// The reply that escapes, or defends longer than `bound` allows, at a
// defender's turn that is not mated within `bound`.
Move escapingReply(Position& pos, int bound, MateSearch& mate) {
  MoveList replies;
  generateLegal(pos, replies);
  for (Move r : replies) {
    if (mate.isFutile(pos, r, bound)) continue;
    pos.doMove(r);
    const bool mated = bound >= 2 && mate.attackerMates(pos, bound - 1);
    pos.undoMove(r);
    if (!mated) return r;
  }
  return Move{};
}

// A mate line after a reply the stated line did not take, when one exists
// within kLongerDefenceReach plies more; empty for none (or none found).
std::vector<Move> longerMate(Position& pos, int bound, MateSearch& mate) {
  const Limits saved = mate.limits;
  Limits local = saved;
  local.nodeLimit = mate.nodes + kLongerDefenceNodes;
  mate.limits = local;
  std::vector<Move> line;
  try {
    if (mate.attackerMates(pos, bound + kLongerDefenceReach)) line = mate.mateLine(pos, bound + kLongerDefenceReach);
  } catch (const Interrupted&) {
    line.clear();
  }
  mate.limits = saved;
  if (saved.stop != nullptr && *saved.stop) throw Interrupted{};
  return line;
}

CheckOutcome wholeStandard(const CheckInput& input, MateSearch& mate) {
  CheckOutcome out;
  Position pos = input.position;
  const std::vector<Move>& moves = input.statedMoves;
  // Replay: legal moves (checked when read), every attacker move a check;
  // the first fault in the order of the moves is the one reported.
  struct AfterAttack {
    Position position;
    int remaining;
    int ply;
  };
  std::vector<AfterAttack> afterAttacks;
  Square previous = NO_SQUARE;
  for (size_t i = 0; i < moves.size(); ++i) {
    const bool byAttacker = pos.sideToMove() == BLACK;
    const std::string written = formatMove(pos, moves[i], previous, input.names);
    if (byAttacker && !givesCheck(pos, moves[i])) {
      out.lines.push_back("判定：作意不成立　" + plyText(int(i) + 1) + " " + written + " が王手ではない");
      return out;
    }
    pos.doMove(moves[i]);
    previous = moves[i].to();
    if (byAttacker) afterAttacks.push_back({pos, input.plies - int(i) - 1, int(i) + 1});
  }
  if (!input.statedError.empty()) {
    out.lines.push_back("判定：作意不成立　" + input.statedError);
    return out;
  }
  // After every attacker move the defender must be mated within the plies
  // that remain: no escape and no longer defence; the last one is mate.
  for (size_t k = afterAttacks.size(); k-- > 0;) {
    AfterAttack& a = afterAttacks[k];
    if (mate.defenderMated(a.position, a.remaining)) continue;
    std::string why;
    if (a.remaining == 0) {
      why = "最終手で詰んでいない";
    } else {
      const Move r = escapingReply(a.position, a.remaining, mate);
      if (r.isNull()) {
        why = "受方の応手が残る";
      } else {
        const std::string reply = formatMove(a.position, r, moves[a.ply - 1].to(), input.names);
        a.position.doMove(r);
        const std::vector<Move> line = longerMate(a.position, a.remaining - 1, mate);
        why = (line.empty() ? "逃れ " : "変長 ") + reply;
        if (!line.empty()) why += " " + formatLine(a.position, line, r.to(), input.names);
        a.position.undoMove(r);
      }
    }
    out.lines.push_back("判定：作意不成立　" + plyText(a.ply) + "の後 " + why);
    return out;
  }
  out.lines.push_back("判定：作意どおり詰む");
  out.timeSuffix = "手順成立";
  return out;
}

CheckOutcome stepStandard(const CheckInput& input, const CheckOptions& options, MateSearch& mate) {
  CheckOutcome out;
  Position pos = input.position;
  const int n = input.plies;
  if (pos.sideToMove() == BLACK) {
    if (!mate.attackerMates(pos, n, input.excluded)) {
      out.lines.push_back("不詰");
      out.timeSuffix = "全検完了";
      return out;
    }
    const std::vector<Move> line = mate.mateLine(pos, n, input.excluded);
    const std::string text = formatLine(pos, line, NO_SQUARE, input.names);
    if (n == 1 && options.level >= 2) {
      out.lines.push_back("最終手余詰：" + text);
      out.timeSuffix = "全検完了";
    } else {
      out.lines.push_back("余詰：" + text);
    }
    return out;
  }

  // The defender's turn: a finding is a reply, not futile, after which the
  // attacker cannot mate within n - 3 plies.
  MoveList replies;
  generateLegal(pos, replies);
  std::string equal;  // a defence exactly as long as the stated one
  for (Move r : replies) {
    if (r == input.excluded) continue;
    if (mate.isFutile(pos, r, n)) continue;
    const std::string reply = formatMove(pos, r, NO_SQUARE, input.names);
    pos.doMove(r);
    if (n - 3 >= 1 && mate.attackerMates(pos, n - 3)) {
      pos.undoMove(r);
      continue;
    }
    if (n - 1 >= 1 && mate.attackerMates(pos, n - 1)) {
      if (equal.empty()) equal = reply + " " + formatLine(pos, mate.mateLine(pos, n - 1), r.to(), input.names);
      pos.undoMove(r);
      continue;
    }
    const std::vector<Move> line = longerMate(pos, n - 1, mate);
    if (line.empty()) {
      out.lines.push_back("逃れ：" + reply);
    } else {
      out.lines.push_back("変長：" + reply + " " + formatLine(pos, line, r.to(), input.names));
    }
    pos.undoMove(r);
    return out;
  }
  if (!equal.empty()) {
    out.lines.push_back("変同：" + equal);
    if (options.level >= 2) out.timeSuffix = "全検完了";
    return out;
  }
  out.lines.push_back("不詰");
  out.timeSuffix = "全検完了";
  return out;
}

CheckOutcome wholeHelpmate(const CheckInput& input) {
  CheckOutcome out;
  Position pos = input.position;
  Square previous = NO_SQUARE;
  for (size_t i = 0; i < input.statedMoves.size(); ++i) {
    const Move m = input.statedMoves[i];
    if (pos.sideToMove() == BLACK && !givesCheck(pos, m)) {
      out.lines.push_back("判定：作意不成立　" + plyText(int(i) + 1) + " " + formatMove(pos, m, previous, input.names) +
                          " が王手ではない");
      return out;
    }
    pos.doMove(m);
    previous = m.to();
  }
  if (!input.statedError.empty()) {
    out.lines.push_back("判定：作意不成立　" + input.statedError);
    return out;
  }
  if (!isCheckmated(pos) || pos.sideToMove() != WHITE) {
    out.lines.push_back("判定：作意不成立　最終手で詰んでいない");
    return out;
  }
  out.lines.push_back("判定：作意どおり詰む");
  out.timeSuffix = "手順成立";
  return out;
}

CheckOutcome stepHelpmate(const CheckInput& input, HelpmateSearch& helpmate) {
  CheckOutcome out;
  Position pos = input.position;
  std::vector<Move> line;
  if (helpmate.find(pos, input.plies, input.excluded, &line)) {
    out.lines.push_back("余詰：" + formatLine(pos, line, NO_SQUARE, input.names));
    return out;
  }
  out.lines.push_back("不詰");
  out.timeSuffix = "全検完了";
  return out;
}

}  // namespace

CheckOutcome runCheck(const CheckInput& input, const CheckOptions& options, MateSearch& mate,
                      HelpmateSearch& helpmate) {
  try {
    if (input.rule == Rule::Helpmate) {
      return input.stepCheck ? stepHelpmate(input, helpmate) : wholeHelpmate(input);
    }
    return input.stepCheck ? stepStandard(input, options, mate) : wholeStandard(input, mate);
  } catch (const Interrupted&) {
    CheckOutcome out;
    out.lines.push_back("中断");
    out.interrupted = true;
    return out;
  }
}

}  // namespace matesolver
