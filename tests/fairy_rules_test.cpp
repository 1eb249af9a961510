// Hand-made positions for the fairy rules whose answers follow from the
// rules themselves: rebirths of the Circe family at their edges, the fairy
// kings' moves and checks, selfmates, and the notation of rebirths and of
// the conditions.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "matesolver/dfpn.h"
#include "matesolver/helpmate.h"
#include "matesolver/input.h"
#include "matesolver/notation.h"
#include "shogi/movegen.h"

namespace {

using namespace shogi;

Position make(const std::string& sfen, Rebirth rebirth, PieceType blackKing = KING, PieceType whiteKing = KING) {
  Position pos;
  std::string error;
  EXPECT_TRUE(pos.setSfen(sfen, &error)) << sfen << ": " << error;
  pos.setRebirth(rebirth);
  for (Color c : {BLACK, WHITE}) {
    const PieceType t = c == BLACK ? blackKing : whiteKing;
    const Square k = pos.kingSquare(c);
    if (k != NO_SQUARE && t != KING) pos.put(k, makePiece(c, t));
  }
  return pos;
}

Square sq(int fileRank) { return square(fileRank / 10, fileRank % 10); }

std::vector<Move> legalMoves(Position& pos) {
  MoveList list;
  generateLegal(pos, list);
  return std::vector<Move>(list.begin(), list.end());
}

// The legal moves from `from` to `to`, every promotion and rebirth choice.
std::vector<Move> movesBetween(Position& pos, int from, int to) {
  std::vector<Move> found;
  for (Move m : legalMoves(pos)) {
    if (!m.isDrop() && m.from() == sq(from) && m.to() == sq(to)) found.push_back(m);
  }
  return found;
}

// What a capture leaves behind, in one row of a table.
struct Capture {
  const char* name;
  const char* sfen;
  Rebirth rebirth;
  int from, to;
  int moves;            // legal moves from `from` to `to` (promotion and rebirth choices)
  int landed;           // where the capturing piece stands afterwards
  int reborn;           // where the captured piece stands afterwards, 0 for none
  PieceType rebornType; // and as what
  int blackHand[8];     // Black's hand afterwards, by kind
  const char* notation; // the first such move as the problem notation writes it
};

TEST(FairyRules, CapturesUnderTheRebirthRules) {
  const Capture cases[] = {
      {"Circe: reborn on its initial square", "k8/9/9/7s1/9/9/9/7R1/4K4 b - 1", Rebirth::CIRCE, 28, 24, 1, 24, 31,
       SILVER, {}, "24飛(28)/31銀"},
      {"Circe: initial square occupied, to the hand", "k5p2/9/9/7s1/9/9/9/7R1/4K4 b - 1", Rebirth::CIRCE, 28, 24, 1,
       24, 0, NO_PIECE_TYPE, {0, 0, 0, 0, 1}, "24飛(28)"},
      {"Circe: a promoted piece is reborn unpromoted", "k8/9/9/7+p1/9/9/9/7R1/4K4 b - 1", Rebirth::CIRCE, 28, 24, 1,
       24, 23, PAWN, {}, "24飛(28)/23歩"},
      {"Circe: a rebirth that would make two pawns, to the hand", "k8/7p1/9/7+p1/9/9/9/7R1/4K4 b - 1",
       Rebirth::CIRCE, 28, 24, 1, 24, 0, NO_PIECE_TYPE, {0, 1}, "24飛(28)"},
      {"Circe: file 5 gives two moves", "k8/9/9/4g4/9/9/9/4R4/2K6 b - 1", Rebirth::CIRCE, 58, 54, 2, 54, 41, GOLD,
       {}, "54飛(58)/41金"},
      {"Circe: file 5 with one square free", "k2p5/9/9/4g4/9/9/9/4R4/2K6 b - 1", Rebirth::CIRCE, 58, 54, 1, 54, 41,
       GOLD, {}, "54飛(58)/41金"},
      {"Anti-Circe: the capturer to its initial square", "k8/9/9/7s1/9/7R1/9/9/4K4 b - 1", Rebirth::ANTI_CIRCE, 26, 24,
       1, 28, 0, NO_PIECE_TYPE, {0, 0, 0, 0, 1}, "24飛(26)/28飛"},
      {"Anti-Circe: square occupied, it stays", "k8/9/9/7s1/9/7R1/9/7G1/4K4 b - 1", Rebirth::ANTI_CIRCE, 26, 24, 1,
       24, 0, NO_PIECE_TYPE, {0, 0, 0, 0, 1}, "24飛(26)"},
      {"Anti-Circe: its own king left in check there, it stays", "k8/9/8b/7s1/9/7R1/4K4/9/9 b - 1",
       Rebirth::ANTI_CIRCE, 26, 24, 1, 24, 0, NO_PIECE_TYPE, {0, 0, 0, 0, 1}, "24飛(26)"},
      {"Anti-Circe: a promoted capturer keeps its promotion", "k8/9/9/7s1/9/7+R1/9/9/4K4 b - 1",
       Rebirth::ANTI_CIRCE, 26, 24, 1, 28, 0, NO_PIECE_TYPE, {0, 0, 0, 0, 1}, "24龍(26)/28龍"},
      {"Anti-Circe: the king captures and goes home", "k8/9/9/9/9/9/4p4/4K4/9 b - 1", Rebirth::ANTI_CIRCE, 58, 57, 1,
       59, 0, NO_PIECE_TYPE, {0, 1}, "57王(58)/59王"},
      // Both with and without promotion: unpromoted, the pawn is reborn on 27
      // where it can move.
      {"Anti-Circe: a pawn capturing on its last rank", "k6p1/7P1/9/9/9/9/9/9/4K4 b - 1", Rebirth::ANTI_CIRCE, 22, 21,
       2, 27, 0, NO_PIECE_TYPE, {0, 1}, "21歩成(22)/27と"},
      {"PWC: the captured piece swaps onto the capturer's square", "k8/9/9/7s1/9/9/9/7R1/4K4 b - 1", Rebirth::PWC, 28,
       24, 1, 24, 28, SILVER, {}, "24飛(28)/28銀"},
      {"PWC: a pawn put on its last rank", "k8/9/9/9/9/9/9/5p3/4KG3 b - 1", Rebirth::PWC, 49, 48, 1, 48, 49, PAWN,
       {}, "48金(49)/49歩"},
  };
  for (const Capture& c : cases) {
    SCOPED_TRACE(c.name);
    Position pos = make(c.sfen, c.rebirth);
    const std::vector<Move> moves = movesBetween(pos, c.from, c.to);
    ASSERT_EQ(int(moves.size()), c.moves);
    const Move m = moves.front();
    EXPECT_EQ(matesolver::formatMove(pos, m, NO_SQUARE, matesolver::Names{}), c.notation);
    Position after = pos;
    after.doMove(m);
    EXPECT_EQ(after.lastFairyEffect().landed, sq(c.landed));
    const Piece capturer = after.at(sq(c.landed));
    EXPECT_EQ(colorOf(capturer), BLACK);
    if (c.landed != c.to) {
      EXPECT_EQ(after.at(sq(c.to)), EMPTY);
    }
    if (c.reborn != 0) {
      EXPECT_EQ(after.at(sq(c.reborn)), makePiece(WHITE, c.rebornType));
      EXPECT_EQ(after.lastFairyEffect().rebirth, sq(c.reborn));
    }
    for (int t = PAWN; t <= ROOK; ++t) EXPECT_EQ(after.hand(BLACK, PieceType(t)), c.blackHand[t]) << t;
    // Taking the move back restores the position exactly.
    after.undoMove(m);
    EXPECT_EQ(after.key(), pos.key());
    EXPECT_EQ(after.sfen(), pos.sfen());
  }
}

TEST(FairyRules, TheFile5ChoiceIsReadBackFromItsRebirth) {
  Position pos = make("k8/9/9/4g4/9/9/9/4R4/2K6 b - 1", Rebirth::CIRCE);
  for (const char* text : {"54飛(58)/41金", "54飛(58)/61金"}) {
    const char* cursor = text;
    std::string error;
    const Move m = matesolver::parseMove(pos, cursor, NO_SQUARE, &error);
    ASSERT_FALSE(m.isNull()) << text << ": " << error;
    EXPECT_EQ(matesolver::formatMove(pos, m, NO_SQUARE, matesolver::Names{}), text);
  }
  // A rebirth that does not happen, or none where one does, is no move.
  for (const char* text : {"54飛(58)/51金", "54飛(58)"}) {
    const char* cursor = text;
    std::string error;
    EXPECT_TRUE(matesolver::parseMove(pos, cursor, NO_SQUARE, &error).isNull()) << text;
  }
}

TEST(FairyRules, PwcMayLeaveTwoPawnsOnAFile) {
  // Black's silver on 47 takes White's pawn on 36; the pawn goes to 47,
  // beside White's pawn on 43. Both stay, and file 4 stays barred for a
  // White pawn drop while either is there.
  Position pos = make("k8/9/5p3/9/9/6p2/5S3/9/4K4 b - 1", Rebirth::PWC);
  const std::vector<Move> moves = movesBetween(pos, 47, 36);
  ASSERT_EQ(moves.size(), 1u);
  pos.doMove(moves.front());
  EXPECT_EQ(pos.at(sq(47)), makePiece(WHITE, PAWN));
  EXPECT_EQ(pos.at(sq(43)), makePiece(WHITE, PAWN));
  pos.removeAt(sq(43));
  EXPECT_TRUE(pos.hasPawnOnFile(WHITE, 4));
  pos.removeAt(sq(47));
  EXPECT_FALSE(pos.hasPawnOnFile(WHITE, 4));
}

TEST(FairyRules, FairyKingsMoveAndCheckAsTheirPieces) {
  // A grasshopper needs a hurdle: alone on its lines it has only the hop
  // over the pawn on 57 to 58.
  {
    Position pos = make("9/9/9/9/4k4/9/4P4/9/K8 w - 1", Rebirth::NONE, KING, GRASSHOPPER_KING);
    const std::vector<Move> moves = legalMoves(pos);
    ASSERT_EQ(moves.size(), 1u);
    EXPECT_EQ(moves[0].to(), sq(58));
  }
  // A nightrider stops at the first piece on its line: from 19 it reaches 27
  // and takes on 35, but not 43 or 51 beyond.
  {
    Position pos = make("9/9/9/9/6P2/9/9/9/K7k w - 1", Rebirth::NONE, KING, NIGHTRIDER_KING);
    EXPECT_EQ(movesBetween(pos, 19, 27).size(), 1u);
    EXPECT_EQ(movesBetween(pos, 19, 35).size(), 1u);
    EXPECT_EQ(movesBetween(pos, 19, 43).size(), 0u);
    EXPECT_EQ(movesBetween(pos, 19, 51).size(), 0u);
  }
  // A fairy king checks with its own move, and may not step where an enemy
  // fairy king attacks.
  struct Check {
    const char* name;
    const char* sfen;
    PieceType black, white;
    bool whiteInCheck;
  };
  const Check checks[] = {
      {"knight king checks by its leap", "7k1/9/6K2/9/9/9/9/9/9 b - 1", KNIGHT_KING, KING, true},
      {"a king steps, it does not leap", "7k1/9/6K2/9/9/9/9/9/9 b - 1", KING, KING, false},
      {"queen king checks from afar", "8k/9/9/9/9/9/9/9/K8 b - 1", QUEEN_KING, KING, true},
      {"queen king blocked", "8k/9/9/9/4p4/9/9/9/K8 b - 1", QUEEN_KING, KING, false},
      {"giraffe king leaps (1,4)", "8k/9/9/9/7K1/9/9/9/9 b - 1", GIRAFFE_KING, KING, true},
      {"grasshopper king landing short of the king", "8k/9/6p2/9/4K4/9/9/9/9 b - 1", GRASSHOPPER_KING, KING, false},
      {"grasshopper king landing on the king", "8k/7p1/6K2/9/9/9/9/9/9 b - 1", GRASSHOPPER_KING, KING, true},
      {"root-50 leaper king (5,5)", "8k/9/9/9/9/3K5/9/9/9 b - 1", ROOT50_LEAPER_KING, KING, true},
  };
  for (const Check& c : checks) {
    Position pos = make(c.sfen, Rebirth::NONE, c.black, c.white);
    EXPECT_EQ(pos.inCheck(WHITE), c.whiteInCheck) << c.name;
  }
  // Black's lion king on 33 reaches every square of the 5x5 block around
  // it: White's king on 11 is in check and has nowhere to go.
  Position pos = make("8k/9/6K2/9/9/9/9/9/9 w - 1", Rebirth::NONE, LION_KING, KING);
  EXPECT_TRUE(pos.inCheck(WHITE));
  EXPECT_EQ(legalMoves(pos).size(), 0u);
}

// The futile drop under a rebirth rule: the checker's capture of the drop
// throws the captured piece away (Circe would rebirth it, PWC would swap
// it), and a drop the king can take back is no futile drop. In selfmates
// every reply counts.
TEST(FairyRules, FutileDropsUnderTheConditions) {
  // White's king on 11, Black's rook just dropped on 14: the gold on 31 and
  // the dragon on 33 cover 21 and 22. A gold dropped on 13 is taken by the
  // rook, which mates, except under Anti-Circe, where the rook then goes
  // home to 28 when that square is free. On 12 the king takes the rook
  // back, except under PWC, where the rook would land on 11 beside it.
  struct Row {
    Rebirth rebirth;
    const char* sfen;
    bool futileOn13, futileOn12;
  };
  const Row rows[] = {
      {Rebirth::NONE, "6G1k/9/6+R2/8R/9/9/9/9/9 w g 1", true, false},
      {Rebirth::CIRCE, "6G1k/9/6+R2/8R/9/9/9/9/9 w g 1", true, false},
      {Rebirth::PWC, "6G1k/9/6+R2/8R/9/9/9/9/9 w g 1", true, true},
      {Rebirth::ANTI_CIRCE, "6G1k/9/6+R2/8R/9/9/9/9/9 w g 1", false, false},
      {Rebirth::ANTI_CIRCE, "6G1k/9/6+R2/8R/9/9/9/7P1/9 w g 1", true, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.sfen) + " rebirth " + std::to_string(int(row.rebirth)));
    Position pos = make(row.sfen, row.rebirth);
    matesolver::MateSearch search(1);
    EXPECT_EQ(search.isFutile(pos, Move::drop(GOLD, sq(13)), 0), row.futileOn13);
    EXPECT_EQ(search.isFutile(pos, Move::drop(GOLD, sq(12)), 0), row.futileOn12);
    search.setSelfmate(true);
    EXPECT_FALSE(search.isFutile(pos, Move::drop(GOLD, sq(13)), 0));
  }
}

// A nightrider king checks from afar along its line of leaps: a drop on a
// stop between is an interposition like any other, futile when the
// nightrider takes it and mates.
TEST(FairyRules, FutileDropsAgainstANightriderKing) {
  // White's king on 11, Black's nightrider king on 35 checking over 23; the
  // gold on 32 and the silver on 13 cover 21, 22 and 12.
  Position pos = make("8k/6G2/8S/9/6K2/9/9/9/9 w g 1", Rebirth::NONE, NIGHTRIDER_KING, KING);
  ASSERT_TRUE(pos.inCheck(WHITE));
  matesolver::MateSearch search(1);
  EXPECT_TRUE(search.isFutile(pos, Move::drop(GOLD, sq(23)), 0));
  // So the check mates: the drop neither escapes nor lengthens.
  EXPECT_TRUE(search.defenderMated(pos, 0));
  matesolver::MateSearch everyDrop(1);
  everyDrop.futileRule = false;
  EXPECT_FALSE(everyDrop.defenderMated(pos, 0));
}

// The conditions and rule words of line 3.
TEST(FairyRules, ConditionsAndRules) {
  using matesolver::Rule;
  struct Row {
    const char* text;
    bool ok;
    Rule rule;
    Rebirth rebirth;
    const char* kingName;  // a king's name under the conditions, and the type it gives
    PieceType kingType;
  };
  const Row rows[] = {
      {"キルケばか詰", true, Rule::Helpmate, Rebirth::CIRCE, "玉", KING},
      {"アンチキルケ詰将棋", true, Rule::Standard, Rebirth::ANTI_CIRCE, "玉", KING},
      {"PWC自玉詰", true, Rule::Selfmate, Rebirth::PWC, "玉", KING},
      {"自殺詰", true, Rule::Selfmate, Rebirth::NONE, "玉", KING},
      {"ばか自殺詰", true, Rule::Helpselfmate, Rebirth::NONE, "玉", KING},
      {"クイーン王協力自玉詰", true, Rule::Helpselfmate, Rebirth::NONE, "Ｑ", QUEEN_KING},
      {"ナイトライダー王", true, Rule::Standard, Rebirth::NONE, "夜", NIGHTRIDER_KING},
      {"ナイト王キルケ詰将棋", true, Rule::Standard, Rebirth::CIRCE, "騎", KNIGHT_KING},
      {"ROOT-50-LEAPER王ばか詰", true, Rule::Helpmate, Rebirth::NONE, "梧", ROOT50_LEAPER_KING},
      {"異王（Ｑ／玉）詰将棋", true, Rule::Standard, Rebirth::NONE, "Ｑ", QUEEN_KING},
      {"異王（王／Ｇ）ばか詰", true, Rule::Helpmate, Rebirth::NONE, "Ｇ", GRASSHOPPER_KING},
      {"なし詰将棋", true, Rule::Standard, Rebirth::NONE, "玉", KING},
      {"跳王詰将棋", false, Rule::Standard, Rebirth::NONE, "", NO_PIECE_TYPE},
      {"駆王", false, Rule::Standard, Rebirth::NONE, "", NO_PIECE_TYPE},
      {"異王（飛／玉）詰将棋", false, Rule::Standard, Rebirth::NONE, "", NO_PIECE_TYPE},
      {"マドラシ詰将棋", false, Rule::Standard, Rebirth::NONE, "", NO_PIECE_TYPE},
  };
  for (const Row& row : rows) {
    Rule rule;
    Rebirth rebirth;
    matesolver::Names names;
    std::string error;
    ASSERT_EQ(matesolver::parseRuleText(row.text, rule, rebirth, names, &error), row.ok) << row.text << ": " << error;
    if (!row.ok) {
      EXPECT_FALSE(error.empty());
      continue;
    }
    EXPECT_EQ(rule, row.rule) << row.text;
    EXPECT_EQ(rebirth, row.rebirth) << row.text;
    EXPECT_EQ(matesolver::typeOfName(row.kingName, names), row.kingType) << row.text;
  }
}


// The sets of squares the attack test reads (occupied, by colour, and the
// ranged pieces by colour) follow the board through every kind of move and
// its undoing: captures, promotions (a lance that promotes no longer
// ranges), drops, and the rebirths that put a piece on a third square or
// swap two; and the key foreseen for a move is the key the move makes.
TEST(Occupancy, FollowsTheBoardThroughMovesAndUndo) {
  // All pieces, Black's and White's, and the ranged ones, as the cells hold them.
  auto fromCells = [](const Position& pos) {
    std::vector<Bitboard> b(5);
    for (int file = 1; file <= 9; ++file) {
      for (int rank = 1; rank <= 9; ++rank) {
        const Piece p = pos.at(square(file, rank));
        if (p == EMPTY) continue;
        b[0] |= squareBit(square(file, rank));
        b[1 + colorOf(p)] |= squareBit(square(file, rank));
        const PieceType t = typeOf(p);
        if (t == LANCE || t == BISHOP || t == ROOK || t == HORSE || t == DRAGON || t == QUEEN_KING) {
          b[3 + colorOf(p)] |= squareBit(square(file, rank));
        }
      }
    }
    return b;
  };
  auto occupancy = [](const Position& pos) {
    return std::vector<Bitboard>{pos.occupied(), pos.occupied(BLACK), pos.occupied(WHITE), pos.ranged(BLACK),
                                 pos.ranged(WHITE)};
  };
  const char* start = "lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1";
  for (Rebirth rebirth : {Rebirth::NONE, Rebirth::CIRCE, Rebirth::ANTI_CIRCE, Rebirth::PWC}) {
    std::mt19937 rng(17 + int(rebirth));
    for (int game = 0; game < 20; ++game) {
      Position pos = make(start, rebirth);
      std::vector<Move> played;
      for (int ply = 0; ply < 120; ++ply) {
        MoveList moves;
        generateLegal(pos, moves);
        if (moves.size == 0) break;
        // Captures first now and then, so that hands fill and drops follow.
        Move m = moves.moves[rng() % moves.size];
        for (Move c : moves) {
          if (!c.isDrop() && pos.at(c.to()) != EMPTY && rng() % 2 == 0) m = c;
        }
        const uint64_t keyAfter = rebirth == Rebirth::NONE ? pos.boardKeyAfter(m) : 0;
        pos.doMove(m);
        played.push_back(m);
        ASSERT_TRUE(occupancy(pos) == fromCells(pos)) << pos.sfen();
        if (rebirth == Rebirth::NONE) {
          ASSERT_EQ(keyAfter, pos.boardKey()) << usiMove(m);
        }
      }
      while (!played.empty()) {
        pos.undoMove(played.back());
        played.pop_back();
        ASSERT_TRUE(occupancy(pos) == fromCells(pos)) << pos.sfen();
      }
      EXPECT_EQ(pos.sfen(), Position(make(start, rebirth)).sfen());
    }
  }
}

// The tables that check generation and the king's steps out of check read
// (where a piece attacks a square from with a step, and along which lines
// it slides onto it) agree with walking each standard piece's own moves on
// an otherwise empty board, for both colours and every pair of squares.
TEST(Occupancy, StepAndSlideTablesMatchThePiecesMoves) {
  int checked = 0;
  for (Color c : {BLACK, WHITE}) {
    for (int t = PAWN; t <= DRAGON; ++t) {
      const PieceRules& r = pieceRules[t];
      if (r.stepCount == 0) continue;  // no such kind
      for (int file = 1; file <= 9; ++file) {
        for (int rank = 1; rank <= 9; ++rank) {
          const Square from = square(file, rank);
          Position pos;
          pos.put(from, makePiece(c, PieceType(t)));
          // The squares the piece attacks, by walking its steps.
          Bitboard walked;
          for (int i = 0; i < r.stepCount; ++i) {
            const int d = stepDelta(c, r.steps[i]);
            for (Square to = from + d; pos.at(to) != WALL; to += d) {
              walked |= squareBit(to);
              if (!r.steps[i].slide) break;
            }
          }
          for (int b = 0; b < 81; ++b) {
            bool byTable = stepAttackFrom[c][t][b].test(bitOf(from));
            for (int i = 0; i < LINE_COUNT; ++i) {
              if (((slideLinesTo[c][t] >> i) & 1) && lineBeyond[b][i].test(bitOf(from))) byTable = true;
            }
            ASSERT_EQ(byTable, walked.test(b)) << "colour " << int(c) << " type " << t << " on " << file << rank
                                               << " to bit " << b;
            ++checked;
            // A piece that attacks a square next to bit k with a step
            // stands in k's zone.
            if (!stepAttackFrom[c][t][b].test(bitOf(from))) continue;
            for (int k = 0; k < 81; ++k) {
              const bool next = k != b && std::abs(k / 9 - b / 9) <= 1 && std::abs(k % 9 - b % 9) <= 1;
              if (!next) continue;
              ASSERT_TRUE(kingZone[k].test(bitOf(from))) << "bit " << k << ", attacked bit " << b;
            }
          }
        }
      }
    }
  }
  EXPECT_GT(checked, 10000);
}

}  // namespace
