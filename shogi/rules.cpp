#include "shogi/rules.h"

#include "shogi/bitboard.h"

#include <utility>

namespace shogi {

PieceRules pieceRules[PIECE_TYPE_COUNT];
AttackRay attackRays[2][MAX_RAYS];
int attackRayCount[2];
LineAttack lineAttacks[2][8];
AttackRay leapRays[2][MAX_RAYS];
int leapRayCount[2];
Bitboard lineBeyond[81][LINE_COUNT];
Bitboard stepNeighbourhood[81];
Bitboard kingZone[81];
Bitboard stepAttackFrom[2][STANDARD_TYPE_COUNT][81];
uint8_t slideLinesTo[2][STANDARD_TYPE_COUNT];
uint32_t stepAttackers[2][2 * STEP_ATTACK_OFFSET];
uint32_t rangedTypes;

namespace {

using Step = PieceRules::Step;

void define(PieceType t, std::initializer_list<Step> steps, PieceType promoted, PieceType handType,
            int deadRanks = 0, bool royal = false) {
  PieceRules& r = pieceRules[t];
  r.stepCount = 0;
  r.slides = false;
  for (const Step& s : steps) {
    r.steps[r.stepCount++] = s;
    r.slides = r.slides || s.slide;
  }
  r.promoted = promoted;
  r.handType = handType;
  r.deadRanks = deadRanks;
  r.royal = royal;
}

constexpr Step N{0, -1, false}, S{0, 1, false}, E{-1, 0, false}, W{1, 0, false};
constexpr Step NE{-1, -1, false}, NW{1, -1, false}, SE{-1, 1, false}, SW{1, 1, false};
constexpr Step slide(Step s) { return Step{s.df, s.dr, true}; }

void addRay(Color c, int d, PieceType t, bool slides) {
  int i = 0;
  while (i < attackRayCount[c] && attackRays[c][i].delta != d) ++i;
  if (i == attackRayCount[c]) attackRays[c][attackRayCount[c]++] = AttackRay{d, 0, 0};
  (slides ? attackRays[c][i].slideMask : attackRays[c][i].stepMask) |= 1u << t;
}

}  // namespace

void initRules() {
  const std::initializer_list<Step> gold = {N, NE, NW, E, W, S};
  define(PAWN, {N}, PRO_PAWN, PAWN, 1);
  define(LANCE, {slide(N)}, PRO_LANCE, LANCE, 1);
  define(KNIGHT, {{-1, -2, false}, {1, -2, false}}, PRO_KNIGHT, KNIGHT, 2);
  define(SILVER, {N, NE, NW, SE, SW}, PRO_SILVER, SILVER);
  define(GOLD, gold, NO_PIECE_TYPE, GOLD);
  define(BISHOP, {slide(NE), slide(NW), slide(SE), slide(SW)}, HORSE, BISHOP);
  define(ROOK, {slide(N), slide(S), slide(E), slide(W)}, DRAGON, ROOK);
  define(KING, {N, NE, NW, E, W, S, SE, SW}, NO_PIECE_TYPE, NO_PIECE_TYPE, 0, true);
  define(PRO_PAWN, gold, NO_PIECE_TYPE, PAWN);
  define(PRO_LANCE, gold, NO_PIECE_TYPE, LANCE);
  define(PRO_KNIGHT, gold, NO_PIECE_TYPE, KNIGHT);
  define(PRO_SILVER, gold, NO_PIECE_TYPE, SILVER);
  define(HORSE, {slide(NE), slide(NW), slide(SE), slide(SW), N, S, E, W}, NO_PIECE_TYPE, BISHOP);
  define(DRAGON, {slide(N), slide(S), slide(E), slide(W), NE, NW, SE, SW}, NO_PIECE_TYPE, ROOK);

  // Fairy kings. The queen king slides like rook and bishop along the
  // mailbox; the others move on coordinates.
  define(QUEEN_KING, {slide(N), slide(S), slide(E), slide(W), slide(NE), slide(NW), slide(SE), slide(SW)},
         NO_PIECE_TYPE, NO_PIECE_TYPE, 0, true);
  using Motion = PieceRules::Motion;
  auto fairy = [](PieceType t, std::initializer_list<std::pair<std::pair<int, int>, Motion>> shapes) {
    define(t, {}, NO_PIECE_TYPE, NO_PIECE_TYPE, 0, true);
    PieceRules& r = pieceRules[t];
    r.fairyStepCount = 0;
    // Every sign and order of each shape, once.
    for (const auto& [shape, motion] : shapes) {
      const auto [a, b] = shape;
      const int forms[8][2] = {{a, b}, {-a, b}, {a, -b}, {-a, -b}, {b, a}, {-b, a}, {b, -a}, {-b, -a}};
      for (const auto& f : forms) {
        bool seen = false;
        for (int i = 0; i < r.fairyStepCount; ++i) {
          seen = seen || (r.fairySteps[i].df == f[0] && r.fairySteps[i].dr == f[1]);
        }
        if (!seen) r.fairySteps[r.fairyStepCount++] = {int8_t(f[0]), int8_t(f[1]), motion};
      }
    }
  };
  fairy(NIGHTRIDER_KING, {{{1, 2}, Motion::RIDE}});
  fairy(KNIGHT_KING, {{{1, 2}, Motion::LEAP}});
  fairy(LION_KING, {{{0, 1}, Motion::LEAP}, {{1, 1}, Motion::LEAP}, {{0, 2}, Motion::LEAP}, {{1, 2}, Motion::LEAP},
                    {{2, 2}, Motion::LEAP}});
  fairy(CAMEL_KING, {{{1, 3}, Motion::LEAP}});
  fairy(ZEBRA_KING, {{{2, 3}, Motion::LEAP}});
  fairy(KIRIN_KING, {{{1, 1}, Motion::LEAP}, {{0, 2}, Motion::LEAP}});
  fairy(PHOENIX_KING, {{{0, 1}, Motion::LEAP}, {{2, 2}, Motion::LEAP}});
  fairy(GIRAFFE_KING, {{{1, 4}, Motion::LEAP}});
  fairy(FIVE_LEAPER_KING, {{{0, 5}, Motion::LEAP}, {{3, 4}, Motion::LEAP}});
  fairy(ROOT50_LEAPER_KING, {{{1, 7}, Motion::LEAP}, {{5, 5}, Motion::LEAP}});
  fairy(GRASSHOPPER_KING, {{{0, 1}, Motion::HOP}, {{1, 1}, Motion::HOP}});

  for (Color c : {BLACK, WHITE}) {
    attackRayCount[c] = 0;
    for (int t = 1; t < PIECE_TYPE_COUNT; ++t) {
      const PieceRules& r = pieceRules[t];
      for (int i = 0; i < r.stepCount; ++i) addRay(c, stepDelta(c, r.steps[i]), PieceType(t), r.steps[i].slide);
    }
    leapRayCount[c] = 0;
    for (LineAttack& l : lineAttacks[c]) l = LineAttack{0};
    for (uint32_t& m : stepAttackers[c]) m = 0;
    for (int k = 0; k < attackRayCount[c]; ++k) {
      const AttackRay& ray = attackRays[c][k];
      stepAttackers[c][ray.delta + STEP_ATTACK_OFFSET] = ray.stepMask | ray.slideMask;
      int line = 0;
      // A piece on line i attacks the square toward it, against the line.
      while (line < LINE_COUNT && delta(-LINES[line].df, -LINES[line].dr) != ray.delta) ++line;
      if (line == LINE_COUNT) {
        leapRays[c][leapRayCount[c]++] = ray;
      } else {
        lineAttacks[c][line] = LineAttack{ray.slideMask};
      }
    }
  }
  rangedTypes = 0;
  for (int t = 1; t < PIECE_TYPE_COUNT; ++t) {
    if (pieceRules[t].slides) rangedTypes |= 1u << t;
  }
  initBitboards();
}

namespace {

// The square df files and dr ranks away from bit b, as a set: empty off the
// board.
Bitboard squareAway(int b, int df, int dr) {
  const int file = b / 9 + 1 + df, rank = b % 9 + 1 + dr;
  return file >= 1 && file <= 9 && rank >= 1 && rank <= 9 ? squareBit(square(file, rank)) : Bitboard{};
}

}  // namespace

void initBitboards() {
  for (int b = 0; b < 81; ++b) {
    for (int i = 0; i < LINE_COUNT; ++i) {
      Bitboard beyond;
      int file = b / 9 + 1 + LINES[i].df, rank = b % 9 + 1 + LINES[i].dr;
      for (; file >= 1 && file <= 9 && rank >= 1 && rank <= 9; file += LINES[i].df, rank += LINES[i].dr) {
        beyond |= squareBit(square(file, rank));
      }
      lineBeyond[b][i] = beyond;
    }
    Bitboard near;
    for (int df = -1; df <= 1; ++df) {
      for (int dr = -2; dr <= 2; ++dr) {
        const bool step = (df != 0 || dr != 0) && (dr >= -1 && dr <= 1 ? true : df != 0);
        if (step) near |= squareAway(b, df, dr);
      }
    }
    stepNeighbourhood[b] = near;
  }
  for (int b = 0; b < 81; ++b) {
    Bitboard zone;
    for (int df = -1; df <= 1; ++df) {
      for (int dr = -1; dr <= 1; ++dr) {
        const Bitboard next = squareAway(b, df, dr);
        if ((df != 0 || dr != 0) && next) zone |= stepNeighbourhood[lowestBit(next)];
      }
    }
    kingZone[b] = zone;
  }
  for (Color c : {BLACK, WHITE}) {
    for (int t = 1; t < STANDARD_TYPE_COUNT; ++t) {
      const PieceRules& r = pieceRules[t];
      slideLinesTo[c][t] = 0;
      for (int b = 0; b < 81; ++b) stepAttackFrom[c][t][b] = Bitboard{};
      for (int i = 0; i < r.stepCount; ++i) {
        // The step as colour c plays it; the attacker stands a step back.
        const int df = c == BLACK ? r.steps[i].df : -r.steps[i].df;
        const int dr = c == BLACK ? r.steps[i].dr : -r.steps[i].dr;
        if (r.steps[i].slide) {
          for (int line = 0; line < LINE_COUNT; ++line) {
            if (LINES[line].df == -df && LINES[line].dr == -dr) slideLinesTo[c][t] |= uint8_t(1u << line);
          }
          continue;
        }
        for (int b = 0; b < 81; ++b) stepAttackFrom[c][t][b] |= squareAway(b, -df, -dr);
      }
    }
  }
}

int initialSquares(Color c, PieceType base, int file, Square out[2]) {
  const int back = c == BLACK ? 9 : 1;
  switch (base) {
    case PAWN:
      out[0] = square(file, c == BLACK ? 7 : 3);
      return 1;
    case BISHOP:
      out[0] = c == BLACK ? square(8, 8) : square(2, 2);
      return 1;
    case ROOK:
      out[0] = c == BLACK ? square(2, 8) : square(8, 2);
      return 1;
    case KING:
      out[0] = square(5, back);
      return 1;
    case LANCE:
    case KNIGHT:
    case SILVER:
    case GOLD: {
      // Lance on files 1 and 9, knight 2 and 8, silver 3 and 7, gold 4 and 6.
      const int right = base - LANCE + 1;
      int n = 0;
      if (file <= 5) out[n++] = square(right, back);
      if (file >= 5) out[n++] = square(10 - right, back);
      return n;
    }
    default:
      return 0;
  }
}

}  // namespace shogi
