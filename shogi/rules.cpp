#include "shogi/rules.h"

namespace shogi {

PieceRules pieceRules[PIECE_TYPE_COUNT];
AttackRay attackRays[2][MAX_RAYS];
int attackRayCount[2];

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

  for (Color c : {BLACK, WHITE}) {
    attackRayCount[c] = 0;
    for (int t = 1; t < PIECE_TYPE_COUNT; ++t) {
      const PieceRules& r = pieceRules[t];
      for (int i = 0; i < r.stepCount; ++i) addRay(c, stepDelta(c, r.steps[i]), PieceType(t), r.steps[i].slide);
    }
  }
}

}  // namespace shogi
