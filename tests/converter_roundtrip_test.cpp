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
#include "converter/problem.h"
#include "converter/sfen_input.h"
#include "converter/transcode.h"
#include "shogi/movegen.h"
#include "support/process.h"

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

// The classic problems, with a few legal moves of either side played from
// each (not a solution: the readers check legality, not mate); every other
// one given with White attacking, which the readers turn back.
struct Sample {
  std::string id;
  Position given;
  std::vector<Move> givenMoves;
  converter::Problem expected;
};

std::vector<Sample> classicSamples() {
  std::vector<Sample> samples;
  std::ifstream csv(std::string(DATA_DIR) + "/classic_zukou_musou.csv");
  std::string line;
  std::getline(csv, line);
  std::mt19937 rng(7);
  while (std::getline(csv, line)) {
    std::vector<std::string> f;
    std::stringstream ss(line);
    std::string cell;
    while (std::getline(ss, cell, ',')) f.push_back(cell);
    if (f.size() < 4) continue;
    Sample sample;
    sample.id = f[0];
    Position start;
    std::string why;
    if (!start.setSfen(f[3], &why)) {
      ADD_FAILURE() << f[0] << ": " << why;
      continue;
    }
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
    sample.expected.start = start;
    sample.expected.moves = moves;
    sample.given = start;
    sample.givenMoves = moves;
    if (samples.size() % 2 == 1) {
      sample.given = converter::turnedRound(start);
      for (Move& m : sample.givenMoves) m = converter::turnedMove(m);
    }
    samples.push_back(sample);
  }
  return samples;
}

TEST(ConverterRoundTrip, ClassicsInEveryFormat) {
  const std::vector<Sample> samples = classicSamples();
  ASSERT_EQ(samples.size(), 200u) << DATA_DIR;
  size_t movesPlayed = 0;
  for (const Sample& sample : samples) {
    const std::string kif = writeKif(sample.given, sample.givenMoves);
    std::string kifUtf8;
    ASSERT_TRUE(transcode::cp932ToUtf8(kif, kifUtf8, nullptr)) << sample.id;
    const std::string csa = writeCsa(sample.given, sample.givenMoves);
    const std::string sfen = writeSfen(sample.given, sample.givenMoves);

    converter::Problem fromKif, fromCsa, fromSfen;
    converter::InputError error;
    bool variations = false;
    ASSERT_TRUE(converter::readKif(kifUtf8, fromKif, &error, &variations))
        << sample.id << " line " << error.line << ": " << error.message << "\n" << kifUtf8;
    ASSERT_TRUE(converter::readCsa(csa, fromCsa, &error))
        << sample.id << " line " << error.line << ": " << error.message << "\n" << csa;
    ASSERT_TRUE(converter::readSfen(sfen, fromSfen, &error)) << sample.id << ": " << error.message;
    const std::string expected = summary(sample.expected);
    EXPECT_EQ(summary(fromKif), expected) << sample.id << " (KIF)";
    EXPECT_EQ(summary(fromCsa), expected) << sample.id << " (CSA)";
    EXPECT_EQ(summary(fromSfen), expected) << sample.id << " (SFEN)";
    movesPlayed += sample.givenMoves.size();
  }
  EXPECT_GT(movesPlayed, 1000u);
}

// tsshogi, an independent implementation, writes the same records as KIF,
// KI2 and CSA and says what it reads back from them; our readers must read
// the same position and moves.
TEST(ConverterAgainstTsshogi, ItsKifKi2AndCsaReadTheSame) {
  const std::string module = std::string(TSSHOGI_DIR) + "/node_modules/tsshogi/package.json";
  if (std::string(NODE_BINARY).empty() || !std::ifstream(module)) {
    GTEST_SKIP() << "tsshogi is not installed: npm ci --prefix tests/tsshogi (.ci/run does it)";
  }
  const std::vector<Sample> samples = classicSamples();
  ASSERT_EQ(samples.size(), 200u);
  TempDir dir;
  std::string input;
  for (const Sample& sample : samples) input += writeSfen(sample.given, sample.givenMoves);
  writeFile(dir / "records.txt", input);
  ProcessResult r = runProcess(dir.path(), {NODE_BINARY, std::string(TSSHOGI_DIR) + "/export.mjs", dir / "records.txt"});
  ASSERT_EQ(r.status, 0) << r.err;

  // "===KIF", text, "===USI", usi; the same for KI2 and CSA; "===END".
  std::istringstream out(r.out);
  std::string line, format, text;
  size_t record = 0, compared = 0;
  std::string usi;
  bool inUsi = false;
  while (std::getline(out, line)) {
    if (line == "===KIF" || line == "===KI2" || line == "===CSA") {
      format = line.substr(3);
      text.clear();
      inUsi = false;
      continue;
    }
    if (line == "===USI") {
      inUsi = true;
      continue;
    }
    if (line == "===END") {
      ++record;
      continue;
    }
    if (!inUsi) {
      text += line + "\n";
      continue;
    }
    ASSERT_LT(record, samples.size());
    const Sample& sample = samples[record];
    converter::Problem theirs, ours;
    converter::InputError error;
    ASSERT_TRUE(converter::readSfen(line, theirs, &error)) << line << ": " << error.message;
    bool variations = false;
    const bool read = format == "CSA" ? converter::readCsa(text, ours, &error)
                                      : converter::readKif(text, ours, &error, &variations);
    ASSERT_TRUE(read) << sample.id << " " << format << " line " << error.line << ": " << error.message << "\n" << text;
    EXPECT_EQ(summary(ours), summary(theirs)) << sample.id << " " << format << "\n" << text;
    EXPECT_EQ(summary(ours), summary(sample.expected)) << sample.id << " " << format;
    ++compared;
    inUsi = false;
  }
  EXPECT_EQ(record, samples.size());
  EXPECT_EQ(compared, 3 * samples.size());
}

}  // namespace
