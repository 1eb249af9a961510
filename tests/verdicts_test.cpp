// The checker with our solver and converter on problems whose verdict is
// known: stated lines that cannot be solutions, and classics whose checks
// turn on a detour, on the excluded move's idea played another way, or on
// a drop the defender can take back.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/process.h"

namespace {

const std::string kBanner = "tsuka 0.09 - Copyright (C) 2026 the tsuka developers\n";
const std::string kHolds = kBanner + "tsuka: 指定詰手順が成立しています。\n";
const std::string kDoesNotHold = kBanner + "tsuka: 指定詰手順が成立していません。\n...";
std::string alternativeAt(int move) {
  return kBanner + "tsuka: 指定詰手順 " + std::to_string(move) + "手目の図で余詰がありました。\n...";
}

class Verdicts : public testing::Test {
 protected:
  TempDir dir;
  void SetUp() override {
    installProgram(TSUKA_BINARY, dir / "tsuka");
    installProgram(MATESOLVER_BINARY, dir / "KZ.EXE");
    installProgram(CONVERTER_BINARY, dir / "KZSHOW.EXE");
  }
  ProcessResult check(const std::string& name, const std::string& bytes, std::vector<std::string> options = {}) {
    writeFile(dir / name, bytes);
    std::vector<std::string> argv = {"./tsuka", name};
    argv.insert(argv.end(), options.begin(), options.end());
    return runProcess(dir.path(), argv);
  }
  // The solver's finding in the output file of a check: its third line.
  std::string finding(int check) {
    const std::string name = "TSUKA" + std::string(check < 10 ? "00" : "0") + std::to_string(check) + ".KZO";
    const std::string text = withoutCarriageReturns(readFile(dir / name));
    size_t begin = 0;
    for (int line = 0; line < 2 && begin != std::string::npos; ++line) begin = text.find('\n', begin) + 1;
    return text.substr(begin, text.find('\n', begin) - begin);
  }
};

// The five-move example with another number of moves and stated line.
std::string fiveMoveProblem(int count, const std::string& stated) {
  return "ルール：詰将棋\n手数：" + std::to_string(count) +
         "\n攻方：24龍64歩71龍74桂\n受方：11角42玉\n攻方持駒：銀歩2\n受方持駒：角金銀香歩\n作意：\n" + stated + "\n";
}

// Whatever the solver is asked, none of these holds.
TEST_F(Verdicts, DegenerateStatedLinesNeverHold) {
  struct Case {
    const char* name;
    std::string problem;
    std::string err;
    std::string finding;  // of the whole-problem check; empty when it never runs
  };
  const std::vector<Case> cases = {
      {"no moves", fiveMoveProblem(0, ""), kDoesNotHold, "判定：作意不成立　初形が詰みではない（手数 0）"},
      {"a count above the moves stated", fiveMoveProblem(5, "43歩打 同玉(42) 41龍(71)"),
       kBanner + "tsuka: 指定詰手順が解析できません。－ 移動先\n...", ""},
      {"a count below the moves stated", fiveMoveProblem(3, "43歩打 同玉(42) 41龍(71) 53玉(43) 62銀打"), kDoesNotHold,
       "判定：作意不成立　3手目の後 最終手で詰んでいない"},
      {"a line that goes on after the mate",
       fiveMoveProblem(7, "43歩打 同玉(42) 41龍(71) 53玉(43) 62銀打 64玉(53) 63金打"), kDoesNotHold,
       "判定：作意不成立　5手目で詰んでいる（6手目 64玉(53) は指せない）"},
      {"a count that makes the defender begin", fiveMoveProblem(4, "43歩打 同玉(42) 41龍(71) 53玉(43)"), kDoesNotHold,
       "判定：作意不成立　手数 4 では受方から指すが、1手目 43歩打 は攻方の手"},
      {"a line that comes back to a position",
       fiveMoveProblem(9, "43歩打 同玉(42) 41龍(71) 53玉(43) 51龍(41) 43玉(53) 41龍(51) 53玉(43) 62銀打"), kDoesNotHold,
       "判定：作意不成立　7手目で3手目の後と同じ局面に戻る"},
      {"an attacker move that is no check", fiveMoveProblem(5, "43歩打 同玉(42) 51龍(71) 53玉(43) 62銀打"),
       kDoesNotHold, "判定：作意不成立　3手目 51龍(71) が王手ではない"},
      {"a drop of a piece not in hand", fiveMoveProblem(5, "43金打 同玉(42) 41龍(71) 53玉(43) 62銀打"), kDoesNotHold,
       "判定：作意不成立　1手目 43金打 は持駒にない駒を打つ"},
  };
  for (const Case& c : cases) {
    ProcessResult r = check("p.kdb", c.problem);
    EXPECT_EQ(r.status, 1) << c.name;
    EXPECT_EQ(r.err, c.err) << c.name;
    if (!c.finding.empty()) {
      EXPECT_EQ(finding(0), c.finding) << c.name;
    }
  }
  // An SFEN whose move list is empty is a problem of no moves.
  ProcessResult r = check("p.sfen", "sfen 2+R5b/5k3/9/2NP3+R1/9/9/9/9/9 b S2Pbgslp 1 moves\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, kDoesNotHold);
  EXPECT_EQ(finding(0), "判定：作意不成立　初形が詰みではない（手数 0）");
}

// Classics with their recorded lines (from move 7 and move 23 where the
// check in question is the first move).
TEST_F(Verdicts, Classics) {
  struct Case {
    const char* name;
    std::string sfen;
    std::vector<std::string> options;
    std::string err;
    int check;             // whose finding is looked at
    std::string finding;   // its beginning
  };
  const std::vector<Case> cases = {
      // Move 3: 62馬 takes the pawn on 62 and the horse comes back; with the
      // pawn gone the mate is shorter. A line that only looks like a detour.
      {"将棋図巧 第82番",
       "sfen 2+P1l4/3pg2R1/pl3+PB2/1B1+rk4/3l5/1pP6/9/2L6/9 b 3g4s4n12p 1 moves 3c4d+ 5d6c 2b5b+ 6c7d 5b6c 6b6c 8d7c+ "
       "7d7c 4d6b 7c7d G*7e 6d7e 7f7e 7d6d 6b7c 6d7c R*7d 7c8b 7d7b+ 8b9a 7b8a",
       {"/L2"}, alternativeAt(3), 19, "余詰：62馬(44) 54玉(63) 44馬(62) 63玉(54) 52飛成(22)"},
      // 43飛生 for 43飛成: the other promotion.
      {"将棋図巧 第85番 from move 7",
       "sfen 4nS3/3g1n3/3pk1p+b1/4bR3/6S2/4N4/9/9/9 b RP3g2sn4l15p 1 moves 4d4c+ 5c4c R*5c 6b5c P*4d 5c4d 3e4d 4c3d "
       "G*3e",
       {"/L2"}, kHolds, 9, "非限定：43飛生(44)"},
      {"the same at /L0",
       "sfen 4nS3/3g1n3/3pk1p+b1/4bR3/6S2/4N4/9/9/9 b RP3g2sn4l15p 1 moves 4d4c+ 5c4c R*5c 6b5c P*4d 5c4d 3e4d 4c3d "
       "G*3e",
       {}, alternativeAt(1), 9, "余詰：43飛生(44)"},
      // 82角打 for 73角打 with the king on 19: the same line, farther off.
      {"将棋図巧 第48番 from move 23", "sfen 9/9/9/8n/9/9/4+pl2S/9/6+p1k b B2rb4g3s3n3l16p 1 moves B*7c 1i1h 7c2h+",
       {"/L2"}, kHolds, 3, "非限定：82角打"},
      // After 35龍 the lance dropped on 45 is taken back by the king: no
      // futile drop, and the defence is longer.
      {"将棋無双 第25番",
       "sfen 4n4/1s3p+R+b1/2Pgk2l1/3sp1S2/3p2p2/6P2/3+l5/4N4/9 b RBSN3gn2l12p 1 moves R*4c 4b4c S*4d 5c4d 3d4e 4d5c "
       "4e4d 5c4d B*5c 4d5c N*4e 5c4d 3b3e 4d5e P*5f 5e5f 3e4f",
       {}, kDoesNotHold, 0, "判定：作意不成立　9手目の後 変長 55玉(44) 35龍(32) 45香打 同龍(35) 同玉(55)"},
  };
  for (const Case& c : cases) {
    ProcessResult r = check("p.sfen", c.sfen + "\n", c.options);
    EXPECT_EQ(r.err, c.err) << c.name;
    EXPECT_EQ(finding(c.check).substr(0, c.finding.size()), c.finding) << c.name;
  }
}

}  // namespace
