#include "shogi/movegen.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace shogi {

namespace {

// Adds a board move, with and without promotion as the rules allow.
void addBoardMove(MoveList& list, Color us, PieceType t, Square from, Square to) {
  const PieceRules& r = pieceRules[t];
  const bool canPromote = r.promoted != NO_PIECE_TYPE && (inPromotionZone(us, from) || inPromotionZone(us, to));
  const bool mustPromote = r.deadRanks > 0 && relativeRank(us, rankOf(to)) <= r.deadRanks;
  if (canPromote) list.add(Move::board(from, to, true));
  if (!mustPromote) list.add(Move::board(from, to, false));
}

void generateBoardMoves(const Position& pos, MoveList& list, Square from) {
  const Color us = pos.sideToMove();
  const PieceType t = typeOf(pos.at(from));
  const PieceRules& r = pieceRules[t];
  for (int i = 0; i < r.stepCount; ++i) {
    const int d = stepDelta(us, r.steps[i]);
    Square to = from + d;
    for (;;) {
      const Piece target = pos.at(to);
      if (target == WALL || (target != EMPTY && colorOf(target) == us)) break;
      addBoardMove(list, us, t, from, to);
      if (target != EMPTY || !r.steps[i].slide) break;
      to += d;
    }
  }
}

bool canDropOn(const Position& pos, Color us, PieceType t, Square to) {
  if (pos.at(to) != EMPTY) return false;
  if (relativeRank(us, rankOf(to)) <= pieceRules[t].deadRanks) return false;
  return t != PAWN || !pos.hasPawnOnFile(us, fileOf(to));
}

// Every drop of the side to move that obeys the rules of drops.
void addDrops(const Position& pos, MoveList& list) {
  const Color us = pos.sideToMove();
  for (int t = PAWN; t <= ROOK; ++t) {
    if (pos.hand(us, PieceType(t)) == 0) continue;
    for (int file = 1; file <= 9; ++file) {
      for (int rank = 1; rank <= 9; ++rank) {
        const Square s = square(file, rank);
        if (canDropOn(pos, us, PieceType(t), s)) list.add(Move::drop(PieceType(t), s));
      }
    }
  }
}

// --- The general path of the fairy rules -----------------------------------

// Calls f(to) for every square a fairy king on `from` of colour us can move
// to: empty, or held by an enemy piece.
template <class F>
void forEachFairyTarget(const Position& pos, Square from, const PieceRules& r, Color us, F f) {
  auto onBoard = [](int file, int rank) { return file >= 1 && file <= 9 && rank >= 1 && rank <= 9; };
  auto open = [&](Square to) { return pos.at(to) == EMPTY || colorOf(pos.at(to)) != us; };
  for (int i = 0; i < r.fairyStepCount; ++i) {
    const PieceRules::FairyStep& st = r.fairySteps[i];
    int file = fileOf(from) + st.df, rank = rankOf(from) + st.dr;
    switch (st.motion) {
      case PieceRules::LEAP:
        if (onBoard(file, rank) && open(square(file, rank))) f(square(file, rank));
        break;
      case PieceRules::RIDE:
        for (; onBoard(file, rank); file += st.df, rank += st.dr) {
          const Square to = square(file, rank);
          if (open(to)) f(to);
          if (pos.at(to) != EMPTY) break;
        }
        break;
      case PieceRules::HOP:
        for (; onBoard(file, rank); file += st.df, rank += st.dr) {
          if (pos.at(square(file, rank)) == EMPTY) continue;
          file += st.df;
          rank += st.dr;
          if (onBoard(file, rank) && open(square(file, rank))) f(square(file, rank));
          break;
        }
        break;
    }
  }
}

// Kinds with two initial squares, one on each side of file 5.
bool hasTwoInitialSquares(PieceType base) { return base >= LANCE && base <= GOLD; }

// Adds a board move under the fairy rules: with and without promotion, and
// a capture on file 5 whose rebirth may take either of two squares once
// more with the left-hand one. Under Anti-Circe a capture may stay
// unpromoted where the piece would have no move: it may be reborn where it
// has one (the legality test decides).
void addFairyBoardMove(const Position& pos, MoveList& list, Square from, Square to) {
  const Color us = pos.sideToMove();
  const PieceType t = typeOf(pos.at(from));
  const PieceRules& r = pieceRules[t];
  const Piece target = pos.at(to);
  const bool capture = target != EMPTY;
  const Rebirth rule = pos.rebirth();
  const bool canPromote = r.promoted != NO_PIECE_TYPE && (inPromotionZone(us, from) || inPromotionZone(us, to));
  const bool mustPromote = r.deadRanks > 0 && relativeRank(us, rankOf(to)) <= r.deadRanks &&
                           !(capture && rule == Rebirth::ANTI_CIRCE);
  bool twoSquares = false;
  if (capture && fileOf(to) == 5) {
    if (rule == Rebirth::CIRCE) twoSquares = hasTwoInitialSquares(pieceRules[typeOf(target)].handType);
    if (rule == Rebirth::ANTI_CIRCE) twoSquares = hasTwoInitialSquares(baseType(t));
  }
  auto add = [&](Move m) {
    list.add(m);
    if (twoSquares) list.add(m.withLeftRebirth());
  };
  if (canPromote) add(Move::board(from, to, true));
  if (!mustPromote) add(Move::board(from, to, false));
}

void generateFairyPseudoLegal(const Position& pos, MoveList& list) {
  const Color us = pos.sideToMove();
  for (int file = 1; file <= 9; ++file) {
    for (int rank = 1; rank <= 9; ++rank) {
      const Square from = square(file, rank);
      const Piece p = pos.at(from);
      if (p == EMPTY || colorOf(p) != us) continue;
      const PieceRules& r = pieceRules[typeOf(p)];
      forEachFairyTarget(pos, from, r, us, [&](Square to) { addFairyBoardMove(pos, list, from, to); });
      for (int i = 0; i < r.stepCount; ++i) {
        const int d = stepDelta(us, r.steps[i]);
        for (Square to = from + d;; to += d) {
          const Piece target = pos.at(to);
          if (target == WALL || (target != EMPTY && colorOf(target) == us)) break;
          addFairyBoardMove(pos, list, from, to);
          if (target != EMPTY || !r.steps[i].slide) break;
        }
      }
    }
  }
  addDrops(pos, list);
}

// Legality under the fairy rules, judged after the whole move, rebirth
// included: the mover's king safe, the moving piece able to move where it
// ended up, the left-hand rebirth only where there was a choice, and no
// pawn drop that mates.
bool isLegalFairy(Position& pos, Move m) {
  const Color us = pos.sideToMove();
  pos.doMove(m);
  const Position::FairyEffect effect = pos.lastFairyEffect();
  bool legal = !pos.inCheck(us) && (!m.leftRebirth() || effect.choice);
  if (legal) {
    const Piece p = pos.at(effect.landed);
    legal = relativeRank(us, rankOf(effect.landed)) > pieceRules[typeOf(p)].deadRanks;
  }
  if (legal && m.dropped() == PAWN && pos.inCheck(~us) && !hasLegalMove(pos)) legal = false;
  pos.undoMove(m);
  return legal;
}

}  // namespace

void generatePseudoLegal(const Position& pos, MoveList& list) {
  if (pos.fairy()) return generateFairyPseudoLegal(pos, list);
  const Color us = pos.sideToMove();
  for (int file = 1; file <= 9; ++file) {
    for (int rank = 1; rank <= 9; ++rank) {
      const Square s = square(file, rank);
      const Piece p = pos.at(s);
      if (p != EMPTY && colorOf(p) == us) generateBoardMoves(pos, list, s);
    }
  }
  addDrops(pos, list);
}

bool isLegal(Position& pos, Move m) {
  if (pos.fairy()) return isLegalFairy(pos, m);
  const Color us = pos.sideToMove();
  pos.doMove(m);
  bool legal = !pos.inCheck(us);
  if (legal && m.dropped() == PAWN) {
    // A pawn dropped in front of the enemy king must not mate it.
    const Square king = pos.kingSquare(~us);
    const int forward = us == BLACK ? -1 : 1;
    if (king != NO_SQUARE && king == m.to() + forward && !hasLegalMove(pos)) legal = false;
  }
  pos.undoMove(m);
  return legal;
}

namespace {

// A piece of the side to move that stands alone between the enemy king and
// one of its own ranged pieces: moving it off that line checks.
struct Blocker {
  Square square;
  int delta;  // from the king toward the ranged piece: -ray delta
};

// Pieces of colour `blockers` that stand alone between `king` and a ranged
// piece of colour `sliders` attacking along that line: the discovered-check
// candidates (both colours the mover's, the enemy king) or the pinned
// pieces (blockers the king's own, sliders the enemy's).
int findBlockers(const Position& pos, Color sliders, Color blockers, Square king, Blocker* out) {
  int n = 0;
  const Bitboard occupied = pos.occupied();
  const int k = bitOf(king);
  const Bitboard ranged = pos.ranged(sliders);
  for (int i = 0; i < LINE_COUNT; ++i) {
    if (!(lineBeyond[k][i] & ranged)) continue;
    const Square x = nearestAlong(occupied, k, i);
    if (x == NO_SQUARE || colorOf(pos.at(x)) != blockers) continue;
    const Square y = nearestAlong(occupied, bitOf(x), i);
    if (y == NO_SQUARE) continue;
    const Piece q = pos.at(y);
    if (colorOf(q) == sliders && ((lineAttacks[sliders][i].far >> typeOf(q)) & 1)) {
      out[n++] = Blocker{x, delta(LINES[i].df, LINES[i].dr)};
    }
  }
  return n;
}

// Whether `to` lies on the line from the king through the blocker, up to the
// ranged piece behind it.
bool staysOnLine(const Position& pos, Square king, const Blocker& b, Square to) {
  for (Square x = king + b.delta;; x += b.delta) {
    if (x == to) return true;
    const Piece p = pos.at(x);
    if (p == WALL) return false;
    if (p != EMPTY && x != b.square) return false;
  }
}

// Keeps the legal ones among pseudo-legal moves of a side that is not in
// check: the king must not step into an attack, a pinned piece must stay on
// its line, a pawn drop must not mate.
void keepLegal(Position& pos, const MoveList& candidates, MoveList& list) {
  const Color us = pos.sideToMove();
  const Square king = pos.kingSquare(us);
  Blocker pins[16];
  const int pinCount = king == NO_SQUARE ? 0 : findBlockers(pos, ~us, us, king, pins);
  for (Move m : candidates) {
    if (m.isDrop()) {
      if (m.dropped() == PAWN && !isLegal(pos, m)) continue;
    } else if (m.from() == king) {
      if (pos.attackedIgnoring(m.to(), ~us, king)) continue;
    } else {
      bool legal = true;
      for (int i = 0; i < pinCount; ++i) {
        if (pins[i].square == m.from()) legal = staysOnLine(pos, king, pins[i], m.to());
      }
      if (!legal) continue;
    }
    list.add(m);
  }
}

// Adds the moves of colour c's pieces (its king excepted) that reach `to`:
// the pieces that attack it, found by looking outward from it.
void addMovesTo(const Position& pos, Color c, Square to, Square king, MoveList& list) {
  const int b = bitOf(to);
  const Bitboard ranged = pos.ranged(c);
  for (int i = 0; i < LINE_COUNT; ++i) {
    Square x = to + delta(LINES[i].df, LINES[i].dr);
    Piece p = pos.at(x);
    uint32_t attackers;
    if (p == WALL) continue;
    if (p != EMPTY) {
      attackers = stepAttackers[c][to - x + STEP_ATTACK_OFFSET];
    } else {
      if (!(lineBeyond[b][i] & ranged)) continue;  // no ranged piece of c beyond
      x = nearestAlong(pos.occupied(), b, i);
      p = pos.at(x);
      attackers = lineAttacks[c][i].far;
    }
    if (colorOf(p) == c && x != king && ((attackers >> typeOf(p)) & 1)) addBoardMove(list, c, typeOf(p), x, to);
  }
  for (int i = 0; i < leapRayCount[c]; ++i) {
    const Square x = to - leapRays[c][i].delta;
    const Piece p = pos.at(x);
    if (p == WALL || p == EMPTY || colorOf(p) != c || x == king) continue;
    if ((leapRays[c][i].stepMask >> typeOf(p)) & 1) addBoardMove(list, c, typeOf(p), x, to);
  }
}

// The line (LINES of bitboard.h) a mailbox step of one square runs along,
// by the step + LINE_OFFSET.
constexpr int LINE_OFFSET = STRIDE + 1;
struct LineOfStep {
  int8_t line[2 * LINE_OFFSET + 1];
  constexpr LineOfStep() : line() {
    for (int i = 0; i < LINE_COUNT; ++i) line[delta(LINES[i].df, LINES[i].dr) + LINE_OFFSET] = int8_t(i);
  }
};
constexpr LineOfStep lineOfStep{};
int lineOf(int d) { return lineOfStep.line[d + LINE_OFFSET]; }

// Legal replies to a check (or the first one, when `first` is set).
bool generateEvasions(Position& pos, MoveList& list, bool first) {
  const Color us = pos.sideToMove(), them = ~us;
  const Square king = pos.kingSquare(us);
  // King steps to squares no enemy piece attacks once the king has left:
  // what the enemy attacks with a step near the king is gathered once (the
  // king's own square holds none of its pieces), its ranged pieces are
  // looked at square by square.
  const PieceRules& kr = pieceRules[typeOf(pos.at(king))];
  Bitboard stepped;
  bool gathered = false;
  for (int i = 0; i < kr.stepCount; ++i) {
    const Square to = king + stepDelta(us, kr.steps[i]);
    const Piece p = pos.at(to);
    if (p == WALL || (p != EMPTY && colorOf(p) == us)) continue;
    if (!gathered) {
      gathered = true;
      // The squares an enemy piece on x attacks with a step are those from
      // which a piece of ours of the same kind would attack x.
      for (Bitboard near = kingZone[bitOf(king)] & pos.occupied(them); near; near.clearLowest()) {
        const int x = lowestBit(near);
        stepped |= stepAttackFrom[us][typeOf(pos.at(squareOfBit(x)))][x];
      }
    }
    if (stepped.test(bitOf(to)) || pos.attackedFromAfarIgnoring(to, them, king)) continue;
    list.add(Move::board(king, to, false));
    if (first) return true;
  }
  // The checking pieces, and the squares between a ranged one and the king.
  Square checker = NO_SQUARE;
  int checkers = 0;
  Square between[8];
  int betweenCount = 0;
  const int k = bitOf(king);
  for (Bitboard near = stepNeighbourhood[k] & pos.occupied(them); near; near.clearLowest()) {
    const Square x = squareOfBit(lowestBit(near));
    if ((stepAttackers[them][king - x + STEP_ATTACK_OFFSET] >> typeOf(pos.at(x))) & 1) {
      ++checkers;
      checker = x;
    }
  }
  const Bitboard ranged = pos.ranged(them);
  for (int i = 0; i < LINE_COUNT; ++i) {
    if (!(lineBeyond[k][i] & ranged)) continue;
    const int d = delta(LINES[i].df, LINES[i].dr);
    const Square x = nearestAlong(pos.occupied(), k, i);
    if (x == king + d) continue;  // a neighbour, counted above
    const Piece p = pos.at(x);
    if (colorOf(p) != them || !((lineAttacks[them][i].far >> typeOf(p)) & 1)) continue;
    ++checkers;
    checker = x;
    betweenCount = 0;
    for (Square y = king + d; y != x; y += d) between[betweenCount++] = y;
  }
  if (checkers != 1) return list.size > 0;
  // Other pieces capture the checker or step between. Such a move leaves
  // the king safe unless the piece is pinned and leaves its line (the one
  // checker is dealt with, and no other line opens).
  MoveList candidates;
  addMovesTo(pos, us, checker, king, candidates);
  for (int b = 0; b < betweenCount; ++b) addMovesTo(pos, us, between[b], king, candidates);
  Blocker pins[16];
  const int pinCount = candidates.size == 0 ? 0 : findBlockers(pos, them, us, king, pins);
  for (Move m : candidates) {
    bool legal = true;
    for (int i = 0; i < pinCount; ++i) {
      if (pins[i].square == m.from()) legal = staysOnLine(pos, king, pins[i], m.to());
    }
    if (legal) {
      list.add(m);
      if (first) return true;
    }
  }
  // Drops between.
  for (int t = PAWN; t <= ROOK; ++t) {
    if (pos.hand(us, PieceType(t)) == 0) continue;
    for (int b = 0; b < betweenCount; ++b) {
      if (!canDropOn(pos, us, PieceType(t), between[b])) continue;
      const Move m = Move::drop(PieceType(t), between[b]);
      if (t == PAWN && !isLegal(pos, m)) continue;
      list.add(m);
      if (first) return true;
    }
  }
  return list.size > 0;
}

}  // namespace

void generateLegal(Position& pos, MoveList& list) {
  if (pos.fairy()) {
    MoveList pseudo;
    generatePseudoLegal(pos, pseudo);
    for (Move m : pseudo) {
      if (isLegal(pos, m)) list.add(m);
    }
    return;
  }
  if (pos.inCheck()) {
    generateEvasions(pos, list, false);
    return;
  }
  MoveList pseudo;
  generatePseudoLegal(pos, pseudo);
  keepLegal(pos, pseudo, list);
}

void generateReplies(Position& pos, MoveList& list) {
  if (pos.fairy()) return generateLegal(pos, list);
  generateEvasions(pos, list, false);
}

Move firstReply(Position& pos) {
  if (pos.fairy()) return firstLegalMove(pos);
  MoveList list;
  return generateEvasions(pos, list, true) ? list.moves[0] : Move{};
}

Move firstLegalMove(Position& pos) {
  if (!pos.fairy() && pos.inCheck()) {
    MoveList list;
    return generateEvasions(pos, list, true) ? list.moves[0] : Move{};
  }
  MoveList pseudo;
  generatePseudoLegal(pos, pseudo);
  for (Move m : pseudo) {
    if (isLegal(pos, m)) return m;
  }
  return Move{};
}

bool givesCheck(Position& pos, Move m) {
  pos.doMove(m);
  const bool check = pos.inCheck();
  pos.undoMove(m);
  return check;
}

void generateChecks(Position& pos, MoveList& list) {
  if (pos.fairy()) {
    MoveList legal;
    generateLegal(pos, legal);
    for (Move m : legal) {
      if (givesCheck(pos, m)) list.add(m);
    }
    return;
  }
  const Color us = pos.sideToMove();
  const Square king = pos.kingSquare(~us);
  if (king == NO_SQUARE) return;
  Blocker blockers[16];
  const int blockerCount = findBlockers(pos, us, us, king, blockers);
  MoveList candidates;

  // Squares from which a piece of a type attacks the king: a step away, or
  // along a line up to the first piece on it. Filled for a type when first
  // needed.
  const int kingBit = bitOf(king);
  const Bitboard occupied = pos.occupied();
  Bitboard attackFrom[STANDARD_TYPE_COUNT];
  uint32_t filled = 0;
  auto checkSquares = [&](PieceType t) {
    // The promoted minor pieces move as the gold does.
    if (t >= PRO_PAWN && t <= PRO_SILVER) t = GOLD;
    if (!((filled >> t) & 1)) {
      filled |= 1u << t;
      Bitboard from = stepAttackFrom[us][t][kingBit];
      for (unsigned lines = slideLinesTo[us][t]; lines != 0; lines &= lines - 1) {
        from |= rayTo(occupied, kingBit, __builtin_ctz(lines));
      }
      attackFrom[t] = from;
    }
    return attackFrom[t];
  };

  // Board moves that check directly or uncover a check. A piece that moves
  // a step at a time can only check from near the king.
  const int kingFile = fileOf(king), kingRank = rankOf(king);
  for (Bitboard pieces = pos.occupied(us); pieces; pieces.clearLowest()) {
    const int fromBit = lowestBit(pieces);
    const Square from = squareOfBit(fromBit);
    const Piece piece = pos.at(from);
    const Blocker* blocker = nullptr;
    for (int b = 0; b < blockerCount; ++b) {
      if (blockers[b].square == from) blocker = &blockers[b];
    }
    const PieceType t = typeOf(piece);
    const PieceRules& r = pieceRules[t];
    const bool near = std::abs(fileOf(from) - kingFile) <= 2 && std::abs(rankOf(from) - kingRank) <= 4;
    if (!near && blocker == nullptr && !r.slides) continue;
    // The squares it would check from, as it is and promoted.
    const Bitboard direct = checkSquares(t);
    const Bitboard promotedDirect = r.promoted != NO_PIECE_TYPE ? checkSquares(r.promoted) : Bitboard{};
    const Bitboard wanted = direct | promotedDirect;
    // A piece that steps and uncovers nothing checks only from a square a step away.
    if (blocker == nullptr && !r.slides && !(stepNeighbourhood[fromBit] & wanted)) continue;
    for (int i = 0; i < r.stepCount; ++i) {
      const int d = stepDelta(us, r.steps[i]);
      // A ranged piece that uncovers nothing: skip a line that meets no
      // square it would check from.
      if (blocker == nullptr && r.steps[i].slide && !(lineBeyond[fromBit][lineOf(d)] & wanted)) continue;
      for (Square to = from + d;; to += d) {
        const Piece target = pos.at(to);
        if (target == WALL || (target != EMPTY && colorOf(target) == us)) break;
        const bool uncovers = blocker != nullptr && !staysOnLine(pos, king, *blocker, to);
        const bool canPromote = r.promoted != NO_PIECE_TYPE && (inPromotionZone(us, from) || inPromotionZone(us, to));
        const bool mustPromote = r.deadRanks > 0 && relativeRank(us, rankOf(to)) <= r.deadRanks;
        const int toBit = bitOf(to);
        if (canPromote && (uncovers || promotedDirect.test(toBit))) candidates.add(Move::board(from, to, true));
        if (!mustPromote && (uncovers || direct.test(toBit))) candidates.add(Move::board(from, to, false));
        if (target != EMPTY || !r.steps[i].slide) break;
      }
    }
  }
  // Drops on squares from which the piece attacks the king.
  for (int t = PAWN; t <= ROOK; ++t) {
    if (pos.hand(us, PieceType(t)) == 0) continue;
    const PieceRules& r = pieceRules[t];
    for (int i = 0; i < r.stepCount; ++i) {
      const int d = stepDelta(us, r.steps[i]);
      for (Square s = king - d; pos.at(s) == EMPTY; s -= d) {
        if (canDropOn(pos, us, PieceType(t), s)) candidates.add(Move::drop(PieceType(t), s));
        if (!r.steps[i].slide) break;
      }
    }
  }
  if (pos.inCheck()) {
    for (Move m : candidates) {
      if (isLegal(pos, m)) list.add(m);
    }
  } else {
    keepLegal(pos, candidates, list);
  }
}

uint64_t perft(Position& pos, int depth) {
  MoveList list;
  generateLegal(pos, list);
  if (depth <= 1) return depth == 1 ? list.size : 1;
  uint64_t n = 0;
  for (Move m : list) {
    pos.doMove(m);
    n += perft(pos, depth - 1);
    pos.undoMove(m);
  }
  return n;
}

}  // namespace shogi
