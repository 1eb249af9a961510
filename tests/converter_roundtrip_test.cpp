// Round trips: every classic problem, with a few legal moves played from it,
// written as KIF (code page 932, read as UTF-8 as the converter does after
// decoding), CSA and SFEN by small writers here, and read back by the
// converter's readers; all must give the same position, hands and moves.
#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "converter/csa_input.h"
#include "converter/kif_input.h"
#include "converter/sfen_input.h"
#include "converter/transcode.h"
#include "shogi/movegen.h"

namespace {

using namespace shogi;

const char* const kKifNames[] = {"",   "歩", "香", "桂", "銀", "金", "角", "飛",
                                 "玉", "と", "杏", "圭", "全", "",   "馬", "龍"};
const char* const kKifMoveNames[] = {"",   "歩",   "香",   "桂",   "銀", "金", "角", "飛",
                                     "玉", "と", "成香", "成桂", "成銀", "",   "馬", "龍"};
const char* const kCsaCodes[] = {"",   "FU", "KY", "KE", "GI", "KI", "KA", "HI",
                                 "OU", "TO", "NY", "NK", "NG", "",   "UM", "RY"};
const char* const kWideDigits[] = {"", "１", "２", "３", "４", "５", "６", "７", "８", "９"};
const char* const kKanjiDigits[] = {"", "一", "二", "三", "四", "五", "六", "七", "八", "九"};

std::string kanjiCount(int n) {
  if (n == 1) return "";
  std::string s;
  if (n >= 10) s += "十";
  if (n % 10) s += kKanjiDigits[n % 10];
  return s;
}

std::string kifHand(const Position& pos, Color c) {
  std::string s;
  for (int t = ROOK; t >= PAWN; --t) {
    const int n = pos.hand(c, PieceType(t));
    if (n > 0) s += std::string(kKifNames[t]) + kanjiCount(n) + "　";
  }
  return s.empty() ? "なし" : s;
}

std::string writeKif(const Position& start, const std::vector<Move>& moves) {
  std::string s = "# round trip\n後手の持駒：" + kifHand(start, WHITE) + "\n  ９ ８ ７ ６ ５ ４ ３ ２ １\n";
  s += "+---------------------------+\n";
  for (int rank = 1; rank <= 9; ++rank) {
    s += "|";
    for (int file = 9; file >= 1; --file) {
      const Piece p = start.at(square(file, rank));
      s += p == EMPTY ? " ・" : std::string(colorOf(p) == WHITE ? "v" : " ") + kKifNames[typeOf(p)];
    }
    s += std::string("|") + kKanjiDigits[rank] + "\n";
  }
  s += "+---------------------------+\n先手の持駒：" + kifHand(start, BLACK) + "\n";
  if (start.sideToMove() == WHITE) s += "後手番\n";
  s += "手数----指手---------消費時間--\n";
  Position pos = start;
  Square previous = NO_SQUARE;
  for (size_t i = 0; i < moves.size(); ++i) {
    const Move m = moves[i];
    std::string text = std::to_string(i + 1) + " ";
    text += m.to() == previous ? std::string("同　")
                               : std::string(kWideDigits[fileOf(m.to())]) + kKanjiDigits[rankOf(m.to())];
    if (m.isDrop()) {
      text += std::string(kKifMoveNames[m.dropped()]) + "打";
    } else {
      text += kKifMoveNames[typeOf(pos.at(m.from()))];
      if (m.promotes()) text += "成";
      text += "(" + std::to_string(fileOf(m.from()) * 10 + rankOf(m.from())) + ")";
    }
    s += "   " + text + "   ( 0:00/00:00:00)\n";
    pos.doMove(m);
    previous = m.to();
  }
  return s;
}

std::string writeCsa(const Position& start, const std::vector<Move>& moves) {
  std::string s = "V2.2\n";
  for (int rank = 1; rank <= 9; ++rank) {
    s += "P" + std::to_string(rank);
    for (int file = 9; file >= 1; --file) {
      const Piece p = start.at(square(file, rank));
      s += p == EMPTY ? " * " : std::string(colorOf(p) == BLACK ? "+" : "-") + kCsaCodes[typeOf(p)];
    }
    s += "\n";
  }
  for (Color c : {BLACK, WHITE}) {
    s += c == BLACK ? "P+" : "P-";
    for (int t = ROOK; t >= PAWN; --t) {
      for (int k = 0; k < start.hand(c, PieceType(t)); ++k) s += std::string("00") + kCsaCodes[t];
    }
    s += "\n";
  }
  s += start.sideToMove() == BLACK ? "+\n" : "-\n";
  Position pos = start;
  for (Move m : moves) {
    const char* sign = pos.sideToMove() == BLACK ? "+" : "-";
    const std::string from = m.isDrop() ? "00" : std::to_string(fileOf(m.from()) * 10 + rankOf(m.from()));
    const int after = m.isDrop() ? m.dropped() : typeOf(pos.at(m.from())) + (m.promotes() ? PROMOTION : 0);
    s += sign + from + std::to_string(fileOf(m.to()) * 10 + rankOf(m.to())) + kCsaCodes[after] + "\nT1\n";
    pos.doMove(m);
  }
  return s;
}

std::string writeSfen(const Position& start, const std::vector<Move>& moves) {
  std::string s = "sfen " + start.sfen();
  if (!moves.empty()) s += " moves";
  for (Move m : moves) s += " " + usiMove(m);
  return s + "\n";
}

// The problem as the converter should see it: the attacker as Black.
std::string summary(const converter::Problem& p) {
  std::string s = p.start.sfen() + " |";
  for (Move m : p.moves) s += " " + usiMove(m);
  return s;
}

Position turnedRound(const Position& pos) {
  Position t;
  for (int file = 1; file <= 9; ++file) {
    for (int rank = 1; rank <= 9; ++rank) {
      const Piece p = pos.at(square(file, rank));
      if (p != EMPTY) t.put(square(10 - file, 10 - rank), makePiece(~colorOf(p), typeOf(p)));
    }
  }
  for (int k = PAWN; k <= ROOK; ++k) {
    t.setHand(BLACK, PieceType(k), pos.hand(WHITE, PieceType(k)));
    t.setHand(WHITE, PieceType(k), pos.hand(BLACK, PieceType(k)));
  }
  t.setSideToMove(WHITE);
  return t;
}

Move turnedMove(Move m) {
  auto turn = [](Square s) { return square(10 - fileOf(s), 10 - rankOf(s)); };
  return m.isDrop() ? Move::drop(m.dropped(), turn(m.to())) : Move::board(turn(m.from()), turn(m.to()), m.promotes());
}

TEST(ConverterRoundTrip, ClassicsInEveryFormat) {
  std::ifstream csv(std::string(DATA_DIR) + "/classic_zukou_musou.csv");
  ASSERT_TRUE(csv) << DATA_DIR;
  std::string line;
  std::getline(csv, line);
  std::mt19937 rng(7);
  int rows = 0;
  size_t movesPlayed = 0;
  while (std::getline(csv, line)) {
    std::vector<std::string> f;
    std::stringstream ss(line);
    std::string cell;
    while (std::getline(ss, cell, ',')) f.push_back(cell);
    ASSERT_GE(f.size(), 4u);
    Position start;
    std::string why;
    ASSERT_TRUE(start.setSfen(f[3], &why)) << f[0] << ": " << why;
    // A few legal moves of either side, not a solution: the readers check
    // legality, not mate.
    std::vector<Move> moves;
    Position pos = start;
    for (int i = 0; i < 6; ++i) {
      MoveList legal;
      generateLegal(pos, legal);
      if (legal.size == 0) break;
      const Move m = legal.moves[rng() % legal.size];
      moves.push_back(m);
      pos.doMove(m);
    }
    converter::Problem expected;
    expected.start = start;
    expected.moves = moves;
    // Every other problem is given with White attacking: the readers turn it
    // back.
    Position given = start;
    std::vector<Move> givenMoves = moves;
    if (rows % 2 == 1) {
      given = turnedRound(start);
      for (Move& m : givenMoves) m = turnedMove(m);
    }
    const std::string kif = writeKif(given, givenMoves);
    std::string kifUtf8;
    ASSERT_TRUE(transcode::cp932ToUtf8(kif, kifUtf8, nullptr)) << f[0];
    const std::string csaUtf8 = writeCsa(given, givenMoves);
    const std::string sfen = writeSfen(given, givenMoves);

    converter::Problem fromKif, fromCsa, fromSfen;
    converter::InputError error;
    bool variations = false;
    ASSERT_TRUE(converter::readKif(kifUtf8, fromKif, &error, &variations)) << f[0] << " line " << error.line << ": "
                                                                          << error.message << "\n" << kifUtf8;
    ASSERT_TRUE(converter::readCsa(csaUtf8, fromCsa, &error)) << f[0] << " line " << error.line << ": "
                                                              << error.message << "\n" << csaUtf8;
    ASSERT_TRUE(converter::readSfen(sfen, fromSfen, &error)) << f[0] << ": " << error.message;
    EXPECT_EQ(summary(fromKif), summary(expected)) << f[0] << " (KIF)";
    EXPECT_EQ(summary(fromCsa), summary(expected)) << f[0] << " (CSA)";
    EXPECT_EQ(summary(fromSfen), summary(expected)) << f[0] << " (SFEN)";
    ++rows;
    movesPlayed += moves.size();
  }
  EXPECT_EQ(rows, 200);
  EXPECT_GT(movesPlayed, 1000u);
}

}  // namespace
