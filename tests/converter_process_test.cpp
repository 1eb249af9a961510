// Runs the built converter as the checker does, and the checker with it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

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
       "V2.2\nN+composer\n'a comment, with a comma\n" + board +
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
      {"CSA: the initial position", "PI\n+\n", "line 1: PI"},
      {"CSA: an illegal move", "P1 *  *  *  *  *  *  * -OU * \nP+00KI\n+\n+0021KI\n", "line 4: move 1"},
      {"CSA: the wrong side moves", "P1 *  *  *  *  *  *  * -OU * \nP+00KI\n+\n-2122OU\n", "line 4:"},
      {"CSA: a hand piece that cannot be held", "P1 *  *  *  *  *  *  * -OU * \nP+00OU\n+\n", "line 2:"},
      {"UTF-8 text that code page 932 lacks", "\xE6\x89\x8B\xE6\x95\xB0\xEF\xBC\x9A\xF0\x9F\x98\x80\n", "line 1:"},
  };
  for (const Case& c : cases) {
    writeFile(dir / "KZSHOW.KDB", "a stale problem from an earlier run");
    ProcessResult r = convert("p.in", c.input);
    EXPECT_EQ(r.status, 2) << c.name;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << c.name << ": " << r.err;
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
  writeFile(dir / "tsume5.sfen", readFile(std::string(EXAMPLES_DIR) + "/tsume5.sfen"));
  // tsuka lives elsewhere: the converter must write into tsuka's directory.
  ProcessResult r = runProcess(dir.path(), {programs / "tsuka", "tsume5.sfen", "/L2"});
  EXPECT_EQ(r.err, "tsuka 0.09 - Copyright (C) 2026 the tsuka developers\ntsuka: 指定詰手順が成立しています。\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(readFile(programs / "KZSHOW.KDB"), withCrLf(kFiveMoves));
}

}  // namespace
