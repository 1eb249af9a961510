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

// Conditions and rule words this solver knows but does not solve yet.
const char* const kUnsupported[] = {"自玉詰", "異王", "キルケ", "PWC", "王（"};

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

// Board groups: two digits and a piece name each.
bool placePieces(Position& pos, const std::string& text, Color color, Names& names, std::string* why) {
  const char* p = text.c_str();
  while (*p != '\0') {
    if (!isSquareDigit(p[0]) || !isSquareDigit(p[1])) {
      *why = "square expected at \"" + std::string(p) + "\"";
      return false;
    }
    const Square s = square(p[0] - '0', p[1] - '0');
    const PieceType t = typeOfName(p + 2);
    if (t == NO_PIECE_TYPE) {
      *why = "unknown piece at \"" + std::string(p) + "\"";
      return false;
    }
    if (pos.at(s) != EMPTY) {
      *why = "two pieces on square " + std::string(p, 2);
      return false;
    }
    if (t == KING) {
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
    const PieceType t = typeOfName(p);
    if (t < PAWN || t > ROOK) {
      *why = "not a piece for the hand at \"" + std::string(p) + "\"";
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

bool checkPosition(Position& pos, std::string* why) {
  for (Color c : {BLACK, WHITE}) {
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
    const Move m = parseMove(pos, cursor, previous, &error);
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
    Move next = parseMove(pos, cursor, previous, nullptr);
    const bool otherSide = next.isNull();
    if (otherSide) {
      pos.doNullMove();
      next = parseMove(pos, cursor, previous, nullptr);
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
  for (const char* word : kUnsupported) {
    if (input.ruleText.find(word) != std::string::npos) return fail("not supported yet: " + input.ruleText);
  }
  for (const pieces::FairyKing& king : pieces::fairyKings) {
    if (input.ruleText.find(king.condition) != std::string::npos) return fail("not supported yet: " + input.ruleText);
  }
  {
    // The conditions (none, or なし) followed by the rule word.
    std::string rest = input.ruleText;
    if (rest.rfind("なし", 0) == 0) rest.erase(0, std::strlen("なし"));
    if (rest == "ばか詰" || rest == "協力詰") {
      input.rule = Rule::Helpmate;
    } else if (rest == "詰将棋" || rest.empty()) {
      input.rule = Rule::Standard;
    } else {
      return fail("unknown rule or condition: " + input.ruleText);
    }
  }

  Position& pos = input.position;
  pos.clear();
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
  if (count.empty() || count.find_first_not_of("0123456789") != std::string::npos || count.size() > 4) {
    return fail("the number of plies is not a number");
  }
  input.plies = std::stoi(count);
  if (solutionLines && input.stepCheck) return fail("a step check has no solution lines");
  if (!solutionLines && !input.stepCheck) return fail("neither solution lines nor an excluded move");

  // The last ply is the attacker's; the sides alternate back from it.
  pos.setSideToMove(input.plies % 2 == 1 ? BLACK : WHITE);
  if (!checkPosition(pos, &why)) {
    *error = "position: " + why;
    return false;
  }

  if (input.stepCheck) {
    const char* cursor = excludedText.c_str();
    input.excluded = parseMove(pos, cursor, NO_SQUARE, &why);
    if (input.excluded.isNull()) {
      *error = "/EEXCEPT=" + excludedText + ": " + why;
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
      const std::string first = formatMove(pos, parseMove(pos, cursor, NO_SQUARE, nullptr), NO_SQUARE, input.names);
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

