#include "shogi/position.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <random>

namespace shogi {

namespace {

struct Zobrist {
  uint64_t piece[CELL_COUNT][64];
  uint64_t side;
  Zobrist() {
    std::mt19937_64 random(0x5453554B41ull);  // fixed: keys are the same on every run
    for (auto& cell : piece)
      for (auto& key : cell) key = random();
    side = random();
  }
};
const Zobrist zobrist;

bool isRanged(Piece p) { return (rangedTypes >> typeOf(p)) & 1; }

bool onBoard(Square s) { return s >= square(1, 1) && s <= square(9, 9) && rankOf(s) >= 1 && rankOf(s) <= 9; }

}  // namespace

Position& Position::operator=(const Position& other) {
  if (this == &other) return *this;
  std::copy(std::begin(other.cells_), std::end(other.cells_), std::begin(cells_));
  occupied_ = other.occupied_;
  occupiedBy_[BLACK] = other.occupiedBy_[BLACK];
  occupiedBy_[WHITE] = other.occupiedBy_[WHITE];
  ranged_[BLACK] = other.ranged_[BLACK];
  ranged_[WHITE] = other.ranged_[WHITE];
  hands_[BLACK] = other.hands_[BLACK];
  hands_[WHITE] = other.hands_[WHITE];
  side_ = other.side_;
  king_[BLACK] = other.king_[BLACK];
  king_[WHITE] = other.king_[WHITE];
  pawnFiles_[BLACK] = other.pawnFiles_[BLACK];
  pawnFiles_[WHITE] = other.pawnFiles_[WHITE];
  boardKey_ = other.boardKey_;
  captured_.clear();
  rebirth_ = other.rebirth_;
  fairy_ = other.fairy_;
  fairyHistory_.clear();
  return *this;
}

Position::Position() {
  static const bool rulesReady = (initRules(), true);
  (void)rulesReady;
  clear();
}

void Position::clear() {
  for (Square s = 0; s < CELL_COUNT; ++s) cells_[s] = onBoard(s) ? EMPTY : WALL;
  occupied_ = occupiedBy_[BLACK] = occupiedBy_[WHITE] = ranged_[BLACK] = ranged_[WHITE] = Bitboard{};
  hands_[BLACK] = hands_[WHITE] = 0;
  side_ = BLACK;
  king_[BLACK] = king_[WHITE] = NO_SQUARE;
  pawnFiles_[BLACK] = pawnFiles_[WHITE] = 0;
  boardKey_ = 0;
  captured_.clear();
  rebirth_ = Rebirth::NONE;
  fairy_ = false;
  fairyHistory_.clear();
}

void Position::put(Square s, Piece p) {
  removeAt(s);
  cells_[s] = p;
  if (p != EMPTY) {
    occupied_ |= squareBit(s);
    occupiedBy_[colorOf(p)] |= squareBit(s);
    if (isRanged(p)) ranged_[colorOf(p)] |= squareBit(s);
  }
  boardKey_ ^= zobrist.piece[s][p & 63];
  if (pieceRules[typeOf(p)].royal) king_[colorOf(p)] = s;
  if (typeOf(p) == PAWN) pawnFiles_[colorOf(p)] |= uint16_t(1u << fileOf(s));
  if (isFairyKing(typeOf(p))) fairy_ = true;
}

void Position::removeAt(Square s) {
  Piece p = cells_[s];
  if (p == EMPTY) return;
  boardKey_ ^= zobrist.piece[s][p & 63];
  cells_[s] = EMPTY;
  occupied_ &= ~squareBit(s);
  occupiedBy_[colorOf(p)] &= ~squareBit(s);
  ranged_[colorOf(p)] &= ~squareBit(s);
  if (king_[colorOf(p)] == s) king_[colorOf(p)] = NO_SQUARE;
  if (typeOf(p) == PAWN) {
    // Under the fairy rules a file may hold two pawns of one side.
    if (fairy_) {
      refreshPawnFile(colorOf(p), fileOf(s));
    } else {
      pawnFiles_[colorOf(p)] &= uint16_t(~(1u << fileOf(s)));
    }
  }
}

void Position::refreshPawnFile(Color c, int file) {
  pawnFiles_[c] &= uint16_t(~(1u << file));
  for (int rank = 1; rank <= 9; ++rank) {
    if (cells_[square(file, rank)] == makePiece(c, PAWN)) pawnFiles_[c] |= uint16_t(1u << file);
  }
}

void Position::setRebirth(Rebirth r) {
  rebirth_ = r;
  if (r != Rebirth::NONE) fairy_ = true;
}

void Position::setHand(Color c, PieceType t, int count) {
  const PackedHand field = ((PackedHand(1) << HAND_WIDTH[t]) - 1) << HAND_SHIFT[t];
  hands_[c] = (hands_[c] & ~field) | ((PackedHand(count) << HAND_SHIFT[t]) & field);
}

void Position::setSideToMove(Color c) {
  if (c != side_) boardKey_ ^= zobrist.side;
  side_ = c;
}

uint64_t Position::boardKeyAfter(Move m) const {
  uint64_t k = boardKey_ ^ zobrist.side;
  const Square to = m.to();
  if (m.isDrop()) return k ^ zobrist.piece[to][makePiece(side_, m.dropped())];
  const Piece p = cells_[m.from()];
  const Piece moved = m.promotes() ? Piece(p + PROMOTION) : p;
  k ^= zobrist.piece[m.from()][p] ^ zobrist.piece[to][moved];
  return cells_[to] == EMPTY ? k : k ^ zobrist.piece[to][cells_[to]];
}

void Position::doStandardMove(Move m) {
  const Color us = side_;
  const Square to = m.to();
  Piece captured = EMPTY;
  if (m.isDrop()) {
    const PieceType t = m.dropped();
    hands_[us] -= handUnit(t);
    const Piece p = makePiece(us, t);
    cells_[to] = p;
    occupied_ |= squareBit(to);
    occupiedBy_[us] |= squareBit(to);
    if (isRanged(p)) ranged_[us] |= squareBit(to);
    boardKey_ ^= zobrist.piece[to][p];
    if (t == PAWN) pawnFiles_[us] |= uint16_t(1u << fileOf(to));
  } else {
    const Square from = m.from();
    const Piece p = cells_[from];
    captured = cells_[to];
    if (captured != EMPTY) {
      boardKey_ ^= zobrist.piece[to][captured];
      const PieceType gained = pieceRules[typeOf(captured)].handType;
      if (gained != NO_PIECE_TYPE) hands_[us] += handUnit(gained);
      if (typeOf(captured) == PAWN) pawnFiles_[~us] &= uint16_t(~(1u << fileOf(to)));
      if (king_[~us] == to) king_[~us] = NO_SQUARE;
    }
    const Piece moved = m.promotes() ? Piece(p + PROMOTION) : p;
    boardKey_ ^= zobrist.piece[from][p] ^ zobrist.piece[to][moved];
    cells_[from] = EMPTY;
    cells_[to] = moved;
    occupied_ = (occupied_ & ~squareBit(from)) | squareBit(to);
    occupiedBy_[us] = (occupiedBy_[us] & ~squareBit(from)) | squareBit(to);
    if (isRanged(p)) {
      ranged_[us] &= ~squareBit(from);
      if (isRanged(moved)) ranged_[us] |= squareBit(to);
    }
    if (captured != EMPTY) {
      occupiedBy_[~us] &= ~squareBit(to);
      ranged_[~us] &= ~squareBit(to);
    }
    if (king_[us] == from) king_[us] = to;
    if (typeOf(p) == PAWN) {
      pawnFiles_[us] &= uint16_t(~(1u << fileOf(from)));
      if (!m.promotes()) pawnFiles_[us] |= uint16_t(1u << fileOf(to));
    }
  }
  captured_.push_back(captured);
  side_ = ~us;
  boardKey_ ^= zobrist.side;
}

void Position::undoStandardMove(Move m) {
  side_ = ~side_;
  boardKey_ ^= zobrist.side;
  const Color us = side_;
  const Square to = m.to();
  const Piece captured = captured_.back();
  captured_.pop_back();
  if (m.isDrop()) {
    const PieceType t = m.dropped();
    boardKey_ ^= zobrist.piece[to][cells_[to]];
    cells_[to] = EMPTY;
    occupied_ &= ~squareBit(to);
    occupiedBy_[us] &= ~squareBit(to);
    ranged_[us] &= ~squareBit(to);
    hands_[us] += handUnit(t);
    if (t == PAWN) pawnFiles_[us] &= uint16_t(~(1u << fileOf(to)));
    return;
  }
  const Square from = m.from();
  const Piece moved = cells_[to];
  const Piece p = m.promotes() ? Piece(moved - PROMOTION) : moved;
  boardKey_ ^= zobrist.piece[from][p] ^ zobrist.piece[to][moved];
  cells_[from] = p;
  cells_[to] = captured;
  occupied_ |= squareBit(from);
  occupiedBy_[us] = (occupiedBy_[us] & ~squareBit(to)) | squareBit(from);
  if (isRanged(p)) ranged_[us] = (ranged_[us] & ~squareBit(to)) | squareBit(from);
  if (captured == EMPTY) {
    occupied_ &= ~squareBit(to);
  } else {
    occupiedBy_[~us] |= squareBit(to);
    if (isRanged(captured)) ranged_[~us] |= squareBit(to);
  }
  if (king_[us] == to) king_[us] = from;
  if (typeOf(p) == PAWN) {
    if (!m.promotes()) pawnFiles_[us] &= uint16_t(~(1u << fileOf(to)));
    pawnFiles_[us] |= uint16_t(1u << fileOf(from));
  }
  if (captured != EMPTY) {
    boardKey_ ^= zobrist.piece[to][captured];
    const PieceType gained = pieceRules[typeOf(captured)].handType;
    if (gained != NO_PIECE_TYPE) hands_[us] -= handUnit(gained);
    if (typeOf(captured) == PAWN) pawnFiles_[~us] |= uint16_t(1u << fileOf(to));
    if (pieceRules[typeOf(captured)].royal) king_[~us] = to;
  }
}

void Position::doFairyMove(Move m) {
  const Color us = side_;
  FairyUndo u;
  u.count = 0;
  u.hands[BLACK] = hands_[BLACK];
  u.hands[WHITE] = hands_[WHITE];
  u.kings[BLACK] = king_[BLACK];
  u.kings[WHITE] = king_[WHITE];
  u.pawnFiles[BLACK] = pawnFiles_[BLACK];
  u.pawnFiles[WHITE] = pawnFiles_[WHITE];
  u.boardKey = boardKey_;
  auto touch = [&](Square s) {
    u.squares[u.count] = s;
    u.pieces[u.count++] = cells_[s];
  };
  auto gain = [&](PieceType kind) {
    if (kind != NO_PIECE_TYPE) hands_[us] += handUnit(kind);
  };
  FairyEffect& effect = u.effect;
  const Square to = m.to();
  effect.landed = to;
  if (m.isDrop()) {
    touch(to);
    hands_[us] -= handUnit(m.dropped());
    put(to, makePiece(us, m.dropped()));
  } else {
    const Square from = m.from();
    touch(from);
    touch(to);
    const Piece piece = cells_[from];
    const Piece captured = cells_[to];
    const Piece moved = m.promotes() ? Piece(piece + PROMOTION) : piece;
    removeAt(from);
    removeAt(to);
    put(to, moved);
    // A royal piece is never captured in a legal move; one captured on the
    // way to a legality test is simply taken off.
    const PieceType kind = captured == EMPTY ? NO_PIECE_TYPE : pieceRules[typeOf(captured)].handType;
    if (kind != NO_PIECE_TYPE) {
      switch (rebirth_) {
        case Rebirth::NONE:
          gain(kind);
          break;
        case Rebirth::CIRCE: {
          // Reborn unpromoted on a free initial square of its own; else, or
          // when it would make two pawns on a file, into the capturer's hand.
          Square squares[2], free[2];
          const int n = initialSquares(~us, kind, fileOf(to), squares);
          int f = 0;
          for (int i = 0; i < n; ++i) {
            if (cells_[squares[i]] == EMPTY) free[f++] = squares[i];
          }
          if (f == 0 || (kind == PAWN && hasPawnOnFile(~us, fileOf(to)))) {
            gain(kind);
            break;
          }
          const Square r = f == 2 && m.leftRebirth() ? free[1] : free[0];
          touch(r);
          put(r, makePiece(~us, kind));
          effect.rebirth = r;
          effect.choice = f == 2;
          break;
        }
        case Rebirth::ANTI_CIRCE: {
          // The capturer goes to a free initial square of its own where it
          // leaves its king safe; with none it stays where it captured.
          gain(kind);
          Square squares[2], usable[2];
          const int n = initialSquares(us, baseType(typeOf(moved)), fileOf(to), squares);
          int f = 0;
          for (int i = 0; i < n; ++i) {
            const Square s = squares[i];
            if (s == to || cells_[s] != EMPTY) continue;
            touch(s);
            removeAt(to);
            put(s, moved);
            const bool safe = !inCheck(us);
            removeAt(s);
            put(to, moved);
            if (safe) usable[f++] = s;
          }
          if (f == 0) break;
          const Square r = f == 2 && m.leftRebirth() ? usable[1] : usable[0];
          removeAt(to);
          put(r, moved);
          effect.rebirth = effect.landed = r;
          effect.choice = f == 2;
          break;
        }
        case Rebirth::PWC:
          // The captured piece, as it stood, onto the capturer's square.
          put(from, captured);
          effect.rebirth = from;
          break;
      }
    }
  }
  side_ = ~us;
  boardKey_ ^= zobrist.side;
  fairyHistory_.push_back(u);
}

void Position::undoFairyMove() {
  const FairyUndo& u = fairyHistory_.back();
  for (int i = u.count; i-- > 0;) {
    cells_[u.squares[i]] = u.pieces[i];
    if (u.pieces[i] == EMPTY) {
      occupied_ &= ~squareBit(u.squares[i]);
      occupiedBy_[BLACK] &= ~squareBit(u.squares[i]);
      occupiedBy_[WHITE] &= ~squareBit(u.squares[i]);
    } else {
      occupied_ |= squareBit(u.squares[i]);
      occupiedBy_[colorOf(u.pieces[i])] |= squareBit(u.squares[i]);
      occupiedBy_[~colorOf(u.pieces[i])] &= ~squareBit(u.squares[i]);
    }
    ranged_[BLACK] &= ~squareBit(u.squares[i]);
    ranged_[WHITE] &= ~squareBit(u.squares[i]);
    if (u.pieces[i] != EMPTY && isRanged(u.pieces[i])) ranged_[colorOf(u.pieces[i])] |= squareBit(u.squares[i]);
  }
  hands_[BLACK] = u.hands[BLACK];
  hands_[WHITE] = u.hands[WHITE];
  king_[BLACK] = u.kings[BLACK];
  king_[WHITE] = u.kings[WHITE];
  pawnFiles_[BLACK] = u.pawnFiles[BLACK];
  pawnFiles_[WHITE] = u.pawnFiles[WHITE];
  boardKey_ = u.boardKey;
  side_ = ~side_;
  fairyHistory_.pop_back();
}

void Position::doNullMove() {
  side_ = ~side_;
  boardKey_ ^= zobrist.side;
}

bool Position::attacked(Square s, Color by) const { return attackedIgnoring(s, by, NO_SQUARE); }

bool Position::attackedIgnoring(Square s, Color by, Square ignored) const {
  const int b = bitOf(s);
  // The attacker's pieces a step away (the ignored square never holds one:
  // it is the other side's king).
  for (Bitboard near = stepNeighbourhood[b] & occupiedBy_[by]; near; near.clearLowest()) {
    const Square x = squareOfBit(lowestBit(near));
    if ((stepAttackers[by][s - x + STEP_ATTACK_OFFSET] >> typeOf(cells_[x])) & 1) return true;
  }
  return attackedFromAfarIgnoring(s, by, ignored) || (fairy_ && fairyKingAttacks(s, by, ignored));
}

bool Position::attackedFromAfarIgnoring(Square s, Color by, Square ignored) const {
  // Its ranged pieces along a line, with nothing between.
  const Bitboard ranged = ranged_[by];
  if (!ranged) return false;
  const int b = bitOf(s);
  const Bitboard occupied = ignored == NO_SQUARE ? occupied_ : occupied_ & ~squareBit(ignored);
  for (int i = 0; i < LINE_COUNT; ++i) {
    if (!(lineBeyond[b][i] & ranged)) continue;
    const Square x = nearestAlong(occupied, b, i);
    const Piece p = cells_[x];
    if (colorOf(p) == by && ((lineAttacks[by][i].far >> typeOf(p)) & 1)) return true;
  }
  return false;
}

bool Position::fairyKingAttacks(Square s, Color by, Square ignored) const {
  const Square k = king_[by];
  if (k == NO_SQUARE || k == ignored) return false;
  const PieceRules& r = pieceRules[typeOf(cells_[k])];
  const int kf = fileOf(k), kr = rankOf(k), sf = fileOf(s), sr = rankOf(s);
  auto onBoard = [](int f, int rank) { return f >= 1 && f <= 9 && rank >= 1 && rank <= 9; };
  auto occupied = [&](int f, int rank) {
    const Square x = square(f, rank);
    return x != ignored && cells_[x] != EMPTY;
  };
  for (int i = 0; i < r.fairyStepCount; ++i) {
    const PieceRules::FairyStep& st = r.fairySteps[i];
    int f = kf + st.df, rank = kr + st.dr;
    switch (st.motion) {
      case PieceRules::LEAP:
        if (f == sf && rank == sr) return true;
        break;
      case PieceRules::RIDE:
        for (; onBoard(f, rank); f += st.df, rank += st.dr) {
          if (f == sf && rank == sr) return true;
          if (occupied(f, rank)) break;
        }
        break;
      case PieceRules::HOP:
        // Over the first piece on the line, to the square right behind it.
        for (; onBoard(f, rank) && !(f == sf && rank == sr); f += st.df, rank += st.dr) {
          if (occupied(f, rank)) {
            if (f + st.df == sf && rank + st.dr == sr) return true;
            break;
          }
        }
        break;
    }
  }
  return false;
}

namespace {

const char kSfenLetters[] = " PLNSGBRK";

PieceType typeOfLetter(char c) {
  const char* at = std::strchr(kSfenLetters + 1, std::toupper(static_cast<unsigned char>(c)));
  return at && c != '\0' ? PieceType(at - kSfenLetters) : NO_PIECE_TYPE;
}

}  // namespace

bool Position::setSfen(const std::string& text, std::string* error) {
  auto fail = [&](const std::string& why) {
    if (error) *error = why;
    return false;
  };
  clear();
  size_t at = 0;
  int rank = 1, file = 9;
  for (; at < text.size() && text[at] != ' '; ++at) {
    const char c = text[at];
    if (c == '/') {
      if (file != 0) return fail("rank " + std::to_string(rank) + " does not have nine files");
      ++rank;
      file = 9;
      continue;
    }
    if (rank > 9) return fail("more than nine ranks");
    if (c >= '1' && c <= '9') {
      file -= c - '0';
      if (file < 0) return fail("rank " + std::to_string(rank) + " has more than nine files");
      continue;
    }
    bool promoted = false;
    char letter = c;
    if (c == '+') {
      promoted = true;
      if (++at >= text.size()) return fail("'+' at the end of the board");
      letter = text[at];
    }
    PieceType t = typeOfLetter(letter);
    if (t == NO_PIECE_TYPE) return fail(std::string("unknown piece '") + letter + "'");
    if (promoted) {
      if (pieceRules[t].promoted == NO_PIECE_TYPE) return fail(std::string("'") + letter + "' cannot promote");
      t = pieceRules[t].promoted;
    }
    if (file < 1) return fail("rank " + std::to_string(rank) + " has more than nine files");
    Color color = std::isupper(static_cast<unsigned char>(letter)) ? BLACK : WHITE;
    put(square(file, rank), makePiece(color, t));
    --file;
  }
  if (rank != 9 || file != 0) return fail("the board does not have nine full ranks");
  if (++at >= text.size()) return fail("no side to move");
  if (text[at] == 'b') {
    setSideToMove(BLACK);
  } else if (text[at] == 'w') {
    setSideToMove(WHITE);
  } else {
    return fail("side to move is not 'b' or 'w'");
  }
  ++at;
  if (at < text.size() && text[at] == ' ') ++at;
  if (at < text.size() && text[at] != '-') {
    int count = 0;
    for (; at < text.size() && text[at] != ' '; ++at) {
      const char c = text[at];
      if (c >= '0' && c <= '9') {
        count = count * 10 + (c - '0');
        if (count > 99) return fail("too many pieces in hand");
        continue;
      }
      PieceType t = typeOfLetter(c);
      if (t == NO_PIECE_TYPE || t == KING) return fail(std::string("unknown piece in hand '") + c + "'");
      Color color = std::isupper(static_cast<unsigned char>(c)) ? BLACK : WHITE;
      const int total = hand(color, t) + (count == 0 ? 1 : count);
      if (total > HAND_LIMIT[t]) return fail("more pieces in hand than the set has");
      setHand(color, t, total);
      count = 0;
    }
  }
  return true;
}

std::string Position::sfen() const {
  std::string s;
  for (int rank = 1; rank <= 9; ++rank) {
    int empty = 0;
    for (int file = 9; file >= 1; --file) {
      Piece p = cells_[square(file, rank)];
      if (p == EMPTY) {
        ++empty;
        continue;
      }
      if (empty) s += char('0' + empty);
      empty = 0;
      PieceType t = typeOf(p);
      if (pieceRules[t].royal) t = KING;
      if (t > KING) {
        s += '+';
        t = PieceType(t - PROMOTION);
      }
      char letter = kSfenLetters[t];
      s += colorOf(p) == BLACK ? letter : char(std::tolower(letter));
    }
    if (empty) s += char('0' + empty);
    if (rank < 9) s += '/';
  }
  s += side_ == BLACK ? " b " : " w ";
  std::string hands;
  for (Color c : {BLACK, WHITE}) {
    for (int t = ROOK; t >= PAWN; --t) {
      int n = hand(c, PieceType(t));
      if (n == 0) continue;
      if (n > 1) hands += std::to_string(n);
      char letter = kSfenLetters[t];
      hands += c == BLACK ? letter : char(std::tolower(letter));
    }
  }
  s += hands.empty() ? "-" : hands;
  s += " 1";
  return s;
}

std::string usiMove(Move m) {
  auto squareText = [](Square s) { return std::string(1, char('0' + fileOf(s))) + char('a' + rankOf(s) - 1); };
  if (m.isDrop()) return std::string(1, kSfenLetters[m.dropped()]) + "*" + squareText(m.to());
  return squareText(m.from()) + squareText(m.to()) + (m.promotes() ? "+" : "");
}

Move parseUsiMove(const Position& pos, const std::string& text) {
  auto squareOf = [](char f, char r) -> Square {
    if (f < '1' || f > '9' || r < 'a' || r > 'i') return NO_SQUARE;
    return square(f - '0', r - 'a' + 1);
  };
  if (text.size() == 4 && text[1] == '*') {
    PieceType t = typeOfLetter(text[0]);
    Square to = squareOf(text[2], text[3]);
    if (t == NO_PIECE_TYPE || t == KING || to == NO_SQUARE) return Move{};
    return Move::drop(t, to);
  }
  if (text.size() != 4 && !(text.size() == 5 && text[4] == '+')) return Move{};
  Square from = squareOf(text[0], text[1]), to = squareOf(text[2], text[3]);
  if (from == NO_SQUARE || to == NO_SQUARE || pos.at(from) == EMPTY) return Move{};
  return Move::board(from, to, text.size() == 5);
}

}  // namespace shogi
