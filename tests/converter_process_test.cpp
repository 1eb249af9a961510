// Runs the built converter as the checker does, and the checker with it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "converter/transcode.h"
#include "support/process.h"

namespace {

std::string withCrLf(const std::string& text) {
  std::string out;
  for (char c : text) out += c == '\n' ? std::string("\r\n") : std::string(1, c);
  return out;
}

class Converter : public testing::Test {
 protected:
  TempDir dir;
  void SetUp() override { installProgram(CONVERTER_BINARY, dir / "KZSHOW.EXE"); }
  ProcessResult convert(const std::string& name, const std::string& bytes) {
    writeFile(dir / name, bytes);
    return runProcess(dir.path(), {"./KZSHOW.EXE", name});
  }
};

// The five-move example as a problem file (code page 932 literals).
const std::string kFiveMoves =
    "ルール：詰将棋\n手数：5\n攻方：24龍64歩71龍74桂\n受方：11角42玉\n攻方持駒：銀歩2\n受方持駒：角金銀香歩\n"
    "作意：\n43歩打 同玉(42) 41龍(71) 53玉(43) 62銀打\nまで5手\n";

TEST_F(Converter, SfenBecomesAProblemFile) {
  struct Case {
    const char* name;
    std::string input;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"sfen with moves", "sfen 2+R5b/5k3/9/2NP3+R1/9/9/9/9/9 b S2Pbgslp 1 moves P*4c 4b4c 7a4a 4c5c S*6b\n",
       kFiveMoves},
      {"position sfen, moves on the next lines",
       "position sfen 2+R5b/5k3/9/2NP3+R1/9/9/9/9/9 b S2Pbgslp 1 moves\r\nP*4c 4b4c\r\n7a4a 4c5c S*6b\r\n", kFiveMoves},
      {"bare SFEN without a move number", "2+R5b/5k3/9/2NP3+R1/9/9/9/9/9 b S2Pbgslp P*4c 4b4c 7a4a 4c5c S*6b",
       kFiveMoves},
      // White attacks: the board is turned round, and so are the moves.
      {"White to move", "sfen 9/9/9/9/9/1+r3pn2/9/3K5/B5+r2 w BGSLPs2p 1 moves P*6g 6h6g 3i6i 6g5g S*4h\n",
       kFiveMoves},
      {"no moves, nothing in the defender's hand", "sfen 7k1/9/9/9/9/9/9/9/9 b G 1\n",
       "ルール：詰将棋\n手数：0\n攻方：\n受方：21玉\n攻方持駒：金\n受方持駒：なし\n作意：\nまで0手\n"},
      {"promoted pieces keep the problem file's names", "sfen 8k/9/7+S1/9/6+N2/9/5+L3/9/9 b - 1\n",
       "ルール：詰将棋\n手数：0\n攻方：23全35圭47杏\n受方：11玉\n攻方持駒：なし\n受方持駒：なし\n作意：\nまで0手\n"},
  };
  for (const Case& c : cases) {
    ProcessResult r = convert("p.sfen", c.input);
    EXPECT_EQ(r.status, 0) << c.name << ": " << r.err;
    EXPECT_EQ(readFile(dir / "KZSHOW.KDB"), withCrLf(c.expected)) << c.name;
  }
}

TEST_F(Converter, CsaBecomesAProblemFile) {
  const std::string board =
      "P1 *  * +RY *  *  *  *  * -KA\nP2 *  *  *  *  * -OU *  *  * \nP3\nP4 *  * +KE+FU *  *  * +RY\n";
  struct Case {
    const char* name;
    std::string input;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"V2.2 with hands, turn, moves and times",
       "'encoding=SHIFT_JIS\nV2.2\nN+作者\nN+composer\n'a comment, with a comma\n" + board +
           "P+00GI00FU00FU\nP-00KA00KI00GI00KY00FU\n+\n+0043FU,T1\n-4243OU\n+7141RY,T0\n-4353OU\n+0062GI\n%TSUMI\n",
       kFiveMoves},
      {"several statements on one line, CR LF",
       "V3.0\r\n" + board + "P+00GI00FU00FU\r\nP-00KA00KI00GI00KY00FU\r\n+\r\n+0043FU,-4243OU,+7141RY,-4353OU,+0062GI\r\n",
       kFiveMoves},
      // White attacks: turned round as from SFEN.
      {"White to move",
       "P6 * -RY *  *  * -FU-KE *  * \nP8 *  *  * +OU *  *  *  *  * \nP9+KA *  *  *  *  * -RY *  * \n"
       "P+00KA00KI00GI00KY00FU\nP-00GI00FU00FU\n-\n-0067FU\n+6867OU\n-3969RY\n+6757OU\n-0048GI\n",
       kFiveMoves},
      {"00AL: all remaining pieces, no hand line", "P1 *  *  *  *  *  *  * -OU * \nP+00KI\nP-00AL\n+\n",
       "ルール：詰将棋\n手数：0\n攻方：\n受方：21玉\n攻方持駒：金\n作意：\nまで0手\n"},
      {"defender's hand omitted: the same", "P1 *  *  *  *  *  *  * -OU * \nP+00KI\n+\n",
       "ルール：詰将棋\n手数：0\n攻方：\n受方：21玉\n攻方持駒：金\n作意：\nまで0手\n"},
      {"PI with pieces taken off: a handicap position",
       "PI11KY21KE31GI41KI61KI71GI81KE91KY22KA82HI13FU23FU33FU43FU53FU63FU73FU83FU93FU\n"
       "P+00KI\nP-\n+\n+0052KI\n",
       "ルール：詰将棋\n手数：1\n攻方：17歩19香27歩28飛29桂37歩39銀47歩49金57歩59王67歩69金77歩79銀87歩88角89桂"
       "97歩99香\n受方：51玉\n攻方持駒：金\n受方持駒：なし\n作意：\n52金打\nまで1手\n"},
      {"P+ / P- with squares, promotion by the piece after the move",
       "P-21OU\nP+23GI\nP+00KI\nP-\n+\n+2312NG\n",
       "ルール：詰将棋\n手数：1\n攻方：23銀\n受方：21玉\n攻方持駒：金\n受方持駒：なし\n作意：\n12銀成(23)\nまで1手\n"},
  };
  for (const Case& c : cases) {
    ProcessResult r = convert("p.csa", c.input);
    EXPECT_EQ(r.status, 0) << c.name << ": " << r.err;
    EXPECT_EQ(readFile(dir / "KZSHOW.KDB"), withCrLf(c.expected)) << c.name;
  }
}

// The five-move example as KIF (UTF-8 here; turned into code page 932 below).
const std::string kKifBoard =
    "  ９ ８ ７ ６ ５ ４ ３ ２ １\n+---------------------------+\n"
    "| ・ ・ 龍 ・ ・ ・ ・ ・v角|一\n| ・ ・ ・ ・ ・v玉 ・ ・ ・|二\n| ・ ・ ・ ・ ・ ・ ・ ・ ・|三\n"
    "| ・ ・ 桂 歩 ・ ・ ・ 龍 ・|四\n| ・ ・ ・ ・ ・ ・ ・ ・ ・|五\n| ・ ・ ・ ・ ・ ・ ・ ・ ・|六\n"
    "| ・ ・ ・ ・ ・ ・ ・ ・ ・|七\n| ・ ・ ・ ・ ・ ・ ・ ・ ・|八\n| ・ ・ ・ ・ ・ ・ ・ ・ ・|九\n"
    "+---------------------------+\n";
const std::string kKifMoves =
    "手数----指手---------消費時間--\n   1 ４三歩打     ( 0:00/00:00:00)\n   2 同　玉(42)   ( 0:00/00:00:00)\n"
    "*a comment\n   3 ４一龍(71)   ( 0:00/00:00:00)+\n   4 ５三玉(43)   ( 0:00/00:00:00)\n"
    "   5 ６二銀打     ( 0:00/00:00:00)\nまで5手で詰み\n";

TEST_F(Converter, KifBecomesAProblemFile) {
  const std::string kif = "#KIF version=2.0 encoding=UTF-8\n後手の持駒：角　金　銀　香　歩　\n" + kKifBoard +
                          "先手の持駒：銀　歩二　\n" + kKifMoves;
  // The test's literals are code page 932, as a .kif file is; a .kifu file
  // is the same in UTF-8.
  std::string utf8;
  ASSERT_TRUE(transcode::cp932ToUtf8(kif, utf8, nullptr));
  struct Case {
    const char* name;
    std::string input;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"code page 932, encoding line", kif, kFiveMoves},
      {"code page 932, no encoding line", kif.substr(kif.find('\n') + 1), kFiveMoves},
      {"UTF-8 with a byte-order mark", "\xEF\xBB\xBF" + utf8, kFiveMoves},
      {"variations are not read", kif + "\n変化：4手\n   4 ３二玉(43)   ( 0:00/00:00:00)\n", kFiveMoves},
      {"KI2 moves", "後手の持駒：角　金　銀　香　歩　\n" + kKifBoard +
                        "先手の持駒：銀　歩二　\n▲４三歩打　△同　玉　▲４一龍\n△５三玉　▲６二銀\nまで5手で詰み\n",
       kFiveMoves},
      {"KI2: 右 左 直 上 寄 pick the piece",
       "後手の持駒：なし\n  ９ ８ ７ ６ ５ ４ ３ ２ １\n+---------------------------+\n"
       "| ・ ・ ・ ・v玉 ・ ・ ・ ・|一\n| ・ ・ ・ ・ ・ ・ ・ ・ ・|二\n| ・ ・ ・ ・ ・ ・ ・ ・ ・|三\n"
       "| ・ ・ ・ ・ ・ ・ ・ ・ ・|四\n| ・ ・ ・ ・ ・ ・ ・ ・ ・|五\n| ・ ・ ・ ・ ・ ・ ・ ・ ・|六\n"
       "| ・ ・ ・ ・ ・ ・ ・ ・ ・|七\n| ・ ・ ・ ・ 金 ・ 金 ・ ・|八\n| ・ ・ ・ ・ ・ 金 金 ・ ・|九\n"
       "+---------------------------+\n先手の持駒：なし\n"
       "▲４７金右　△６一玉　▲４８金直　△５一玉　▲４９金寄　△６一玉　▲３８金上\n",
       "ルール：詰将棋\n手数：7\n攻方：38金39金49金58金\n受方：51玉\n攻方持駒：なし\n受方持駒：なし\n作意：\n"
       "47金(38) 61玉(51) 48金(49) 51玉(61) 49金(39) 61玉(51) 38金(49)\nまで7手\n"},
      {"White to move",
       "後手番\n先手の持駒：角　金　銀　香　歩　\n"
       "  ９ ８ ７ ６ ５ ４ ３ ２ １\n+---------------------------+\n"
       "| ・ ・ ・ ・ ・ ・ ・ ・ ・|一\n| ・ ・ ・ ・ ・ ・ ・ ・ ・|二\n| ・ ・ ・ ・ ・ ・ ・ ・ ・|三\n"
       "| ・ ・ ・ ・ ・ ・ ・ ・ ・|四\n| ・ ・ ・ ・ ・ ・ ・ ・ ・|五\n| ・v龍 ・ ・ ・v歩v桂 ・ ・|六\n"
       "| ・ ・ ・ ・ ・ ・ ・ ・ ・|七\n| ・ ・ ・ 玉 ・ ・ ・ ・ ・|八\n| 角 ・ ・ ・ ・ ・v龍 ・ ・|九\n"
       "+---------------------------+\n後手の持駒：銀　歩二　\n"
       "手数----指手---------消費時間--\n   1 ６七歩打\n   2 同　玉(68)\n   3 ６九龍(39)\n   4 ５七玉(67)\n"
       "   5 ４八銀打\nまで5手で詰み\n",
       kFiveMoves},
      {"defender's hand omitted: all remaining pieces; counts in kanji; promotions",
       "  ９ ８ ７ ６ ５ ４ ３ ２ １\n+---------------------------+\n"
       "| ・ ・ ・ ・ ・ ・ ・v玉 ・|一\n| ・ ・ ・ ・ ・ ・ ・ ・ ・|二\n| ・ ・ ・ ・ ・ ・ 銀 ・ 杏|三\n"
       "| ・ ・ ・ ・ ・ ・ ・ ・ ・|四\n| ・ ・ ・ ・ ・ ・ ・ ・ ・|五\n| ・ ・ ・ ・ ・ ・ ・ ・ ・|六\n"
       "| ・ ・ ・ ・ ・ ・ ・ ・ ・|七\n| ・ ・ ・ ・ ・ ・ ・ ・ ・|八\n| ・ ・ ・ ・ ・ ・ ・ ・ ・|九\n"
       "+---------------------------+\n先手の持駒：歩十七　\n"
       "   1 ３二銀不成(33)\n   2 同　玉(21)\n   3 ２二成香(13)\n",
       "ルール：詰将棋\n手数：3\n攻方：13杏33銀\n受方：21玉\n攻方持駒：歩17\n作意：\n"
       "32銀生(33) 同玉(21) 22杏(13)\nまで3手\n"},
      {"なし stays なし; rule and conditions from the headers; 王 stays 王; 打(00)",
       "ルール：ばか詰\n後手の持駒：なし\n  ９ ８ ７ ６ ５ ４ ３ ２ １\n+---------------------------+\n"
       "| ・ ・ ・ ・ ・ ・ ・v王 ・|一\n| ・ ・ ・ ・ ・ ・ ・ ・ ・|二\n| ・ ・ ・ ・ ・ ・ ・ ・ ・|三\n"
       "| ・ ・ ・ ・ ・ ・ ・ ・ ・|四\n| ・ ・ ・ ・ ・ ・ ・ ・ ・|五\n| ・ ・ ・ ・ ・ ・ ・ ・ ・|六\n"
       "| ・ ・ ・ ・ ・ ・ ・ ・ ・|七\n| ・ ・ ・ ・ ・ ・ ・ ・ ・|八\n| ・ ・ ・ ・ ・ ・ ・ ・ ・|九\n"
       "+---------------------------+\n先手の持駒：金　\n   1 ２二金打(00)\n",
       "ルール：ばか詰\n手数：1\n攻方：\n受方：21王\n攻方持駒：金\n受方持駒：なし\n作意：\n22金打\nまで1手\n"},
  };
  for (const Case& c : cases) {
    ProcessResult r = convert("p.kif", c.input);
    EXPECT_EQ(r.status, 0) << c.name << ": " << r.err;
    EXPECT_EQ(readFile(dir / "KZSHOW.KDB"), withCrLf(c.expected)) << c.name;
  }
}

TEST_F(Converter, ProblemFileInUtf8IsTranscoded) {
  // "ルール：詰将棋" and so on in UTF-8, with a byte-order mark and LF lines.
  const std::string utf8 = "\xEF\xBB\xBF\xE3\x83\xAB\xE3\x83\xBC\xE3\x83\xAB\xEF\xBC\x9A\xE8\xA9\xB0\xE5\xB0\x86\xE6\xA3\x8B\n";
  ProcessResult r = convert("p.txt", utf8);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(readFile(dir / "KZSHOW.KDB"), withCrLf("ルール：詰将棋\n"));
  // A problem file in code page 932 under another extension stays as it is.
  r = convert("p.txt", kFiveMoves);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(readFile(dir / "KZSHOW.KDB"), withCrLf(kFiveMoves));
}

TEST_F(Converter, BadInputsLeaveNoProblemFile) {
  struct Case {
    const char* name;
    std::string input;
    std::string message;  // a part of standard error
  };
  const std::vector<Case> cases = {
      {"empty file", "", "p.in: the file is empty"},
      {"blank file", " \r\n\n", "the file is empty"},
      {"not a format", "hello\n", "not a format this converter reads"},
      {"neither UTF-8 nor code page 932", "\x82\xa0\xff\xff\n", "line 1: the text is neither UTF-8"},
      {"truncated SFEN", "sfen 9/9/9 b", "line 1: an SFEN needs"},
      {"unknown piece", "sfen 8k/9/9/9/9/9/9/9/8X b - 1", "line 1: SFEN"},
      {"no defender's king", "sfen 9/9/9/9/9/9/9/9/9 b G 1", "has no king"},
      {"illegal move on line 2", "sfen 7k1/9/9/9/9/9/9/9/9 b G 1 moves\nG*2b 2a2b\nG*1a\n",
       "line 3: move 3 \"G*1a\" is not a legal move"},
      {"CSA: unknown piece", "P1 *  *  *  *  *  *  * -OU-XX\n+\n", "line 1: unknown piece \"-XX\""},
      {"CSA: PI takes off a piece that is not there", "PI55HI\n+\n", "line 1: PI: no \"HI\""},
      {"CSA: a fifth gold", "PI\nP+00KI\n+\n+0052KI\n", "line 4: more pieces than the set has"},
      {"CSA: an illegal move", "P1 *  *  *  *  *  *  * -OU * \nP+00KI\n+\n+0021KI\n", "line 4: move 1"},
      {"CSA: the wrong side moves", "P1 *  *  *  *  *  *  * -OU * \nP+00KI\n+\n-2122OU\n", "line 4:"},
      {"CSA: a hand piece that cannot be held", "P1 *  *  *  *  *  *  * -OU * \nP+00OU\n+\n", "line 2:"},
      {"KIF: board cut short", "後手の持駒：なし\n+---------------------------+\n| ・ ・ ・ ・ ・ ・ ・v玉 ・|一\n",
       "the board diagram is cut short"},
      {"KIF: unknown piece", "+---------------------------+\n| ・ ・ ・ ・ ・ ・ ・v玉 象|一\n", "line 2: unknown piece"},
      {"KIF: a rank with eight squares", "+---------------------------+\n| ・ ・ ・ ・ ・ ・v玉 ・|一\n",
       "line 2: a rank of the board with fewer than nine squares"},
      {"KIF: no diagram", "手合割：平手\n手数----指手--\n   1 ７六歩(77)\n", "line 3: a move before the board"},
      {"KIF: an illegal move", kKifBoard + "先手の持駒：銀　歩二　\n   1 ４二歩打\n", "line 14: move 1"},
      {"KIF: a move without origin", kKifBoard + "先手の持駒：銀　歩二　\n   1 ４一龍\n", "line 14:"},
      {"KI2: which piece is not said",
       "+---------------------------+\n| ・ ・ ・ ・v玉 ・ ・ ・ ・|一\n| ・ ・ ・ ・ ・ ・ ・ ・ ・|二\n"
       "| ・ ・ ・ ・ ・ ・ ・ ・ ・|三\n| ・ ・ ・ ・ ・ ・ ・ ・ ・|四\n| ・ ・ ・ ・ ・ ・ ・ ・ ・|五\n"
       "| ・ ・ ・ ・ ・ ・ ・ ・ ・|六\n| ・ ・ ・ ・ ・ ・ ・ ・ ・|七\n| ・ ・ ・ ・ 金 ・ 金 ・ ・|八\n"
       "| ・ ・ ・ ・ ・ ・ ・ ・ ・|九\n+---------------------------+\n▲４８金\n",
       "line 12: move 1 \"▲４８金\": more than one piece"},
      {"KI2: the wrong side", kKifBoard + "先手の持駒：銀　歩二　\n△４三歩打\n", "not the side to move"},
      {"UTF-8 text that code page 932 lacks", "\xE6\x89\x8B\xE6\x95\xB0\xEF\xBC\x9A\xF0\x9F\x98\x80\n", "line 1:"},
      // A position the problem file could not carry: the solver would refuse
      // it, or read another one.
      {"SFEN: two kings of one side", "sfen 7kk/9/9/9/9/9/9/9/9 b G 1", "two kings of one side"},
      {"CSA: a third bishop in hand", "P1 *  *  *  *  *  *  * -OU * \nP+00KA00KA00KA\n+\n",
       "line 2: more pieces in hand than the set has"},
      {"KIF: eighteen bishops in hand", kKifBoard + "先手の持駒：角十八\n", "more pieces in hand than the set has"},
      {"KIF: a third bishop, both hands stated", "後手の持駒：なし\n" + kKifBoard + "先手の持駒：角二\n",
       "more pieces of a kind than the set has"},
      // Input quoted in a message is cut: a line may be megabytes long.
      {"a long line", "sfen 7k1/9/9/9/9/9/9/9/9 b G 1 moves " + std::string(100000, 'x'),
       "move 1 \"" + std::string(40, 'x') + "...\" is not a legal move"},
  };
  for (const Case& c : cases) {
    writeFile(dir / "KZSHOW.KDB", "a stale problem from an earlier run");
    ProcessResult r = convert("p.in", c.input);
    EXPECT_EQ(r.status, 2) << c.name;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << c.name << ": " << r.err;
    EXPECT_LT(r.err.size(), 300u) << c.name;
    EXPECT_FALSE(fileExists(dir / "KZSHOW.KDB")) << c.name;
  }
}

TEST_F(Converter, WritesIntoTheDirectoryTheCheckerNames) {
  TempDir other;
  writeFile(dir / "p.sfen", "sfen 7k1/9/9/9/9/9/9/9/9 b G 1\n");
  ProcessResult r = runProcess(dir.path(), {"./KZSHOW.EXE", "p.sfen"}, {"TSUKA_PROGRAM_DIR=" + other.path()});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(fileExists(other / "KZSHOW.KDB"));
  EXPECT_FALSE(fileExists(dir / "KZSHOW.KDB"));
}

// The checker converts, then checks with our solver.
TEST(ConverterWithChecker, SfenProblemEndToEnd) {
  TempDir dir;
  TempDir programs;
  installProgram(TSUKA_BINARY, programs / "tsuka");
  installProgram(CONVERTER_BINARY, dir / "KZSHOW.EXE");
  installProgram(MATESOLVER_BINARY, dir / "KZ.EXE");
  for (const char* example : {"tsume5.sfen", "tsume5.kif"}) {
    writeFile(dir / example, readFile(std::string(EXAMPLES_DIR) + "/" + example));
    // tsuka lives elsewhere: the converter must write into tsuka's directory.
    ProcessResult r = runProcess(dir.path(), {programs / "tsuka", example, "/L2"});
    EXPECT_EQ(r.err, "tsuka 0.09 - Copyright (C) 2026 the tsuka developers\ntsuka: 指定詰手順が成立しています。\n")
        << example;
    EXPECT_EQ(r.status, 0) << example;
    EXPECT_EQ(readFile(programs / "KZSHOW.KDB"), withCrLf(kFiveMoves)) << example;
  }
}

}  // namespace
