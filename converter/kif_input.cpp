#include "converter/kif_input.h"

#include <vector>

#include "shogi/movegen.h"

#include "converter/transcode.h"

namespace converter {

using namespace shogi;

namespace {

std::u32string decode(const std::string& utf8) {
  std::u32string out;
  for (size_t i = 0; i < utf8.size();) {
    const unsigned char c = static_cast<unsigned char>(utf8[i]);
    const int extra = c < 0x80 ? 0 : c < 0xE0 ? 1 : c < 0xF0 ? 2 : 3;
    char32_t value = extra == 0 ? c : c & (0x3F >> extra);
    for (int k = 1; k <= extra && i + size_t(k) < utf8.size(); ++k) {
      value = (value << 6) | (static_cast<unsigned char>(utf8[i + size_t(k)]) & 0x3F);
    }
    out += value;
    i += size_t(extra) + 1;
  }
  return out;
}

std::string encode(const std::u32string& text) {
  std::string out;
  for (char32_t c : text) {
    if (c < 0x80) {
      out += char(c);
    } else if (c < 0x800) {
      out += char(0xC0 | (c >> 6)), out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += char(0xE0 | (c >> 12)), out += char(0x80 | ((c >> 6) & 0x3F)), out += char(0x80 | (c & 0x3F));
    } else {
      out += char(0xF0 | (c >> 18)), out += char(0x80 | ((c >> 12) & 0x3F));
      out += char(0x80 | ((c >> 6) & 0x3F)), out += char(0x80 | (c & 0x3F));
    }
  }
  return out;
}

bool startsWith(const std::u32string& text, const std::u32string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

bool isBlank(char32_t c) { return c == U' ' || c == U'\t' || c == U'　' || c == U'\r'; }

std::u32string trim(std::u32string s) {
  while (!s.empty() && isBlank(s.back())) s.pop_back();
  size_t b = 0;
  while (b < s.size() && isBlank(s[b])) ++b;
  return s.substr(b);
}

// Piece names of diagrams and moves.
struct Name {
  std::u32string text;
  PieceType type;
};
const Name kNames[] = {
    {U"成香", PRO_LANCE}, {U"成桂", PRO_KNIGHT}, {U"成銀", PRO_SILVER}, {U"歩", PAWN},      {U"香", LANCE},
    {U"桂", KNIGHT},      {U"銀", SILVER},       {U"金", GOLD},         {U"角", BISHOP},    {U"飛", ROOK},
    {U"玉", KING},        {U"王", KING},         {U"と", PRO_PAWN},     {U"杏", PRO_LANCE}, {U"圭", PRO_KNIGHT},
    {U"全", PRO_SILVER},  {U"馬", HORSE},        {U"龍", DRAGON},       {U"竜", DRAGON},
};

// The piece name at `at`; advances past it.
PieceType pieceAt(const std::u32string& s, size_t& at) {
  for (const Name& n : kNames) {
    if (s.compare(at, n.text.size(), n.text) == 0) {
      at += n.text.size();
      return n.type;
    }
  }
  return NO_PIECE_TYPE;
}

int kanjiDigit(char32_t c) {
  const std::u32string digits = U"一二三四五六七八九";
  const size_t i = digits.find(c);
  return i == std::u32string::npos ? 0 : int(i) + 1;
}

int digitAt(char32_t c) {
  if (c >= U'１' && c <= U'９') return int(c - U'１') + 1;
  if (c >= U'1' && c <= U'9') return int(c - U'1') + 1;
  return kanjiDigit(c);
}

// A count in kanji after a piece name: 二, 十, 十八; none is one.
int countAt(const std::u32string& s, size_t& at) {
  int n = 0;
  bool any = false;
  if (at < s.size() && kanjiDigit(s[at]) && !(at + 1 < s.size() && s[at + 1] == U'十')) {
    n = kanjiDigit(s[at++]);
    any = true;
  } else {
    if (at < s.size() && kanjiDigit(s[at]) && at + 1 < s.size() && s[at + 1] == U'十') {
      n = 10 * kanjiDigit(s[at]);
      at += 2;
      any = true;
    } else if (at < s.size() && s[at] == U'十') {
      n = 10;
      ++at;
      any = true;
    }
    if (any && at < s.size() && kanjiDigit(s[at])) n += kanjiDigit(s[at++]);
  }
  return any ? n : 1;
}

// A hand: "金二　銀　歩十八", or なし.
bool readHand(const std::u32string& value, Position& pos, Color side, std::string* why) {
  const std::u32string v = trim(value);
  if (v == U"なし") return true;
  size_t at = 0;
  while (at < v.size()) {
    if (isBlank(v[at])) {
      ++at;
      continue;
    }
    const PieceType t = pieceAt(v, at);
    if (t < PAWN || t > ROOK) {
      *why = "cannot read the hand \"" + quoted(encode(v)) + "\"";
      return false;
    }
    const int n = countAt(v, at);
    if (pos.hand(side, t) + n > HAND_LIMIT[t]) {
      *why = "more pieces in hand than the set has";
      return false;
    }
    pos.setHand(side, t, pos.hand(side, t) + n);
  }
  return true;
}

// Reads a KI2 move after its ▲ / △: destination or 同, piece name, then
// 右 左 直 上 引 寄 and 成 / 不成 / 打, resolved against the legal moves.
Move readKi2Move(Position& pos, const std::u32string& l, size_t& at, Square previous, std::string* why) {
  Square to;
  if (at < l.size() && l[at] == U'同') {
    if (previous == NO_SQUARE) {
      *why = "同 without a previous move";
      return Move{};
    }
    to = previous;
    ++at;
    while (at < l.size() && l[at] == U'　') ++at;
  } else {
    const int file = at < l.size() ? digitAt(l[at]) : 0;
    const int rank = at + 1 < l.size() ? digitAt(l[at + 1]) : 0;
    if (file == 0 || rank == 0) {
      *why = "cannot read the destination";
      return Move{};
    }
    to = square(file, rank);
    at += 2;
  }
  const PieceType named = pieceAt(l, at);
  if (named == NO_PIECE_TYPE) {
    *why = "cannot read the piece";
    return Move{};
  }
  bool right = false, left = false, straight = false, up = false, down = false, sideways = false;
  bool promote = false, noPromote = false, drop = false;
  for (; at < l.size(); ++at) {
    const char32_t c = l[at];
    if (c == U'右') right = true;
    else if (c == U'左') left = true;
    else if (c == U'直') straight = true;
    else if (c == U'上' || c == U'行' || c == U'入') up = true;
    else if (c == U'引') down = true;
    else if (c == U'寄') sideways = true;
    else if (c == U'打') drop = true;
    else if (c == U'成') promote = true;
    else if (c == U'不' && at + 1 < l.size() && l[at + 1] == U'成') noPromote = true, ++at;
    else break;
  }
  MoveList legal;
  generateLegal(pos, legal);
  const Color us = pos.sideToMove();
  // Ranks and files as the mover sees them: forward is toward its rank 1.
  auto forward = [&](Square s) { return us == BLACK ? -rankOf(s) : rankOf(s); };
  auto rightward = [&](Square s) { return us == BLACK ? -fileOf(s) : fileOf(s); };
  std::vector<Move> candidates;
  bool boardMove = false;
  for (Move m : legal) {
    if (m.to() != to) continue;
    if (m.isDrop()) {
      if (m.dropped() == named) candidates.push_back(m);
      continue;
    }
    if (typeOf(pos.at(m.from())) != named || m.promotes() != promote) continue;
    boardMove = true;
    candidates.push_back(m);
  }
  // A drop only when 打 says so, or when no piece on the board can go there.
  std::vector<Move> kept;
  for (Move m : candidates) {
    if (m.isDrop() ? (drop || !boardMove) : !drop) kept.push_back(m);
  }
  auto keep = [&](auto test) {
    std::vector<Move> next;
    for (Move m : kept) {
      if (!m.isDrop() && test(m)) next.push_back(m);
    }
    kept = next;
  };
  if (up) keep([&](Move m) { return forward(m.to()) > forward(m.from()); });
  if (down) keep([&](Move m) { return forward(m.to()) < forward(m.from()); });
  if (sideways) keep([&](Move m) { return rankOf(m.to()) == rankOf(m.from()); });
  if (straight) keep([&](Move m) { return fileOf(m.to()) == fileOf(m.from()) && forward(m.to()) > forward(m.from()); });
  if (right || left) {
    int best = 0;
    bool any = false;
    for (Move m : kept) {
      const int x = rightward(m.from());
      if (!any || (right ? x > best : x < best)) best = x;
      any = true;
    }
    keep([&](Move m) { return rightward(m.from()) == best; });
  }
  (void)noPromote;
  if (kept.size() != 1) {
    *why = kept.empty() ? "no legal move fits" : "more than one piece can make it (右 左 直 上 引 寄 needed)";
    return Move{};
  }
  return kept[0];
}

}  // namespace

bool looksLikeKif(const std::string& utf8) {
  for (const char* marker : {"手数----指手", "先手の持駒：", "後手の持駒：", "下手の持駒：", "上手の持駒：", "#KIF",
                             "+---------------------------+"}) {
    if (utf8.find(marker) != std::string::npos) return true;
  }
  return false;
}

bool readKif(const std::string& utf8, Problem& problem, InputError* error, bool* variationsIgnored) {
  auto fail = [&](int line, const std::string& message) {
    *error = InputError{line, message};
    return false;
  };
  *variationsIgnored = false;
  std::vector<std::u32string> lines;
  {
    const std::u32string all = decode(utf8);
    size_t begin = 0;
    for (;;) {
      const size_t end = all.find(U'\n', begin);
      std::u32string l = all.substr(begin, end == std::u32string::npos ? std::u32string::npos : end - begin);
      if (!l.empty() && l.back() == U'\r') l.pop_back();
      lines.push_back(l);
      if (end == std::u32string::npos) break;
      begin = end + 1;
    }
  }

  for (const std::u32string& l : lines) *variationsIgnored = *variationsIgnored || startsWith(l, U"変化：");

  Position pos;
  char32_t kingName[2] = {0, 0};  // as the diagram writes each king
  Color toMove = BLACK;
  HandsStated hands;
  bool boardSeen = false, started = false;
  int boardRows = -1;  // rows read of the diagram, -1 before it
  std::vector<Move> moves;
  Square previous = NO_SQUARE;
  for (size_t n = 0; n < lines.size(); ++n) {
    const int line = int(n) + 1;
    const std::u32string& l = lines[n];
    if (l.empty()) continue;
    if (l[0] == U'#' || l[0] == U'*' || l[0] == U'&') continue;
    if (startsWith(l, U"変化：")) break;
    if (boardRows >= 0 && boardRows < 9) {
      // A row of the diagram: "| ・ ・v玉 ...|一".
      if (startsWith(l, U"+")) {
        if (boardRows > 0) return fail(line, "the board has only " + std::to_string(boardRows) + " ranks");
        continue;
      }
      if (!startsWith(l, U"|")) return fail(line, "a rank of the board expected");
      const int rank = boardRows + 1;
      int file = 9;
      size_t at = 1;
      Color side = BLACK;
      while (file >= 1 && at < l.size() && l[at] != U'|') {
        const char32_t c = l[at];
        if (c == U'v' || c == U'V' || c == U'^') {
          side = WHITE;
          ++at;
        } else if (c == U' ') {
          ++at;
        } else if (c == U'・') {
          --file, ++at, side = BLACK;
        } else {
          const PieceType t = pieceAt(l, at);
          if (t == NO_PIECE_TYPE) return fail(line, "unknown piece \"" + encode(std::u32string(1, c)) + "\" on the board");
          if (t == KING) kingName[side] = c;
          pos.put(square(file, rank), makePiece(side, t));
          --file, side = BLACK;
        }
      }
      if (file != 0) return fail(line, "a rank of the board with fewer than nine squares");
      ++boardRows;
      boardSeen = true;
      continue;
    }
    if (startsWith(l, U"  ９ ８ ７") || startsWith(l, U"  ９") || startsWith(l, U"９ ８")) continue;
    if (startsWith(l, U"+---") && boardRows < 0) {
      boardRows = 0;
      continue;
    }
    if (startsWith(l, U"+---")) continue;
    const size_t colon = l.find(U'：');
    if (!started && colon != std::u32string::npos) {
      const std::u32string key = trim(l.substr(0, colon)), value = l.substr(colon + 1);
      const bool first = key == U"先手の持駒" || key == U"下手の持駒";
      const bool second = key == U"後手の持駒" || key == U"上手の持駒";
      if (first || second) {
        const Color side = first ? BLACK : WHITE;
        hands.stated[side] = !trim(value).empty();
        if (trim(value) == U"残り全部") {
          hands.allRemaining[side] = true;
        } else if (hands.stated[side]) {
          std::string why;
          if (!readHand(value, pos, side, &why)) return fail(line, why);
        }
      } else if (key == U"ルール" || key == U"条件") {
        std::string cp932;
        size_t at = 0;
        if (!transcode::utf8ToCp932(encode(trim(value)), cp932, &at)) {
          return fail(line, "a character that code page 932 does not have");
        }
        (key == U"ルール" ? problem.rule : problem.conditions) = cp932;
      } else if (key == U"手合割" && trim(value) != U"平手" && !boardSeen) {
        // Handicap games are no mating problems; a diagram must follow.
      }
      continue;
    }
    if (!started && (startsWith(l, U"先手番") || startsWith(l, U"下手番"))) {
      toMove = BLACK;
      continue;
    }
    if (!started && (startsWith(l, U"後手番") || startsWith(l, U"上手番"))) {
      toMove = WHITE;
      continue;
    }
    if (startsWith(l, U"手数----")) continue;
    if (startsWith(l, U"まで")) break;

    if (!started) {
      if (!boardSeen) return fail(line, "a move before the board (the problem needs its diagram)");
      if (!completeHands(pos, toMove, hands)) return fail(line, "more pieces than the set has");
      problem.start = pos;
      started = true;
    }

    // KI2: "▲４三歩打　△同玉　▲４一龍", the moves without origins.
    if (l[0] == U'▲' || l[0] == U'△' || l[0] == U'☗' || l[0] == U'☖') {
      size_t at = 0;
      while (at < l.size()) {
        if (isBlank(l[at])) {
          ++at;
          continue;
        }
        const size_t begin = at;
        const bool black = l[at] == U'▲' || l[at] == U'☗';
        if (!black && l[at] != U'△' && l[at] != U'☖') {
          return fail(line, "cannot read \"" + quoted(encode(l.substr(at))) + "\"");
        }
        ++at;
        std::string why;
        const Move m = readKi2Move(pos, l, at, previous, &why);
        const std::string written = encode(l.substr(begin, at - begin));
        const std::string move = "move " + std::to_string(moves.size() + 1) + " \"" + quoted(written) + "\": ";
        if (m.isNull()) return fail(line, move + why);
        if ((pos.sideToMove() == BLACK) != black) return fail(line, move + "not the side to move");
        pos.doMove(m);
        moves.push_back(m);
        previous = m.to();
      }
      continue;
    }

    // A move: "   1 ２二金打     ( 0:00/00:00:00)".
    size_t at = 0;
    while (at < l.size() && isBlank(l[at])) ++at;
    const size_t numberStart = at;
    while (at < l.size() && l[at] >= U'0' && l[at] <= U'9') ++at;
    if (at == numberStart) return fail(line, "cannot read \"" + quoted(encode(l)) + "\"");
    while (at < l.size() && isBlank(l[at])) ++at;
    // Special moves (投了, 中断, 詰み ...) end the record.
    for (const char32_t* word : {U"投了", U"中断", U"詰み", U"不詰", U"千日手", U"持将棋", U"切れ負け", U"反則"}) {
      if (l.compare(at, std::char_traits<char32_t>::length(word), word) == 0) at = l.size();
    }
    if (at >= l.size()) break;
    Square to;
    if (l[at] == U'同') {
      if (previous == NO_SQUARE) return fail(line, "同 without a previous move");
      to = previous;
      ++at;
      while (at < l.size() && isBlank(l[at])) ++at;
    } else {
      const int file = at < l.size() ? digitAt(l[at]) : 0;
      const int rank = at + 1 < l.size() ? digitAt(l[at + 1]) : 0;
      if (file == 0 || rank == 0) {
        return fail(line, "cannot read the destination of \"" + quoted(encode(trim(l))) + "\"");
      }
      to = square(file, rank);
      at += 2;
    }
    const PieceType named = pieceAt(l, at);
    if (named == NO_PIECE_TYPE) return fail(line, "cannot read the piece of \"" + quoted(encode(trim(l))) + "\"");
    bool promote = false, drop = false;
    if (l.compare(at, 2, U"不成") == 0) {
      at += 2;
    } else if (l.compare(at, 1, U"成") == 0) {
      promote = true;
      ++at;
    }
    if (l.compare(at, 1, U"打") == 0) {
      drop = true;
      ++at;
    }
    Square from = NO_SQUARE;
    if (at + 3 < l.size() && l[at] == U'(' && l[at + 3] == U')') {
      if (l[at + 1] == U'0' && l[at + 2] == U'0') {
        drop = true;
      } else {
        const int f = digitAt(l[at + 1]), r = digitAt(l[at + 2]);
        if (f == 0 || r == 0) return fail(line, "cannot read the origin of \"" + quoted(encode(trim(l))) + "\"");
        from = square(f, r);
      }
    } else if (!drop) {
      return fail(line, "\"" + quoted(encode(trim(l))) + "\" has no origin (KI2 moves are not read yet)");
    }
    Move m;
    if (drop) {
      if (named < PAWN || named > ROOK) return fail(line, "only pieces held in hand can be dropped");
      m = Move::drop(named, to);
    } else {
      const Piece moving = pos.at(from);
      if (moving == EMPTY || colorOf(moving) != pos.sideToMove()) {
        return fail(line, "move " + std::to_string(moves.size() + 1) + ": no piece of the side to move on the origin");
      }
      m = Move::board(from, to, promote);
    }
    if (!isLegalMove(pos, m)) {
      const std::string written = quoted(encode(trim(l)));
      return fail(line, "move " + std::to_string(moves.size() + 1) + " \"" + written + "\" is not a legal move");
    }
    pos.doMove(m);
    moves.push_back(m);
    previous = to;
  }
  if (!boardSeen) return fail(0, "no board diagram: a mating problem needs its position");
  if (boardRows != 9) return fail(0, "the board diagram is cut short");
  if (!started) {
    if (!completeHands(pos, toMove, hands)) return fail(0, "more pieces than the set has");
    problem.start = pos;
  }
  std::string why;
  if (!checkDefender(problem.start, &why)) return fail(0, why);
  const Color attacker = problem.start.sideToMove();
  setStart(problem, problem.start, moves, hands.remaining(~attacker));
  // The kings keep their names; the attacker's name goes with it when the
  // board is turned round.
  for (Color c : {BLACK, WHITE}) {
    if (kingName[c] == 0) continue;
    std::string name;
    transcode::utf8ToCp932(encode(std::u32string(1, kingName[c])), name, nullptr);
    problem.kingNames[c == attacker ? 0 : 1] = name;
  }
  return true;
}

}  // namespace converter
