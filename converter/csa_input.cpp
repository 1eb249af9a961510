#include "converter/csa_input.h"

#include <cstring>
#include <vector>

#include "shogi/movegen.h"

namespace converter {

using namespace shogi;

namespace {

const char* const kCodes[] = {"",   "FU", "KY", "KE", "GI", "KI", "KA", "HI",
                              "OU", "TO", "NY", "NK", "NG", "",   "UM", "RY"};

PieceType typeOfCode(const std::string& code) {
  for (int t = PAWN; t <= DRAGON; ++t) {
    if (code == kCodes[t]) return PieceType(t);
  }
  return NO_PIECE_TYPE;
}

struct Statement {
  std::string text;
  int line;
};

std::vector<Statement> statements(const std::string& text) {
  std::vector<Statement> out;
  int line = 0;
  size_t begin = 0;
  while (begin <= text.size()) {
    size_t end = text.find('\n', begin);
    if (end == std::string::npos) end = text.size();
    std::string l = text.substr(begin, end - begin);
    ++line;
    begin = end + 1;
    while (!l.empty() && (l.back() == '\r' || l.back() == ' ' || l.back() == '\t')) l.pop_back();
    if (l.empty() || l[0] == '\'') continue;
    size_t from = 0;
    for (;;) {
      const size_t comma = l.find(',', from);
      std::string s = l.substr(from, comma == std::string::npos ? std::string::npos : comma - from);
      if (!s.empty()) out.push_back({s, line});
      if (comma == std::string::npos) break;
      from = comma + 1;
    }
    if (end == text.size()) break;
  }
  return out;
}

bool squareAt(const std::string& s, size_t at, Square& sq) {
  if (at + 2 > s.size() || s[at] < '1' || s[at] > '9' || s[at + 1] < '1' || s[at + 1] > '9') return false;
  sq = square(s[at] - '0', s[at + 1] - '0');
  return true;
}

}  // namespace

bool looksLikeCsa(const std::string& text) {
  for (const Statement& s : statements(text)) {
    const std::string& t = s.text;
    if (t.rfind("V2", 0) == 0 || t.rfind("V3", 0) == 0 || t.rfind("PI", 0) == 0) return true;
    if (t.size() >= 2 && t[0] == 'P' && ((t[1] >= '1' && t[1] <= '9') || t[1] == '+' || t[1] == '-')) return true;
    if (t.size() >= 2 && t[0] == 'N' && (t[1] == '+' || t[1] == '-')) return true;
  }
  return false;
}

bool readCsa(const std::string& text, Problem& problem, InputError* error) {
  auto fail = [&](int line, const std::string& message) {
    *error = InputError{line, message};
    return false;
  };
  Position pos;
  HandsStated hands;
  bool boardSeen = false;
  bool turnSeen = false, started = false, ended = false;
  Color attacker = BLACK;
  std::vector<Move> moves;
  for (const Statement& st : statements(text)) {
    const std::string& s = st.text;
    if (ended) break;
    const char c = s[0];
    if (c == 'V' || c == 'N' || c == '$' || c == 'T') continue;
    if (c == '%') {
      ended = true;  // a special move (%TORYO, %TSUMI ...) ends the record
      continue;
    }
    if (c == 'P') {
      if (started) return fail(st.line, "a position line after the first move");
      if (s.size() >= 2 && s[1] >= '1' && s[1] <= '9') {
        boardSeen = true;
        const int rank = s[1] - '0';
        for (int i = 0; i < 9; ++i) {
          const size_t at = 2 + 3 * size_t(i);
          const std::string cell = at < s.size() ? s.substr(at, 3) : "";
          if (cell.empty() || cell == " * " || cell == " *" || cell == " " || cell == "  ") continue;
          if (cell.size() != 3 || (cell[0] != '+' && cell[0] != '-')) {
            return fail(st.line, "P" + std::string(1, s[1]) + ": cannot read the piece at file " + std::to_string(9 - i));
          }
          const PieceType t = typeOfCode(cell.substr(1));
          if (t == NO_PIECE_TYPE) return fail(st.line, "unknown piece \"" + cell + "\"");
          pos.put(square(9 - i, rank), makePiece(cell[0] == '+' ? BLACK : WHITE, t));
        }
        if (s.size() > 2 + 27) return fail(st.line, "P" + std::string(1, s[1]) + ": more than nine files");
      } else if (s.size() >= 2 && (s[1] == '+' || s[1] == '-')) {
        const Color side = s[1] == '+' ? BLACK : WHITE;
        if ((s.size() - 2) % 4 != 0) return fail(st.line, "pieces are written as square and code, four characters each");
        if (s.size() == 2) hands.stated[side] = true;  // "P-" alone: an empty hand
        for (size_t at = 2; at < s.size(); at += 4) {
          const std::string code = s.substr(at + 2, 2);
          if (s.compare(at, 2, "00") == 0) {
            if (code == "AL") {
              hands.allRemaining[side] = true;
              continue;
            }
            const PieceType t = typeOfCode(code);
            if (t < PAWN || t > ROOK) return fail(st.line, "\"" + code + "\" cannot be held in hand");
            if (pos.hand(side, t) == HAND_LIMIT[t]) return fail(st.line, "more pieces in hand than the set has");
            hands.stated[side] = true;
            pos.setHand(side, t, pos.hand(side, t) + 1);
          } else {
            Square sq;
            const PieceType t = typeOfCode(code);
            if (!squareAt(s, at, sq) || t == NO_PIECE_TYPE) {
              return fail(st.line, "cannot read \"" + s.substr(at, 4) + "\"");
            }
            boardSeen = true;
            pos.put(sq, makePiece(side, t));
          }
        }
      } else if (s.rfind("PI", 0) == 0) {
        // The initial position, less the pieces listed (PI82HI22KA).
        std::string why;
        pos.setSfen("lnsgkgsnl/1r5b1/ppppppppp/9/9/9/PPPPPPPPP/1B5R1/LNSGKGSNL b - 1", &why);
        boardSeen = true;
        if ((s.size() - 2) % 4 != 0) return fail(st.line, "PI: pieces to take off are written as square and code");
        for (size_t at = 2; at < s.size(); at += 4) {
          Square sq;
          const PieceType t = typeOfCode(s.substr(at + 2, 2));
          if (!squareAt(s, at, sq) || pos.at(sq) == EMPTY || typeOf(pos.at(sq)) != t) {
            return fail(st.line, "PI: no \"" + s.substr(at + 2, 2) + "\" to take off " + s.substr(at, 2));
          }
          pos.removeAt(sq);
        }
      } else {
        return fail(st.line, "cannot read \"" + quoted(s) + "\"");
      }
      continue;
    }
    if ((c == '+' || c == '-') && s.size() == 1) {
      if (started) return fail(st.line, "a turn line after the first move");
      attacker = c == '+' ? BLACK : WHITE;
      turnSeen = true;
      continue;
    }
    if ((c == '+' || c == '-') && s.size() == 7) {
      if (!started) {
        if (!boardSeen) return fail(st.line, "a move before the position");
        if (!turnSeen) attacker = c == '+' ? BLACK : WHITE;
        if (!completeHands(pos, attacker, hands)) return fail(st.line, "more pieces than the set has");
        problem.start = pos;
        started = true;
      }
      const Color mover = c == '+' ? BLACK : WHITE;
      if (mover != pos.sideToMove()) return fail(st.line, "\"" + s + "\": not the side to move");
      Square from = NO_SQUARE, to;
      const PieceType after = typeOfCode(s.substr(5, 2));
      if (!squareAt(s, 3, to) || after == NO_PIECE_TYPE || (s.compare(1, 2, "00") != 0 && !squareAt(s, 1, from))) {
        return fail(st.line, "cannot read the move \"" + s + "\"");
      }
      Move m;
      if (from == NO_SQUARE) {
        m = Move::drop(after, to);
      } else {
        const Piece moving = pos.at(from);
        if (moving == EMPTY) return fail(st.line, "\"" + s + "\": no piece on the square moved from");
        m = Move::board(from, to, typeOf(moving) != after);
      }
      if (!isLegalMove(pos, m)) {
        return fail(st.line, "move " + std::to_string(moves.size() + 1) + " \"" + s + "\" is not a legal move");
      }
      pos.doMove(m);
      moves.push_back(m);
      continue;
    }
    return fail(st.line, "cannot read \"" + quoted(s) + "\"");
  }
  if (!started) {
    if (!boardSeen) return fail(0, "no position (P1 to P9, or P+ / P-)");
    if (!completeHands(pos, attacker, hands)) return fail(0, "more pieces than the set has");
    problem.start = pos;
  }
  std::string why;
  if (!checkDefender(problem.start, &why)) return fail(0, why);
  setStart(problem, problem.start, moves, hands.remaining(~attacker));
  return true;
}

}  // namespace converter
