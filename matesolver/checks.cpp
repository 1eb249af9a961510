#include "matesolver/checks.h"

#include <algorithm>
#include <cstdlib>

#include "shogi/movegen.h"

namespace matesolver {

using namespace shogi;

namespace {

// How many plies past the stated length a longer defence is looked for, to
// tell a longer mate (変長) from an escape (逃れ).
constexpr int kLongerDefenceReach = 20;
constexpr uint64_t kLongerDefenceNodes = 200000;

// The reply that escapes, or defends longer than `bound` allows, at a
// defender's turn that is not mated within `bound`.
Move escapingReply(Position& pos, int bound, MateSearch& mate) {
  MoveList replies;
  generateLegal(pos, replies);
  for (Move r : replies) {
    if (mate.isFutile(pos, r, bound)) continue;
    pos.doMove(r);
    const bool mated = bound - 1 >= mate.fewestAttackerPlies() && mate.attackerMates(pos, bound - 1);
    pos.undoMove(r);
    if (!mated) return r;
  }
  return Move{};
}

// A mate line after a reply the stated line did not take, when one exists
// within kLongerDefenceReach plies more; empty for none (or none found
// within kLongerDefenceNodes). The check's own limits still hold: when one
// of them stops the look, the check is interrupted.
std::vector<Move> longerMate(Position& pos, int bound, MateSearch& mate) {
  const Limits saved = mate.limits;
  Limits local = saved;
  const uint64_t budget = mate.nodes + kLongerDefenceNodes;
  local.nodeLimit = saved.nodeLimit != 0 ? std::min(saved.nodeLimit, budget) : budget;
  mate.limits = local;
  std::vector<Move> line;
  bool cut = false;
  try {
    if (mate.attackerMates(pos, bound + kLongerDefenceReach)) line = mate.mateLine(pos, bound + kLongerDefenceReach);
  } catch (const Interrupted&) {
    line.clear();
    cut = true;
  }
  mate.limits = saved;
  const bool checkLimitReached = (saved.stop != nullptr && *saved.stop) ||
                                 (saved.nodeLimit != 0 && mate.nodes >= saved.nodeLimit) ||
                                 (saved.deadline != 0 && monotonicMillis() >= saved.deadline);
  if (cut && checkLimitReached) throw Interrupted{};
  return line;
}

// A position after a move of the stated line (ply 0: the initial one).
struct StatedPosition {
  Position position;
  int ply;
};

// Plays the stated line: every attacker move must check and no position may
// come back. Returns the first fault in the order of the moves, the reading
// fault of the input after the moves read, or nothing; `after` receives the
// position after every move, the initial one first.
std::string replayStated(const CheckInput& input, std::vector<StatedPosition>& after) {
  Position pos = input.position;
  const std::vector<Move>& moves = input.statedMoves;
  after.push_back({pos, 0});
  Square previous = NO_SQUARE;
  for (size_t i = 0; i < moves.size(); ++i) {
    const int ply = int(i) + 1;
    if (pos.sideToMove() == BLACK && !givesCheck(pos, moves[i])) {
      return plyText(ply) + " " + formatMove(pos, moves[i], previous, input.names) + " が王手ではない";
    }
    pos.doMove(moves[i]);
    previous = moves[i].to();
    for (const StatedPosition& earlier : after) {
      if (earlier.position.key() == pos.key()) {
        return plyText(ply) + "で" + (earlier.ply == 0 ? std::string("初形") : plyText(earlier.ply) + "の後") +
               "と同じ局面に戻る";
      }
    }
    after.push_back({pos, ply});
  }
  return input.statedError;
}

// "5手目の後 " or, for the initial position, "初形で ".
std::string afterText(int ply) { return ply == 0 ? std::string("初形で ") : plyText(ply) + "の後 "; }

CheckOutcome wholeStandard(const CheckInput& input, MateSearch& mate) {
  CheckOutcome out;
  std::vector<StatedPosition> after;
  if (const std::string fault = replayStated(input, after); !fault.empty()) {
    out.lines.push_back("判定：作意不成立　" + fault);
    return out;
  }
  // Wherever the defender is to move (after every attacker move, and at the
  // start when it moves first) it must be mated within the plies that
  // remain: no escape and no longer defence; the last position is mate.
  const std::vector<Move>& moves = input.statedMoves;
  for (size_t k = after.size(); k-- > 0;) {
    StatedPosition& a = after[k];
    if (a.position.sideToMove() != WHITE) continue;
    const int remaining = input.plies - a.ply;
    if (mate.defenderMated(a.position, remaining)) continue;
    std::string why;
    if (remaining == 0) {
      why = a.ply == 0 ? "初形が詰みではない（手数 0）" : afterText(a.ply) + "最終手で詰んでいない";
    } else {
      const Move r = escapingReply(a.position, remaining, mate);
      const Square previous = a.ply == 0 ? NO_SQUARE : moves[a.ply - 1].to();
      if (r.isNull()) {
        why = afterText(a.ply) + "受方の応手が残る";
      } else {
        const std::string reply = formatMove(a.position, r, previous, input.names);
        a.position.doMove(r);
        const std::vector<Move> line = longerMate(a.position, remaining - 1, mate);
        why = afterText(a.ply) + (line.empty() ? "逃れ " : "変長 ") + reply;
        if (!line.empty()) why += " " + formatLine(a.position, line, r.to(), input.names);
        a.position.undoMove(r);
      }
    }
    out.lines.push_back("判定：作意不成立　" + why);
    return out;
  }
  // A selfmate of 0 plies leaves the defender no turn: its goal, the
  // attacker's king mated, must hold at the start.
  if (mate.selfmate() && input.plies == 0 && !isCheckmated(after[0].position)) {
    out.lines.push_back("判定：作意不成立　初形が詰みではない（手数 0）");
    return out;
  }
  out.lines.push_back("判定：作意どおり詰む");
  out.timeSuffix = "手順成立";
  return out;
}

// The direction from `from` toward `to` when both lie on one rank, file or
// diagonal, else 0.
int lineDirection(Square from, Square to) {
  const int df = fileOf(to) - fileOf(from), dr = rankOf(to) - rankOf(from);
  if ((df == 0 && dr == 0) || (df != 0 && dr != 0 && std::abs(df) != std::abs(dr))) return 0;
  return delta((df > 0) - (df < 0), (dr > 0) - (dr < 0));
}

// Whether attacker move m checks the defender's king along direction d: the
// piece it puts on its square reaches the king that way.
bool checksAlong(Position& pos, Move m, int d) {
  const Square king = pos.kingSquare(WHITE);
  pos.doMove(m);
  const PieceRules& rules = pieceRules[typeOf(pos.at(m.to()))];
  bool reaches = false;
  for (int i = 0; i < rules.stepCount && !reaches; ++i) {
    if (stepDelta(BLACK, rules.steps[i]) != d) continue;
    Square x = m.to() + d;
    if (rules.steps[i].slide) {
      while (x != king && pos.at(x) == EMPTY) x += d;
    }
    reaches = x == king;
  }
  pos.undoMove(m);
  return reaches;
}

// Whether attacker move m plays the idea of move e another way (非限定):
// the same piece (the same kind dropped, or the piece on the same square)
// going to the same square with the other promotion choice, or to another
// square of the same line through the defender's king, on the same side,
// both moves checking along that line.
bool playsIdeaOtherWay(Position& pos, Move e, Move m) {
  if (m == e || m.isDrop() != e.isDrop()) return false;
  if (m.isDrop() ? m.dropped() != e.dropped() : m.from() != e.from()) return false;
  if (m.to() == e.to()) return !m.isDrop() && m.promotes() != e.promotes();
  const Square king = pos.kingSquare(WHITE);
  const int d = lineDirection(e.to(), king);
  return d != 0 && lineDirection(m.to(), king) == d && checksAlong(pos, e, d) && checksAlong(pos, m, d);
}

// The legal checks that play the idea of `excluded` another way.
std::vector<Move> otherWaysOf(Position& pos, Move excluded) {
  MoveList checks;
  generateChecks(pos, checks);
  std::vector<Move> found;
  for (Move m : checks) {
    if (playsIdeaOtherWay(pos, excluded, m)) found.push_back(m);
  }
  return found;
}

CheckOutcome stepStandard(const CheckInput& input, const CheckOptions& options, MateSearch& mate) {
  CheckOutcome out;
  Position pos = input.position;
  const int n = input.plies;
  // Lines that come back to this position are no findings.
  mate.setCheckPosition(pos);
  if (pos.sideToMove() == BLACK) {
    std::vector<Move> excluded = {input.excluded};
    // At /L2 the excluded move's idea played another way is tolerated, but
    // not so as to hide an alternative that is not: those are looked for
    // first, with the tolerated moves left out as well.
    const std::vector<Move> otherWays = options.level >= 2 && n > 1 ? otherWaysOf(pos, input.excluded) : std::vector<Move>{};
    if (!otherWays.empty()) {
      std::vector<Move> untolerated = excluded;
      untolerated.insert(untolerated.end(), otherWays.begin(), otherWays.end());
      if (mate.attackerMates(pos, n, untolerated)) {
        out.lines.push_back("余詰：" + formatLine(pos, mate.mateLine(pos, n, untolerated), NO_SQUARE, input.names));
        return out;
      }
    }
    if (!mate.attackerMates(pos, n, excluded)) {
      out.lines.push_back("不詰");
      out.timeSuffix = "全検完了";
      return out;
    }
    const std::string text = formatLine(pos, mate.mateLine(pos, n, excluded), NO_SQUARE, input.names);
    if (n == 1 && options.level >= 2) {
      out.lines.push_back("最終手余詰：" + text);
      out.timeSuffix = "全検完了";
    } else if (!otherWays.empty()) {
      out.lines.push_back("非限定：" + text);
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
    const int fewest = mate.fewestAttackerPlies();
    if (n - 3 >= fewest && mate.attackerMates(pos, n - 3)) {
      pos.undoMove(r);
      continue;
    }
    if (n - 1 >= fewest && mate.attackerMates(pos, n - 1)) {
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
  std::vector<StatedPosition> after;
  if (const std::string fault = replayStated(input, after); !fault.empty()) {
    out.lines.push_back("判定：作意不成立　" + fault);
    return out;
  }
  // The side the rule mates: the defender, or in helpselfmates the attacker.
  const Color mated = input.rule == Rule::Helpselfmate ? BLACK : WHITE;
  Position& last = after.back().position;
  if (last.sideToMove() != mated || !isCheckmated(last)) {
    out.lines.push_back(std::string("判定：作意不成立　") +
                        (after.size() == 1 ? "初形が詰みではない（手数 0）" : "最終手で詰んでいない"));
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

// A solve request: the shortest solution within the plies given, the
// defender's longest defence at its turns (futile drops left out), or for
// the cooperative rules a shortest cooperative line.
CheckOutcome solveProblem(const CheckInput& input, MateSearch& mate, HelpmateSearch& helpmate) {
  CheckOutcome out;
  Position pos = input.position;
  std::vector<Move> line;
  bool solved = false;
  if (input.rule == Rule::Helpmate || input.rule == Rule::Helpselfmate) {
    solved = helpmate.find(pos, input.plies, Move{}, &line);
  } else {
    // The lengths of the right parity from the shortest up: the first bound
    // with a mate gives a shortest one.
    const bool attackerFirst = pos.sideToMove() == BLACK;
    const int parity = attackerFirst == !mate.selfmate() ? 1 : 0;
    for (int bound = parity == 1 ? 1 : 2; bound <= input.plies && !solved; bound += 2) {
      solved = attackerFirst ? mate.attackerMates(pos, bound) : mate.defenderMated(pos, bound);
      if (solved) line = mate.mateLine(pos, bound);
    }
  }
  if (!solved) {
    out.lines.push_back("不詰");
    out.timeSuffix = "全検完了";
    return out;
  }
  out.lines.push_back("解：" + formatLine(pos, line, NO_SQUARE, input.names));
  out.lines.push_back("まで" + std::to_string(line.size()) + "手詰");
  return out;
}

}  // namespace

CheckOutcome runCheck(const CheckInput& input, const CheckOptions& options, MateSearch& mate,
                      HelpmateSearch& helpmate) {
  mate.setSelfmate(input.rule == Rule::Selfmate);
  helpmate.selfmate = input.rule == Rule::Helpselfmate;
  try {
    if (input.solveRequest) return solveProblem(input, mate, helpmate);
    if (input.rule == Rule::Helpmate || input.rule == Rule::Helpselfmate) {
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
