#include "matesolver/notation.h"

#include <cstring>
#include <vector>

#include "common/cp932.h"
#include "common/piece_names.h"
#include "shogi/movegen.h"

namespace matesolver {

using namespace shogi;

namespace {

// Checker piece codes of the names our rules core knows, with their type.
struct NameType {
  int code;
  PieceType type;
};
const NameType kNames[] = {
    {1, PAWN},      {2, LANCE},      {3, KNIGHT},     {4, SILVER},     {5, GOLD},  {6, BISHOP},
    {7, ROOK},      {8, KING},       {9, KING},       {17, PRO_PAWN},  {18, PRO_LANCE},
    {19, PRO_KNIGHT}, {20, PRO_SILVER}, {22, HORSE},  {23, DRAGON},
};

bool isSquareDigit(char c) { return c >= '1' && c <= '9'; }

std::string squareText(Square s) { return std::to_string(fileOf(s) * 10 + rankOf(s)); }

}  // namespace

PieceType typeOfName(const char* text, const Names& names) {
  if (text[0] == '\0' || text[1] == '\0') return NO_PIECE_TYPE;
  for (const auto& [name, type] : names.kings) {
    if (std::strncmp(text, name.c_str(), 2) == 0) return type;
  }
  for (const NameType& n : kNames) {
    if (n.type != KING && std::strncmp(text, pieces::initialNames[n.code], 2) == 0) return n.type;
  }
  return NO_PIECE_TYPE;
}

std::string nameOf(PieceType t, Color c, const Names& names) {
  if (pieceRules[t].royal) return names.kingNames[c];
  for (const NameType& n : kNames) {
    if (n.type == t) return pieces::initialNames[n.code];
  }
  return "？";
}

Move parseMove(const Position& pos, const char*& cursor, Square previous, std::string* error, const Names& names,
               bool matchRebirth) {
  auto fail = [&](const char* why) {
    if (error) *error = why;
    return Move{};
  };
  const char* p = cursor;
  while (cp932::isAsciiSpace(static_cast<unsigned char>(*p))) ++p;
  Square to;
  if (cp932::startsWith(p, "同")) {
    if (previous == NO_SQUARE) return fail("前の手がないのに同");
    to = previous;
    p += 2;
    if (cp932::startsWith(p, "　")) p += 2;  // 同　歩 as kifu write it
  } else if (isSquareDigit(p[0]) && isSquareDigit(p[1])) {
    to = square(p[0] - '0', p[1] - '0');
    p += 2;
  } else {
    return fail("移動先がない");
  }
  const PieceType named = typeOfName(p, names);
  if (named == NO_PIECE_TYPE) return fail("駒名が読めない");
  p += 2;
  bool promote = false, keep = false;
  if (cp932::startsWith(p, "成")) {
    promote = true;
    p += 2;
  } else if (cp932::startsWith(p, "生") || cp932::startsWith(p, "不成")) {
    keep = true;
    p += cp932::startsWith(p, "生") ? 2 : 4;
  }
  Move m;
  if (cp932::startsWith(p, "打")) {
    if (promote || keep || named > ROOK) return fail("打つ駒は成れない");
    p += 2;
    m = Move::drop(named, to);
  } else if (p[0] == '(' && isSquareDigit(p[1]) && isSquareDigit(p[2]) && p[3] == ')') {
    const Square from = square(p[1] - '0', p[2] - '0');
    p += 4;
    const Piece piece = pos.at(from);
    if (piece == EMPTY || colorOf(piece) != pos.sideToMove()) return fail("移動元に手番の駒がない");
    if (typeOf(piece) != named) return fail("移動元の駒が駒名と違う");
    m = Move::board(from, to, promote);
  } else {
    return fail("打または(移動元)がない");
  }
  // The rebirth part: a square and a piece name.
  Square rebirth = NO_SQUARE;
  if (p[0] == '/') {
    if (!isSquareDigit(p[1]) || !isSquareDigit(p[2]) || typeOfName(p + 3, names) == NO_PIECE_TYPE) {
      return fail("キルケ移動先が読めない");
    }
    rebirth = square(p[1] - '0', p[2] - '0');
    p += 5;
  }
  if (matchRebirth && pos.rebirth() != Rebirth::NONE && !m.isDrop()) {
    // The move, of those with and without the left-hand choice, whose
    // rebirth is the one written.
    bool matched = false;
    for (Move candidate : {m, m.withLeftRebirth()}) {
      Position after = pos;
      after.doMove(candidate);
      const Position::FairyEffect effect = after.lastFairyEffect();
      if (candidate.leftRebirth() && !effect.choice) continue;
      if (effect.rebirth == rebirth) {
        m = candidate;
        matched = true;
        break;
      }
    }
    if (!matched) return fail(rebirth == NO_SQUARE ? "キルケ移動先がない" : "キルケ移動先が違う");
  }
  cursor = p;
  return m;
}

// "/71銀": where the rebirth of move m happened and the piece there; empty
// when it had none.
static std::string rebirthText(const Position& pos, Move m, const Names& names) {
  if (pos.rebirth() == Rebirth::NONE || m.isDrop() || pos.at(m.to()) == EMPTY) return "";
  Position after = pos;
  after.doMove(m);
  const Square s = after.lastFairyEffect().rebirth;
  if (s == NO_SQUARE) return "";
  const Piece piece = after.at(s);
  return "/" + squareText(s) + nameOf(typeOf(piece), colorOf(piece), names);
}

std::string formatMove(const Position& pos, Move m, Square previous, const Names& names) {
  const Color us = pos.sideToMove();
  std::string text = m.to() == previous ? std::string("同") : squareText(m.to());
  if (m.isDrop()) return text + nameOf(m.dropped(), us, names) + "打";
  const PieceType t = typeOf(pos.at(m.from()));
  text += nameOf(t, us, names);
  if (m.promotes()) {
    text += "成";
  } else if (pieceRules[t].promoted != NO_PIECE_TYPE && (inPromotionZone(us, m.from()) || inPromotionZone(us, m.to()))) {
    text += "生";
  }
  return text + "(" + squareText(m.from()) + ")" + rebirthText(pos, m, names);
}

std::string plyText(int ply) { return std::to_string(ply) + "手目"; }

std::string formatLine(Position& pos, const std::vector<Move>& line, Square previous, const Names& names) {
  std::string text;
  for (size_t i = 0; i < line.size(); ++i) {
    if (i) text += ' ';
    text += formatMove(pos, line[i], previous, names);
    previous = line[i].to();
    pos.doMove(line[i]);
  }
  for (size_t i = line.size(); i-- > 0;) pos.undoMove(line[i]);
  return text;
}

}  // namespace matesolver
