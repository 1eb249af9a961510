// Runs the built solver as the checker does: an input file in, an output
// file out, in a directory of its own and without a controlling terminal.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "matesolver/memory.h"
#include "support/process.h"
#include "support/sfen_problem.h"

namespace {

// The output file without its two header lines (program and version; rule,
// plies and excluded move) and with
// the seconds of the time line replaced by "T"; CR LF checked and dropped.
std::string verdict(const std::string& output) {
  std::string text;
  for (size_t i = 0; i < output.size(); ++i) {
    if (output[i] == '\n') {
      EXPECT_TRUE(i > 0 && output[i - 1] == '\r') << "a line does not end in CR LF";
    }
    if (output[i] != '\r') text += output[i];
  }
  for (int header = 0; header < 2; ++header) text.erase(0, text.find('\n') + 1);
  const std::string label = "解析時間：";
  const size_t from = text.find(label);
  if (from != std::string::npos) {
    const size_t begin = from + label.size();
    const size_t end = text.find("秒", begin);
    if (end != std::string::npos) {
      text.erase(begin, end - begin);
      text.insert(text.begin() + std::ptrdiff_t(begin), 'T');
    }
  }
  return text;
}

std::string withCrLf(const std::string& text) {
  std::string out;
  for (char c : text) out += c == '\n' ? std::string("\r\n") : std::string(1, c);
  return out;
}

struct Case {
  const char* name;
  std::string input;
  std::vector<std::string> options;
  std::string expected;  // the output file as verdict() gives it
};

class Solver : public testing::Test {
 protected:
  TempDir dir;
  void SetUp() override { installProgram(MATESOLVER_BINARY, dir / "KZ.EXE"); }
  ProcessResult solve(const std::string& input, std::vector<std::string> options = {}) {
    std::remove((dir / "out.kzo").c_str());
    writeFile(dir / "in.kzi", input);
    std::vector<std::string> argv = {"./KZ.EXE", "/I" + (dir / "in.kzi"), "/O" + (dir / "out.kzo")};
    argv.insert(argv.end(), options.begin(), options.end());
    return runProcess(dir.path(), argv);
  }
  void expectVerdicts(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
      ProcessResult r = solve(c.input, c.options);
      EXPECT_EQ(r.status, 0) << c.name << "\n" << r.err;
      EXPECT_EQ(verdict(readFile(dir / "out.kzo")), c.expected) << c.name;
    }
  }
};

// The five-move example: 43歩打 同玉 41龍 53玉 62銀打.
const std::string kFive = "詰将棋 @@\n71龍24龍74桂64歩 +銀歩2,\n42玉11角 @+角金銀香歩\n";
// A one-move position with two mates: 12金打 and 22金打.
const std::string kTwoMates = "詰将棋 @@\n23と +金,\n11玉 @+\n";

TEST_F(Solver, VerdictsOfStandardProblems) {
  const std::vector<Case> cases = {
      {"stated line holds", kFive + "| 43歩打 同玉(42) 41龍(71) 53玉(43) 62銀打\n#5\n", {},
       "判定：作意どおり詰む\n解析時間：T秒 手順成立\n"},
      {"stated line over lines, no blanks", kFive + "| 43歩打同玉(42) \n41龍(71)53玉(43)62銀打\n#5\n", {},
       "判定：作意どおり詰む\n解析時間：T秒 手順成立\n"},
      {"a move that cannot be played", kFive + "| 43歩打 同玉(42) 42龍(71) 53玉(43) 62銀打\n#5\n", {},
       "判定：作意不成立　3手目 42龍(71) は指せない\n解析時間：T秒\n"},
      {"a move that does not read", kFive + "| 43歩打 同玉(42) 41飛(71) 53玉(43) 62銀打\n#5\n", {},
       "判定：作意不成立　3手目が読めない（移動元の駒が駒名と違う）\n解析時間：T秒\n"},
      {"a last move that is no check", kTwoMates + "| 13金打\n#1\n", {},
       "判定：作意不成立　1手目 13金打 が王手ではない\n解析時間：T秒\n"},
      {"CR LF lines", withCrLf(kFive + "| 43歩打 同玉(42) 41龍(71) 53玉(43) 62銀打\n#5\n"),
       {}, "判定：作意どおり詰む\n解析時間：T秒 手順成立\n"},
  };
  expectVerdicts(cases);
}

// Step checks: the position after the moves before, the move to exclude.
TEST_F(Solver, StepChecksOfStandardProblems) {
  const std::string afterTwo = "詰将棋 @@\n71龍24龍74桂64歩 +銀歩,\n43玉11角 @+角金銀香歩2\n";
  const std::string afterThree = "詰将棋 @@\n41龍24龍74桂64歩 +銀歩,\n43玉11角 @+角金銀香歩2\n";
  const std::vector<Case> cases = {
      {"first move, nothing else mates", "/EEXCEPT=43歩打\n" + kFive + "#5\n", {}, "不詰\n解析時間：T秒 全検完了\n"},
      {"attacker move after a capture", "/EEXCEPT=41龍生(71)\n" + afterTwo + "#3\n", {},
       "不詰\n解析時間：T秒 全検完了\n"},
      {"a defence as long as the stated one counts at /L0", "/EEXCEPT=53玉(43)\n" + afterThree + "#2\n", {},
       "変同：42歩打 54銀打\n解析時間：T秒\n"},
      {"and is tolerated at /L2", "/EEXCEPT=53玉(43)\n" + afterThree + "#2\n", {"/L2"},
       "変同：42歩打 54銀打\n解析時間：T秒 全検完了\n"},
      {"an alternative mate in one counts at /L0", "/EEXCEPT=12金打\n" + kTwoMates + "#1\n", {},
       "余詰：22金打\n解析時間：T秒\n"},
      {"and is the tolerated last-move alternative at /L2", "/EEXCEPT=12金打\n" + kTwoMates + "#1\n", {"/L2"},
       "最終手余詰：22金打\n解析時間：T秒 全検完了\n"},
      {"an alternative first move",
       "/EEXCEPT=53角成(62)\n詰将棋 @@\n51金82飛62角84龍 +香2,\n63玉65金 @+角金銀桂歩\n#3\n", {},
       "余詰：73角成(62) 53玉(63) 52飛成(82)\n解析時間：T秒\n"},
      {"an escape of the defender",
       "/EEXCEPT=12玉(11)\n詰将棋 @@\n21金,\n11玉 @+\n#2\n", {}, "逃れ：21玉(11)\n解析時間：T秒\n"},
  };
  expectVerdicts(cases);
}

TEST_F(Solver, Helpmates) {
  const std::string position = "ばか詰 @@\n51と +金歩,\n82玉81馬72杏94歩 @+飛角金銀桂香歩\n";
  const std::vector<Case> cases = {
      {"stated line holds", position + "| 83歩打 71玉(82) 61金打\n#3\n", {}, "判定：作意どおり詰む\n解析時間：T秒 手順成立\n"},
      {"a line that ends without mate", position + "| 83歩打 71玉(82) 62金打\n#3\n", {},
       "判定：作意不成立　最終手で詰んでいない\n解析時間：T秒\n"},
      {"no other first move", "/EEXCEPT=83歩打\n" + position + "#3\n", {}, "不詰\n解析時間：T秒 全検完了\n"},
      {"another first move when the stated one is left in", "/EEXCEPT=61金打\n" + position + "#3\n", {},
       "余詰：83歩打 71玉(82) 61金打\n解析時間：T秒\n"},
      {"協力詰 is the same rule", "/EEXCEPT=83歩打\n協力詰" + position.substr(6) + "#3\n", {},
       "不詰\n解析時間：T秒 全検完了\n"},
  };
  expectVerdicts(cases);
}

// A file with neither a stated solution nor an excluded move asks for a
// solution: the shortest mate with the longest defence (futile drops left
// out), a shortest cooperative line, or 不詰; on standard output as well.
TEST_F(Solver, SolvesAProblemGivenWithoutASolution) {
  struct Solve {
    const char* name;
    std::string input;
    std::string expected;  // the output file as verdict() gives it
  };
  const std::vector<Solve> cases = {
      {"one move", kTwoMates + "#1\n", "解：12金打\nまで1手詰\n解析時間：T秒\n"},
      // The five-move example after 43歩打 同玉.
      {"three moves", "詰将棋 @@\n71龍24龍74桂64歩 +銀歩,\n43玉11角 @+角金銀香歩2\n#3\n",
       "解：41龍(71) 53玉(43) 62銀打\nまで3手詰\n解析時間：T秒\n"},
      {"five moves", kFive + "#5\n", "解：43歩打 同玉(42) 41龍(71) 53玉(43) 62銀打\nまで5手詰\n解析時間：T秒\n"},
      {"a shorter mate than the count", kFive + "#9\n",
       "解：43歩打 同玉(42) 41龍(71) 53玉(43) 62銀打\nまで5手詰\n解析時間：T秒\n"},
      {"no mate", "詰将棋 @@\n71龍 +歩,\n42玉 @+\n#3\n", "不詰\n解析時間：T秒 全検完了\n"},
      {"helpmate", "ばか詰 @@\n51と +金歩,\n82玉81馬72杏94歩 @+飛角金銀桂香歩\n#5\n",
       "解：83歩打 71玉(82) 61金打\nまで3手詰\n解析時間：T秒\n"},
      {"selfmate", "自玉詰 @@\n84金86香98王 +銀桂,\n76圭79飛95玉 @+角銀\n#4\n",
       "解：85金(84) 96玉(95) 87銀打 同圭(76)\nまで4手詰\n解析時間：T秒\n"},
  };
  for (const Solve& c : cases) {
    ProcessResult r = solve(c.input);
    EXPECT_EQ(r.status, 0) << c.name << "\n" << r.err;
    const std::string file = verdict(readFile(dir / "out.kzo"));
    EXPECT_EQ(file, c.expected) << c.name;
    // Standard output repeats the file's lines after the header (not a
    // terminal here: the same bytes).
    std::string shown = r.out;
    const size_t seconds = shown.find("解析時間：");
    ASSERT_NE(seconds, std::string::npos) << c.name;
    EXPECT_EQ(shown.substr(0, seconds), file.substr(0, file.find("解析時間："))) << c.name;
  }
}

// Selfmates, helpselfmates and the conditions: the rule's own goal, and
// rebirths in the lines read and written.
TEST_F(Solver, FairyProblems) {
  // 85金 96玉 87銀打 同圭: the promoted knight, forced to take, mates the
  // attacker's king on 98.
  const std::string selfmate = "自玉詰 @@\n84金86香98王 +銀桂,\n76圭79飛95玉 @+角銀\n";
  const std::string afterTwo = "自玉詰 @@\n85金86香98王 +銀桂,\n76圭79飛96玉 @+角銀\n";
  const std::string circe = "キルケばか詰 @@\n42歩63王82角,\n81玉\n";
  const std::vector<Case> cases = {
      {"selfmate holds", selfmate + "| 85金(84) 96玉(95) 87銀打 同圭(76)\n#4\n", {},
       "判定：作意どおり詰む\n解析時間：T秒 手順成立\n"},
      {"selfmate: the defender's last move need not mate", selfmate + "| 85金(84) 96玉(95) 87銀打 97玉(96)\n#4\n", {},
       "判定：作意不成立　4手目 97玉(96) は指せない\n解析時間：T秒\n"},
      {"selfmate: no other check at move 3", "/EEXCEPT=87銀打\n" + afterTwo + "#2\n", {},
       "不詰\n解析時間：T秒 全検完了\n"},
      {"selfmate: no other defence at move 2", "/EEXCEPT=96玉(95)\n" + selfmate.substr(0, selfmate.find('\n') + 1) +
       "85金86香98王 +銀桂,\n76圭79飛95玉 @+角銀\n#3\n", {}, "不詰\n解析時間：T秒 全検完了\n"},
      // 12金打 and 22金打 mate the defender at once, which ends the line
      // without a selfmate; 21金打 is taken for nothing.
      {"selfmate: a check that mates is no way forward", "/EEXCEPT=21金打\n自玉詰 @@\n23銀99王 +金,\n11玉 @+\n#2\n", {},
       "不詰\n解析時間：T秒 全検完了\n"},
      {"helpselfmate holds", "協力" + selfmate + "| 85金(84) 96玉(95) 87銀打 同圭(76)\n#4\n", {},
       "判定：作意どおり詰む\n解析時間：T秒 手順成立\n"},
      {"helpselfmate: a last move that does not mate",
       "ばか自殺詰" + selfmate.substr(std::string("自玉詰").size()) + "| 85金(84) 96玉(95)\n#2\n", {},
       "判定：作意不成立　最終手で詰んでいない\n解析時間：T秒\n"},
      {"Circe helpmate with its rebirth written", circe + "| 71角成(82) 同玉(81)/88角 44角(88) 61玉(71) 62角成(44)\n#5\n",
       {}, "判定：作意どおり詰む\n解析時間：T秒 手順成立\n"},
      {"Circe: a capture without its rebirth is no move", circe + "| 71角成(82) 同玉(81) 44角(88) 61玉(71) 62角成(44)\n#5\n",
       {}, "判定：作意不成立　2手目が読めない（キルケ移動先がない）\n解析時間：T秒\n"},
      // The rook takes the gold on 12 either way; the gold is reborn on 41.
      {"Circe: an alternative written with its rebirth", "/EEXCEPT=12飛成(19)\nキルケ詰将棋 @@\n19飛23銀32金,\n11玉12金\n#1\n",
       {}, "余詰：12飛生(19)/41金\n解析時間：T秒\n"},
      {"queen king flies across the board", "クイーン王詰将棋 @@\n32銀54銀68香71飛73飛86Ｑ +香,\n52Ｑ74歩96香\n"
       "| 43飛成(73) 92Ｑ(52) 93香打\n#3\n", {}, "判定：作意どおり詰む\n解析時間：T秒 手順成立\n"},
  };
  expectVerdicts(cases);
}

// Whole checks of stated lines that cannot be a solution, whatever the
// solver finds: each names its fault and never holds.
TEST_F(Solver, DegenerateStatedLinesNeverHold) {
  const std::string helpmate = "ばか詰 @@\n51と +金歩,\n82玉81馬72杏94歩 @+飛角金銀桂香歩\n";
  const std::vector<Case> cases = {
      {"no moves", kFive + "| \n#0\n", {}, "判定：作意不成立　初形が詰みではない（手数 0）\n解析時間：T秒\n"},
      {"no moves, helpmate", helpmate + "| \n#0\n", {}, "判定：作意不成立　初形が詰みではない（手数 0）\n解析時間：T秒\n"},
      {"no moves, selfmate: the defender never moves", "自玉詰 @@\n84金86香98王 +銀桂,\n76圭79飛95玉 @+角銀\n| \n#0\n",
       {}, "判定：作意不成立　初形が詰みではない（手数 0）\n解析時間：T秒\n"},
      {"fewer moves than the count", kFive + "| 43歩打 同玉(42) 41龍(71)\n#5\n", {},
       "判定：作意不成立　作意が3手で終わっている（手数 5）\n解析時間：T秒\n"},
      {"more moves than the count", kFive + "| 43歩打 同玉(42) 41龍(71) 53玉(43) 62銀打\n#3\n", {},
       "判定：作意不成立　手数 3 の後にも手が続く（4手目 53玉(43)）\n解析時間：T秒\n"},
      {"a remark after the last move is no move", kFive + "| 43歩打 同玉(42) 41龍(71) 53玉(43) 62銀打まで5手\n#5\n", {},
       "判定：作意どおり詰む\n解析時間：T秒 手順成立\n"},
      {"a line that goes on after the mate",
       kFive + "| 43歩打 同玉(42) 41龍(71) 53玉(43) 62銀打 64玉(53) 63金打\n#7\n", {},
       "判定：作意不成立　5手目で詰んでいる（6手目 64玉(53) は指せない）\n解析時間：T秒\n"},
      {"the attacker's first move where the count makes the defender begin",
       kFive + "| 43歩打 同玉(42) 41龍(71) 53玉(43)\n#4\n", {},
       "判定：作意不成立　手数 4 では受方から指すが、1手目 43歩打 は攻方の手\n解析時間：T秒\n"},
      {"a line that comes back to a position",
       kFive + "| 43歩打 同玉(42) 41龍(71) 53玉(43) 51龍(41) 43玉(53) 41龍(51) 53玉(43) 62銀打\n#9\n", {},
       "判定：作意不成立　7手目で3手目の後と同じ局面に戻る\n解析時間：T秒\n"},
      {"a helpmate line that comes back to a position",
       "ばか詰" + kFive.substr(std::string("詰将棋").size()) +
           "| 43歩打 同玉(42) 41龍(71) 53玉(43) 51龍(41) 43玉(53) 41龍(51) 53玉(43) 62銀打\n#9\n",
       {}, "判定：作意不成立　7手目で3手目の後と同じ局面に戻る\n解析時間：T秒\n"},
      {"a legal attacker move that is no check", kFive + "| 43歩打 同玉(42) 51龍(71) 53玉(43) 62銀打\n#5\n", {},
       "判定：作意不成立　3手目 51龍(71) が王手ではない\n解析時間：T秒\n"},
      {"a drop of a piece not in hand", kFive + "| 43金打 同玉(42) 41龍(71) 53玉(43) 62銀打\n#5\n", {},
       "判定：作意不成立　1手目 43金打 は持駒にない駒を打つ\n解析時間：T秒\n"},
  };
  expectVerdicts(cases);
}

// A line that comes back to the position of the check, then plays the
// excluded move, is a detour and no alternative; in each of these the
// excluded move mates at once and the detour fits the count.
TEST_F(Solver, DetoursAreNoAlternatives) {
  const std::vector<Case> cases = {
      // 81龍 62玉 82龍 61玉, then 52桂成.
      {"four plies", "/EEXCEPT=52桂成(44)\n詰将棋 @@\n82龍44桂,\n61玉 @+飛角金銀桂香歩\n#5\n", {},
       "不詰\n解析時間：T秒 全検完了\n"},
      // 64角打 73角打 同角成 93玉 82馬 同玉: the defender's drop taken
      // and the horse given back, hands as before.
      {"six plies through an interposition taken back", "/EEXCEPT=73角打\n詰将棋 @@\n63金81銀83桂 +角金2,\n82玉 @+飛角金銀桂香歩\n#9\n",
       {}, "不詰\n解析時間：T秒 全検完了\n"},
      // 25龍 13玉 22龍 14玉, then 26桂打.
      {"helpmate", "/EEXCEPT=26桂打\nばか詰 @@\n22龍 +桂2歩,\n14玉15香 @+角金銀桂香歩\n#5\n", {},
       "不詰\n解析時間：T秒 全検完了\n"},
      // 将棋図巧 第82番, move 3: 62馬 takes the pawn on 62 before the horse
      // comes back, so the position is not the same and the shorter mate
      // counts. The line leaves out 73桂打, a futile drop.
      {"a way round that wins a pawn",
       "/EEXCEPT=52飛成(22)\n詰将棋 @@\n22飛43と44馬71と76歩78香84角,\n51香52金62歩63玉64龍65香83香86歩93歩\n#19\n", {},
       "余詰：62馬(44) 54玉(63) 44馬(62) 63玉(54) 52飛成(22) 74玉(63) 75金打 同龍(64) 72龍(52) 85玉(74) 75龍(72) "
       "96玉(85) 95龍(75) 87玉(96) 77馬(44)\n解析時間：T秒\n"},
  };
  expectVerdicts(cases);
}

// At /L2 the excluded move's own idea played another way (非限定) is
// reported and tolerated; at /L0 it counts. It never hides an alternative
// that is not tolerated.
TEST_F(Solver, IdeaPlayedAnotherWay) {
  // 将棋図巧 第85番, move 7 (43飛成(44)), and 第48番, move 23 (73角打).
  const std::string promotion = "/EEXCEPT=43飛成(44)\n詰将棋 @@\n35銀41銀44飛56桂 +歩飛,\n23馬33歩42桂51桂53玉54角62金63歩\n#9\n";
  const std::string promotionLine = "43飛生(44) 同玉(53) 53飛打 同金(62) 44歩打 同金(53) 同銀(35) 34玉(43) 35金打";
  const std::string distance = "/EEXCEPT=73角打\n詰将棋 @@\n17銀 +角,\n14桂19玉39と47香57と\n#3\n";
  const std::string both = "/EEXCEPT=71飛成(74)\n詰将棋 @@\n74飛93金 +香歩2,\n91玉 @+飛角金銀香歩\n#3\n";
  const std::vector<Case> cases = {
      {"the other promotion", promotion, {"/L2"}, "非限定：" + promotionLine + "\n解析時間：T秒 全検完了\n"},
      {"the other promotion counts at /L0", promotion, {}, "余詰：" + promotionLine + "\n解析時間：T秒\n"},
      {"another square of the same line", distance, {"/L2"}, "非限定：82角打 29玉(19) 28角成(82)\n解析時間：T秒 全検完了\n"},
      {"another square counts at /L0", distance, {}, "余詰：82角打 29玉(19) 28角成(82)\n解析時間：T秒\n"},
      {"an untolerated alternative beside a tolerated one", both, {"/L2"}, "余詰：92歩打 81玉(91) 82香打\n解析時間：T秒\n"},
  };
  expectVerdicts(cases);
}

// A drop the king or another defender can answer by taking the capturer
// back is no futile drop. 将棋無双 第25番 with its recorded line: 45香打
// after 35龍 is taken back by the king, and the defence is longer.
TEST_F(Solver, DropTakenBackIsARealDefence) {
  std::string error;
  const std::string input = sfen_problem::wholeCheck(
      "4n4/1s3p+R+b1/2Pgk2l1/3sp1S2/3p2p2/6P2/3+l5/4N4/9 b RBSN3gn2l12p 1",
      {"R*4c", "4b4c", "S*4d", "5c4d", "3d4e", "4d5c", "4e4d", "5c4d", "B*5c", "4d5c", "N*4e", "5c4d", "3b3e", "4d5e",
       "P*5f", "5e5f", "3e4f"},
      "詰将棋", &error);
  ASSERT_FALSE(input.empty()) << error;
  expectVerdicts({{"musou-025", input, {},
                   "判定：作意不成立　9手目の後 変長 55玉(44) 35龍(32) 45香打 同龍(35) 同玉(55) 35角成(53) 55玉(45) "
                   "56歩打 同玉(55) 46馬(35)\n解析時間：T秒\n"}});
}

TEST_F(Solver, TimeLimitInterrupts) {
  // 将棋図巧 第1番 (69 plies): far beyond one second.
  std::string error;
  const std::string input = sfen_problem::openStepCheck(
      "1pG1B4/Gs+P6/pP7/n1ls5/3k5/nL4+r1b/1+p1p+R4/1S7/2N6 b SP2gn2l11p 1", 69, "詰将棋", &error);
  ASSERT_FALSE(input.empty()) << error;
  ProcessResult r = solve(input, {"/T1"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(verdict(readFile(dir / "out.kzo")), "中断\n解析時間：T秒\n");
}

TEST_F(Solver, InterruptSignalEndsTheSearchWithItsVerdict) {
  std::string error;
  const std::string input = sfen_problem::openStepCheck(
      "1pG1B4/Gs+P6/pP7/n1ls5/3k5/nL4+r1b/1+p1p+R4/1S7/2N6 b SP2gn2l11p 1", 69, "詰将棋", &error);
  ASSERT_FALSE(input.empty()) << error;
  writeFile(dir / "in.kzi", input);
  // Ctrl-C at the console: the solver stops and still writes its output.
  ProcessResult r = runProcess(dir.path(), {"/bin/sh", "-c",
                                            "./KZ.EXE /Iin.kzi /Oout.kzo & pid=$!; sleep 1; kill -INT $pid; "
                                            "wait $pid; echo status $?"});
  EXPECT_EQ(r.out, "status 0\n") << r.err;
  EXPECT_EQ(verdict(readFile(dir / "out.kzo")), "中断\n解析時間：T秒\n");
}

// Anything the solver cannot honour: exit status 2, a message, no output.
TEST_F(Solver, RefusesWhatItCannotDo) {
  struct Refusal {
    const char* name;
    std::string input;
    std::vector<std::string> options;
    std::string message;  // a part of standard error
  };
  const std::vector<Refusal> cases = {
      {"unknown option", kTwoMates + "| 12金打\n#1\n", {"/X"}, "unknown or malformed option \"/X\""},
      {"time limit not a number", kTwoMates + "| 12金打\n#1\n", {"/Tx"}, "\"/Tx\""},
      {"leaping king", "/EEXCEPT=12金打\n跳王詰将棋 @@\n23と +金,\n11跳 @+\n#1\n", {}, "line 2: not supported: 跳王"},
      {"running king", "/EEXCEPT=12金打\n駆王ばか詰 @@\n23と +金,\n11駆 @+\n#1\n", {}, "line 2: not supported: 駆王"},
      {"different kings of no fairy king", "/EEXCEPT=12金打\n異王（飛／玉）詰将棋 @@\n23と +金,\n11玉 @+\n#1\n", {},
       "line 2: not supported: the king symbol 飛"},
      {"different kings of the leaping king", "/EEXCEPT=12金打\n異王（跳／玉）詰将棋 @@\n23と +金,\n11玉 @+\n#1\n",
       {}, "line 2: not supported: the king 跳"},
      {"different kings without ／", "/EEXCEPT=12金打\n異王（Ｑ）詰将棋 @@\n23と +金,\n11玉 @+\n#1\n", {}, "異王"},
      {"unknown condition", "/EEXCEPT=12金打\nマドラシ詰将棋 @@\n23と +金,\n11玉 @+\n#1\n", {}, "line 2: unknown rule"},
      {"selfmate without the attacker's king", "/EEXCEPT=12金打\n自玉詰 @@\n23と +金,\n11玉 @+\n#2\n", {},
       "the attacker has no king"},
      {"a fairy piece", "/EFP=xyz:Ｘ\n詰将棋 @@\n23と +金,\n11玉 @+\n#1\n", {}, "line 1: fairy pieces"},
      {"unknown rule", "/EEXCEPT=12金打\n詰め物 @@\n23と +金,\n11玉 @+\n#1\n", {}, "line 2: unknown rule"},
      {"no \" @@\"", "/EEXCEPT=12金打\n詰将棋\n23と +金,\n11玉 @+\n#1\n", {}, "line 2:"},
      {"attacker line without comma", "/EEXCEPT=12金打\n詰将棋 @@\n23と +金\n11玉 @+\n#1\n", {}, "line 3:"},
      {"square off the board", "/EEXCEPT=12金打\n詰将棋 @@\n20と +金,\n11玉 @+\n#1\n", {}, "line 3:"},
      {"no defender's king", "/EEXCEPT=12金打\n詰将棋 @@\n23と +金,\n11歩 @+\n#1\n", {}, "the defender has no king"},
      {"no number of plies", "/EEXCEPT=12金打\n詰将棋 @@\n23と +金,\n11玉 @+\n", {}, "#n"},
      {"plies not a number", "/EEXCEPT=12金打\n詰将棋 @@\n23と +金,\n11玉 @+\n#x\n", {}, "line 5:"},
      {"excluded move unreadable", "/EEXCEPT=12金\n詰将棋 @@\n23と +金,\n11玉 @+\n#1\n", {}, "/EEXCEPT=12金"},
      {"empty file", "", {}, "line"},
  };
  for (const Refusal& c : cases) {
    ProcessResult r = solve(c.input, c.options);
    EXPECT_EQ(r.status, 2) << c.name;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << c.name << ": " << r.err;
    EXPECT_FALSE(fileExists(dir / "out.kzo")) << c.name;
  }
  ProcessResult r = runProcess(dir.path(), {"./KZ.EXE", "/I" + (dir / "missing.kzi"), "/O" + (dir / "out.kzo")});
  EXPECT_EQ(r.status, 2);
  EXPECT_FALSE(fileExists(dir / "out.kzo"));
}

// Input and options at the solver's limits, as a hostile or careless user
// may give them: a clear refusal (exit status 2, a short message, no output
// file) or an answer.
TEST_F(Solver, LimitsHoldUnderHostileInput) {
  const std::string stated = kFive + "| 43歩打 同玉(42) 41龍(71) 53玉(43) 62銀打\n";
  std::string tenMegabytes;
  while (tenMegabytes.size() < 10u << 20) tenMegabytes += "12歩打 12歩打 12歩打 12歩打 12歩打 12歩打\n";
  // A helpmate line that checks for ever: the rook between files 1 rank 5
  // and rank 4, the king between 55 and 54; 100 000 moves.
  std::string endless = "| 15飛(19)";
  for (int i = 1; i < 100000; ++i) {
    const char* const cycle[] = {" 54玉(55)", " 14飛(15)", " 55玉(54)", " 15飛(14)"};
    endless += cycle[(i - 1) % 4];
  }
  const std::string rook = "ばか詰 @@\n19飛 +金,\n55玉 @+\n" + endless + "\n";
  const std::string beyondMemory = "/H" + std::to_string(matesolver::largestTableMegabytes() + 1);
  struct Limit {
    const char* name;
    std::string input;
    std::vector<std::string> options;
    int status;
    std::string expected;  // status 0: the output file as verdict() gives it; 2: a part of standard error
  };
  const std::vector<Limit> cases = {
      {"10 MB of moves after the stated line", stated + tenMegabytes + "#5\n", {}, 0,
       "判定：作意不成立　手数 5 の後にも手が続く（6手目 12歩打）\n解析時間：T秒\n"},
      {"a 10 MB attacker's line", "詰将棋 @@\n" + std::string(10u << 20, 'x') + ",\n42玉 @+\n#5\n", {}, 2,
       "line 2: square expected at \"" + std::string(40, 'x') + "...\""},
      {"a stated line of 100 000 moves, 9999 counted", rook + "#9999\n", {}, 0,
       "判定：作意不成立　5手目で1手目の後と同じ局面に戻る\n解析時間：T秒\n"},
      {"a stated line of 100 000 moves, all counted", rook + "#100000\n", {}, 2,
       "line 5: the number of plies #100000 is more than 9999"},
      {"plies at the 32-bit limit", kTwoMates + "#2147483647\n", {}, 2, "the number of plies #2147483647 is more than 9999"},
      {"plies past it", kTwoMates + "#2147483648\n", {}, 2, "the number of plies #2147483648 is more than 9999"},
      {"plies past 64 bits", kTwoMates + "#99999999999999999999\n", {}, 2, "is more than 9999"},
      {"negative plies", kTwoMates + "#-1\n", {}, 2, "the number of plies is not a number: \"#-1\""},
      {"the most plies, with leading zeros", kTwoMates + "#0009999\n", {}, 0, "解：12金打\nまで1手詰\n解析時間：T秒\n"},
      {"no table", kTwoMates + "#1\n", {"/H0"}, 2, "/H0: the table needs 1 MiB or more"},
      {"a table larger than the machine's memory", kTwoMates + "#1\n", {beyondMemory}, 2,
       beyondMemory + ": more than this machine's memory"},
      {"a table of a petabyte", kTwoMates + "#1\n", {"/H999999999"}, 2, "/H999999999: more than this machine's memory"},
      {"the smallest table", kTwoMates + "#1\n", {"/H1"}, 0, "解：12金打\nまで1手詰\n解析時間：T秒\n"},
      {"no time", kTwoMates + "#1\n", {"/T0"}, 2, "/T0: a time limit is 1 second or more"},
  };
  for (const Limit& c : cases) {
    ProcessResult r = solve(c.input, c.options);
    EXPECT_EQ(r.status, c.status) << c.name << "\n" << r.err;
    if (c.status == 0) {
      EXPECT_EQ(verdict(readFile(dir / "out.kzo")), c.expected) << c.name;
    } else {
      EXPECT_NE(r.err.find(c.expected), std::string::npos) << c.name << ": " << r.err;
      EXPECT_LT(r.err.size(), 200u) << c.name;
      EXPECT_FALSE(fileExists(dir / "out.kzo")) << c.name;
    }
  }
}

// The checker with our solver on the bundled examples, as the README runs it.
}  // namespace
