#include "matesolver/input.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

#include "common/cp932.h"
#include "common/piece_names.h"
#include "shogi/movegen.h"

namespace matesolver {

using namespace shogi;

namespace {

// Rule words, longest first, with the rule each names.
struct RuleWord {
  const char* word;
  Rule rule;
};
const RuleWord kRuleWords[] = {
    {"協力自玉詰", Rule::Helpselfmate}, {"ばか自殺詰", Rule::Helpselfmate}, {"自玉詰", Rule::Selfmate},
    {"自殺詰", Rule::Selfmate},         {"ばか詰", Rule::Helpmate},         {"協力詰", Rule::Helpmate},
    {"詰将棋", Rule::Standard},
};

// Fairy kings 1 to 12 of the table move as these types; the last two have
// no published move.
constexpr int kPlayedFairyKings = 12;
PieceType fairyKingType(int row) { return PieceType(QUEEN_KING + row); }

// Text that only separates conditions.
const char* const kSeparators[] = {" ", "　", "・", "、", "，", "+", "＋"};

struct Lines {
  std::vector<std::string> lines;
  size_t at = 0;
  bool more() const { return at < lines.size(); }
  const std::string& peek() const { return lines[at]; }
  std::string take() { return lines[at++]; }
  int number() const { return int(at); }  // 1-based number of the line last taken
};

std::string lineMessage(int number, const std::string& what) {
  return "line " + std::to_string(number) + ": " + what;
}

bool isSquareDigit(char c) { return c >= '1' && c <= '9'; }

// Input quoted in a message: at most 40 bytes, cut on a character boundary,
// "..." where it was cut (a line may be megabytes long).
std::string quoted(const std::string& text) {
  constexpr size_t kLongest = 40;
  const size_t n = cp932::fittingLength(text.c_str(), text.size(), kLongest);
  return n < text.size() ? text.substr(0, n) + "..." : text;
}

// Board groups: two digits and a piece name each.
bool placePieces(Position& pos, const std::string& text, Color color, Names& names, std::string* why) {
  const char* p = text.c_str();
  while (*p != '\0') {
    if (!isSquareDigit(p[0]) || !isSquareDigit(p[1])) {
      *why = "square expected at \"" + quoted(p) + "\"";
      return false;
    }
    const Square s = square(p[0] - '0', p[1] - '0');
    const PieceType t = typeOfName(p + 2, names);
    if (t == NO_PIECE_TYPE) {
      *why = "unknown piece at \"" + quoted(p) + "\"";
      return false;
    }
    if (pos.at(s) != EMPTY) {
      *why = "two pieces on square " + std::string(p, 2);
      return false;
    }
    if (pieceRules[t].royal) {
      if (pos.kingSquare(color) != NO_SQUARE) {
        *why = "two kings of one side";
        return false;
      }
      names.kingNames[color] = std::string(p + 2, 2);
    }
    pos.put(s, makePiece(color, t));
    p += 4;
  }
  return true;
}

// Hand entries: a name of a kind 1 to 7 and an optional count of one or
// two digits.
bool fillHand(Position& pos, const std::string& text, Color color, std::string* why) {
  const char* p = text.c_str();
  while (*p != '\0') {
    const PieceType t = typeOfName(p, Names{});
    if (t < PAWN || t > ROOK) {
      *why = "not a piece for the hand at \"" + quoted(p) + "\"";
      return false;
    }
    p += 2;
    int count = 1;
    if (cp932::isAsciiDigit(static_cast<unsigned char>(*p))) {
      count = *p++ - '0';
      if (cp932::isAsciiDigit(static_cast<unsigned char>(*p))) count = count * 10 + (*p++ - '0');
    }
    if (count > pieces::fullSet[t]) {
      *why = "more pieces in hand than the set has";
      return false;
    }
    pos.setHand(color, t, count);
  }
  return true;
}

// Pieces of each kind 1 to 7 on the board and in the attacker's hand.
void tally(const Position& pos, int counts[8]) {
  for (int i = 0; i < 8; ++i) counts[i] = 0;
  for (int file = 1; file <= 9; ++file) {
    for (int rank = 1; rank <= 9; ++rank) {
      const Piece p = pos.at(square(file, rank));
      if (p == EMPTY) continue;
      const PieceType kind = pieceRules[typeOf(p)].handType;
      if (kind != NO_PIECE_TYPE) ++counts[kind];
    }
  }
  for (int t = PAWN; t <= ROOK; ++t) counts[t] += pos.hand(BLACK, PieceType(t));
}

bool checkPosition(Position& pos, Rule rule, std::string* why) {
  // Under PWC a swap may leave two pawns on a file or a piece without a
  // move, and the checks of a problem start from such positions too.
  for (Color c : {BLACK, WHITE}) {
    if (pos.rebirth() == Rebirth::PWC) break;
    for (int file = 1; file <= 9; ++file) {
      int pawns = 0;
      for (int rank = 1; rank <= 9; ++rank) {
        const Piece p = pos.at(square(file, rank));
        if (p == EMPTY || colorOf(p) != c) continue;
        if (typeOf(p) == PAWN) ++pawns;
        if (relativeRank(c, rank) <= pieceRules[typeOf(p)].deadRanks) {
          *why = "a piece that could never move again on square " + std::to_string(file * 10 + rank);
          return false;
        }
      }
      if (pawns > 1) {
        *why = "two pawns of one side on file " + std::to_string(file);
        return false;
      }
    }
  }
  int counts[8];
  tally(pos, counts);
  for (int t = PAWN; t <= ROOK; ++t) {
    if (counts[t] + pos.hand(WHITE, PieceType(t)) > pieces::fullSet[t]) {
      *why = "more pieces of one kind than the set has";
      return false;
    }
  }
  if (pos.kingSquare(WHITE) == NO_SQUARE) {
    *why = "the defender has no king";
    return false;
  }
  if (isSelfmateRule(rule) && pos.kingSquare(BLACK) == NO_SQUARE) {
    *why = "the attacker has no king (a selfmate needs one)";
    return false;
  }
  if (pos.inCheck(~pos.sideToMove())) {
    *why = "the side that is not to move is in check";
    return false;
  }
  return true;
}

bool endsWith(const std::string& s, const std::string& suffix) {
  return s.size() >= suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

bool onlySpace(const char* p) {
  while (cp932::isAsciiSpace(static_cast<unsigned char>(*p))) ++p;
  return *p == '\0';
}

// Reads up to `plies` moves of a stated line from the side to move on, each
// one legal where it stands; `pos` is left as it was. Fewer moves come back
// when one cannot be read or played, and *why says why; it also says so
// when a further move follows the last one counted.
std::vector<Move> readStatedMoves(Position& pos, const std::string& text, int plies, const Names& names,
                                  std::string* why) {
  std::vector<Move> moves;
  const char* cursor = text.c_str();
  Square previous = NO_SQUARE;
  const std::string count = "（手数 " + std::to_string(plies) + "）";
  while (static_cast<int>(moves.size()) < plies) {
    const int ply = static_cast<int>(moves.size()) + 1;
    std::string error;
    const Move m = parseMove(pos, cursor, previous, &error, names);
    if (m.isNull()) {
      if (!onlySpace(cursor)) {
        *why = plyText(ply) + "が読めない（" + error + "）";
      } else if (ply == 1) {
        *why = "作意に手がない" + count;
      } else {
        *why = "作意が" + std::to_string(ply - 1) + "手で終わっている" + count;
      }
      break;
    }
    MoveList legal;
    generateLegal(pos, legal);
    if (std::find(legal.begin(), legal.end(), m) == legal.end()) {
      const std::string written = plyText(ply) + " " + formatMove(pos, m, previous, names);
      if (legal.size == 0 && pos.inCheck()) {
        *why = (ply == 1 ? std::string("初形") : plyText(ply - 1)) + "で詰んでいる（" + written + " は指せない）";
      } else if (m.isDrop() && pos.hand(pos.sideToMove(), m.dropped()) == 0) {
        *why = written + " は持駒にない駒を打つ";
      } else {
        *why = written + " は指せない";
      }
      break;
    }
    moves.push_back(m);
    pos.doMove(m);
    previous = m.to();
  }
  if (static_cast<int>(moves.size()) == plies && !onlySpace(cursor)) {
    // A further move (of either side) after the last one counted; other
    // text, such as a closing remark, is left alone.
    Move next = parseMove(pos, cursor, previous, nullptr, names, false);
    const bool otherSide = next.isNull();
    if (otherSide) {
      pos.doNullMove();
      next = parseMove(pos, cursor, previous, nullptr, names, false);
    }
    if (!next.isNull()) {
      *why = "手数 " + std::to_string(plies) + " の後にも手が続く（" + plyText(plies + 1) + " " +
             formatMove(pos, next, previous, names) + "）";
    }
    if (otherSide) pos.undoNullMove();
  }
  for (size_t i = moves.size(); i-- > 0;) pos.undoMove(moves[i]);
  return moves;
}

}  // namespace

bool parseRuleText(const std::string& text, Rule& rule, Rebirth& rebirth, Names& names, std::string* error) {
  std::string conditions = text;
  rule = Rule::Standard;
  for (const RuleWord& w : kRuleWords) {
    if (endsWith(conditions, w.word)) {
      rule = w.rule;
      conditions.erase(conditions.size() - std::strlen(w.word));
      break;
    }
  }
  // The conditions, one after another. Where two of a kind are named, the
  // checker's order decides: Anti-Circe before Circe before PWC, 異王 before
  // the fairy kings, an earlier fairy king before a later one.
  bool anti = false, circe = false, pwc = false;
  int fairyRow = -1;
  std::string differentKings[2];
  const char* p = conditions.c_str();
  auto take = [&](const char* word) {
    if (!cp932::startsWith(p, word)) return false;
    p += std::strlen(word);
    return true;
  };
  while (*p != '\0') {
    if (take("なし") || take("PWC") || take("アンチキルケ") || take("キルケ")) continue;
    bool separator = false;
    for (const char* sep : kSeparators) separator = separator || take(sep);
    if (separator) continue;
    if (take("異王（")) {
      // Two king symbols: 王 / 玉, or the symbol of a fairy king.
      for (int side = 0; side < 2; ++side) {
        if (p[0] == '\0' || p[1] == '\0') {
          *error = "条件「異王」が解析できません: " + quoted(text);
          return false;
        }
        differentKings[side] = std::string(p, 2);
        p += 2;
        if (side == 0 && !take("／")) {
          *error = "条件「異王」が解析できません: " + quoted(text);
          return false;
        }
      }
      take("）");
      continue;
    }
    int row = -1;
    for (int i = 0; i < pieces::kFairyKingCount && row < 0; ++i) {
      if (take(pieces::fairyKings[i].condition)) row = i;
    }
    if (row < 0) {
      *error = "unknown rule or condition: " + quoted(text);
      return false;
    }
    if (row >= kPlayedFairyKings) {
      *error = std::string("not supported: ") + pieces::fairyKings[row].condition + " (its move is not defined)";
      return false;
    }
    if (fairyRow < 0 || row < fairyRow) fairyRow = row;
  }
  // Which condition was named is read back from the text.
  anti = conditions.find("アンチキルケ") != std::string::npos;
  circe = conditions.find("キルケ") != std::string::npos;
  pwc = conditions.find("PWC") != std::string::npos;
  rebirth = anti ? Rebirth::ANTI_CIRCE : circe ? Rebirth::CIRCE : pwc ? Rebirth::PWC : Rebirth::NONE;

  names = Names{};
  if (!differentKings[0].empty()) {
    // Each symbol gives the king written with it its move; 王 and 玉 keep
    // the king's.
    for (const std::string& symbol : differentKings) {
      PieceType t = NO_PIECE_TYPE;
      if (symbol == "王" || symbol == "玉") t = KING;
      for (int i = 0; i < pieces::kFairyKingCount && t == NO_PIECE_TYPE; ++i) {
        if (symbol != pieces::fairyKings[i].symbol) continue;
        if (i >= kPlayedFairyKings) {
          *error = "not supported: the king " + symbol + " of 異王 (its move is not defined)";
          return false;
        }
        t = fairyKingType(i);
      }
      if (t == NO_PIECE_TYPE) {
        *error = "not supported: the king symbol " + symbol + " of 異王 names no fairy king";
        return false;
      }
      names.kings.insert(names.kings.begin(), {symbol, t});
    }
  } else if (fairyRow >= 0) {
    // Every king moves as the fairy king, whatever symbol it is written with.
    const PieceType t = fairyKingType(fairyRow);
    names.kings = {{pieces::fairyKings[fairyRow].symbol, t}, {"王", t}, {"玉", t}};
    names.kingNames[BLACK] = names.kingNames[WHITE] = pieces::fairyKings[fairyRow].symbol;
  }
  return true;
}

bool parseCheckInput(const std::string& text, CheckInput& input, std::string* error) {
  Lines lines;
  std::string line;
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || text[i] == '\n') {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (i < text.size() || !line.empty()) lines.lines.push_back(line);
      line.clear();
    } else {
      line += text[i];
    }
  }
  auto fail = [&](const std::string& what) {
    *error = lineMessage(lines.number(), what);
    return false;
  };

  if (lines.more() && cp932::startsWith(lines.peek().c_str(), "/EFP=")) {
    lines.take();
    return fail("fairy pieces (/EFP=) are not supported yet");
  }
  std::string excludedText;
  if (lines.more() && cp932::startsWith(lines.peek().c_str(), "/EEXCEPT=")) {
    excludedText = lines.take().substr(9);
    input.stepCheck = true;
  }

  if (!lines.more()) return fail("the conditions and rule line is missing");
  std::string ruleLine = lines.take();
  if (!endsWith(ruleLine, " @@")) return fail("the conditions and rule line does not end in \" @@\"");
  input.ruleText = ruleLine.substr(0, ruleLine.size() - 3);
  Rebirth rebirth = Rebirth::NONE;
  {
    std::string why;
    if (!parseRuleText(input.ruleText, input.rule, rebirth, input.names, &why)) return fail(why);
  }

  Position& pos = input.position;
  pos.clear();
  pos.setRebirth(rebirth);
  if (!lines.more()) return fail("the attacker's line is missing");
  std::string attacker = lines.take();
  if (attacker.empty() || attacker.back() != ',') return fail("the attacker's line does not end in \",\"");
  attacker.pop_back();
  std::string attackerHand;
  if (size_t plus = attacker.find(" +"); plus != std::string::npos) {
    attackerHand = attacker.substr(plus + 2);
    attacker.erase(plus);
  }
  std::string why;
  if (!placePieces(pos, attacker, BLACK, input.names, &why) || !fillHand(pos, attackerHand, BLACK, &why)) {
    return fail(why);
  }

  if (!lines.more()) return fail("the defender's line is missing");
  std::string defender = lines.take();
  bool handGiven = false;
  std::string defenderHand;
  if (size_t at = defender.find(" @+"); at != std::string::npos) {
    handGiven = true;
    defenderHand = defender.substr(at + 3);
    defender.erase(at);
  }
  if (!placePieces(pos, defender, WHITE, input.names, &why)) return fail(why);
  if (handGiven) {
    if (!fillHand(pos, defenderHand, WHITE, &why)) return fail(why);
  } else {
    int counts[8];
    tally(pos, counts);
    for (int t = PAWN; t <= ROOK; ++t) {
      const int rest = pieces::fullSet[t] - counts[t];
      pos.setHand(WHITE, PieceType(t), rest > 0 ? rest : 0);
    }
  }

  std::string solution;
  bool solutionLines = false;
  while (lines.more() && !cp932::startsWith(lines.peek().c_str(), "#")) {
    std::string l = lines.take();
    if (!solutionLines) {
      if (!cp932::startsWith(l.c_str(), "| ")) return fail("a solution line must start with \"| \"");
      l.erase(0, 2);
      solutionLines = true;
    }
    solution += l + " ";
  }
  if (!lines.more()) return fail("the line with the number of plies (#n) is missing");
  const std::string count = lines.take().substr(1);
  if (count.empty() || count.find_first_not_of("0123456789") != std::string::npos) {
    return fail("the number of plies is not a number: \"#" + quoted(count) + "\"");
  }
  const size_t significant = std::min(count.find_first_not_of('0'), count.size() - 1);
  if (count.size() - significant > 4) {
    return fail("the number of plies #" + quoted(count) + " is more than " + std::to_string(kMostPlies));
  }
  input.plies = std::stoi(count.substr(significant));
  if (solutionLines && input.stepCheck) return fail("a step check has no solution lines");
  input.solveRequest = !solutionLines && !input.stepCheck;

  // The last ply is the attacker's (the defender's in selfmates); the sides
  // alternate back from it.
  const bool lastIsAttackers = !isSelfmateRule(input.rule);
  pos.setSideToMove((input.plies % 2 == 1) == lastIsAttackers ? BLACK : WHITE);
  if (!checkPosition(pos, input.rule, &why)) {
    *error = "position: " + why;
    return false;
  }

  if (input.solveRequest) return true;
  if (input.stepCheck) {
    const char* cursor = excludedText.c_str();
    // The excluded move carries no rebirth: every rebirth choice of it is
    // excluded.
    input.excluded = parseMove(pos, cursor, NO_SQUARE, &why, input.names, false);
    if (input.excluded.isNull()) {
      *error = "/EEXCEPT=" + quoted(excludedText) + ": " + why;
      return false;
    }
    input.hasExcluded = true;
    input.excludedText = excludedText;
    return true;
  }

  // The stated solution, read against the position as it moves on; the
  // checks judge it, so reading only stops at a move that cannot be played.
  input.statedMoves = readStatedMoves(pos, solution, input.plies, input.names, &input.statedError);
  if (static_cast<int>(input.statedMoves.size()) < input.plies && !pos.inCheck()) {
    // A line that reads through when the other side begins: the number of
    // plies does not fit the side of its first move.
    pos.setSideToMove(~pos.sideToMove());
    std::string ignored;
    const std::vector<Move> other = readStatedMoves(pos, solution, input.plies, input.names, &ignored);
    if (static_cast<int>(other.size()) == input.plies) {
      const char* cursor = solution.c_str();
      const std::string first =
          formatMove(pos, parseMove(pos, cursor, NO_SQUARE, nullptr, input.names), NO_SQUARE, input.names);
      const bool attackerFirst = pos.sideToMove() == BLACK;
      input.statedError = "手数 " + std::to_string(input.plies) + " では" + (attackerFirst ? "受方" : "攻方") +
                          "から指すが、1手目 " + first + " は" + (attackerFirst ? "攻方" : "受方") + "の手";
      input.statedMoves.clear();
    }
    pos.setSideToMove(~pos.sideToMove());
  }
  input.statedParsed = int(input.statedMoves.size());
  return true;
}

bool readCheckInput(const std::string& path, CheckInput& input, std::string* error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    *error = "cannot open " + path;
    return false;
  }
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return parseCheckInput(text, input, error);
}

}  // namespace matesolver

