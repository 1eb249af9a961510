// The plain reference for the fairy rules. Everything here is written out
// the long way: a position is a 9x9 array and two hands, every legal move
// is produced as the whole position after it, and each goal is an
// exhaustive search over those positions, memoised on the position text.
#include "support/fairy_reference.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace fairy_reference {
namespace {

constexpr int kBlack = 0;
constexpr int kWhite = 1;

int opponent(int color) { return 1 - color; }

// Piece kinds. A promoted kind is its base kind + kPromoted.
enum Kind : int {
  kEmpty = 0,
  kPawn = 1,
  kLance = 2,
  kKnight = 3,
  kSilver = 4,
  kGold = 5,
  kBishop = 6,
  kRook = 7,
  kKing = 8,
  kPromotedPawn = 9,
  kPromotedLance = 10,
  kPromotedKnight = 11,
  kPromotedSilver = 12,
  kHorse = 14,
  kDragon = 15,
};
constexpr int kPromoted = 8;

// A square's content: 0 empty, +kind for a Black piece, -kind for White.
using Cell = int;

int colorOf(Cell cell) { return cell > 0 ? kBlack : kWhite; }
int kindOf(Cell cell) { return cell > 0 ? cell : -cell; }
Cell makeCell(int kind, int color) { return color == kBlack ? kind : -kind; }
int baseKind(int kind) { return kind > kKing ? kind - kPromoted : kind; }
bool canPromote(int kind) { return kind >= kPawn && kind <= kRook && kind != kGold; }

// Rank counted from the side's own far end: 1 is the last rank it moves to.
int relativeRank(int rank, int color) { return color == kBlack ? rank : 10 - rank; }
bool inZone(int rank, int color) { return relativeRank(rank, color) <= 3; }

// Whether a piece of this kind standing on this rank could never move again.
bool isDead(int kind, int color, int rank) {
  const int rel = relativeRank(rank, color);
  if (kind == kPawn || kind == kLance) return rel == 1;
  if (kind == kKnight) return rel <= 2;
  return false;
}

bool onBoard(int file, int rank) { return file >= 1 && file <= 9 && rank >= 1 && rank <= 9; }

struct Square {
  int file;
  int rank;
};

struct Offset {
  int file;
  int rank;
};

// A position: the board, both hands and the side to move. The board is
// written only through set(), which also keeps the occupied squares and
// the kings' squares up to date.
class Position {
 public:
  Cell at(int file, int rank) const { return board_[file][rank]; }

  void set(int file, int rank, Cell cell) {
    const Cell old = at(file, rank);
    if (old != 0 && kindOf(old) == kKing) king_[colorOf(old)] = {0, 0};
    if (cell != 0 && kindOf(cell) == kKing) king_[colorOf(cell)] = {file, rank};
    board_[file][rank] = static_cast<int8_t>(cell);
    const uint64_t bit = uint64_t{1} << (bitIndex(file, rank) % 64);
    uint64_t& word = occupied_[bitIndex(file, rank) / 64];
    word = cell != 0 ? (word | bit) : (word & ~bit);
  }

  // Calls visit(file, rank, cell) for each occupied square; stops and
  // returns true as soon as visit returns true. (The occupied squares are
  // kept as bits only so that this need not look at all 81 squares.)
  template <class Visit>
  bool forEachPiece(Visit&& visit) const {
    for (int w = 0; w < 2; ++w) {
      for (uint64_t bits = occupied_[w]; bits != 0; bits &= bits - 1) {
        const int index = w * 64 + std::countr_zero(bits);
        const int file = index / 9 + 1;
        const int rank = index % 9 + 1;
        if (visit(file, rank, at(file, rank))) return true;
      }
    }
    return false;
  }

  // The text that identifies a position: board, hands and side to move.
  std::string key() const {
    std::string text;
    text.reserve(81 + 14 + 1 + 4);
    for (int file = 1; file <= 9; ++file)
      for (int rank = 1; rank <= 9; ++rank) text.push_back(static_cast<char>(at(file, rank) + 32));
    for (int color = 0; color < 2; ++color)
      for (int kind = kPawn; kind <= kRook; ++kind) text.push_back(static_cast<char>(hand[color][kind] + 32));
    text.push_back(side == kBlack ? 'b' : 'w');
    return text;
  }

  // The square of the king of `color`, or {0, 0} when it has none.
  Square king(int color) const { return king_[color]; }

  int hand[2][8] = {};  // [color][kind], kinds kPawn..kRook
  int side = kBlack;    // the side to move

 private:
  static int bitIndex(int file, int rank) { return (file - 1) * 9 + (rank - 1); }

  int8_t board_[10][10] = {};  // [file][rank], both 1..9; index 0 unused
  uint64_t occupied_[2] = {};  // bit (file - 1) * 9 + (rank - 1) set when occupied
  Square king_[2] = {{0, 0}, {0, 0}};
};

// ---------------------------------------------------------------------------
// Reading SFEN.

int kindFromLetter(char upper) {
  switch (upper) {
    case 'P': return kPawn;
    case 'L': return kLance;
    case 'N': return kKnight;
    case 'S': return kSilver;
    case 'G': return kGold;
    case 'B': return kBishop;
    case 'R': return kRook;
    case 'K': return kKing;
    default: return kEmpty;
  }
}

char toUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
bool isLower(char c) { return c >= 'a' && c <= 'z'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

Position parseSfen(const std::string& sfen) {
  std::vector<std::string> fields;
  std::string current;
  for (char c : sfen) {
    if (c == ' ') {
      if (!current.empty()) fields.push_back(current);
      current.clear();
    } else {
      current.push_back(c);
    }
  }
  if (!current.empty()) fields.push_back(current);
  if (fields.size() < 3) throw std::invalid_argument("sfen needs board, side and hands: " + sfen);

  Position pos;
  // The board: rank 1 first, each rank from file 9 down to file 1.
  int rank = 1;
  int file = 9;
  bool promoted = false;
  for (char c : fields[0]) {
    if (c == '/') {
      if (file != 0 || promoted) throw std::invalid_argument("sfen rank not complete: " + sfen);
      ++rank;
      file = 9;
      continue;
    }
    if (c == '+') {
      promoted = true;
      continue;
    }
    if (isDigit(c)) {
      file -= c - '0';
      if (file < 0 || promoted) throw std::invalid_argument("bad sfen rank: " + sfen);
      continue;
    }
    const int kind = kindFromLetter(toUpper(c));
    if (kind == kEmpty || rank > 9 || file < 1) throw std::invalid_argument("bad sfen board: " + sfen);
    if (promoted && !canPromote(kind)) throw std::invalid_argument("bad promoted piece in sfen: " + sfen);
    const int color = isLower(c) ? kWhite : kBlack;
    if (kind == kKing && pos.king(color).file != 0)
      throw std::invalid_argument("two kings of a side in sfen: " + sfen);
    pos.set(file, rank, makeCell(promoted ? kind + kPromoted : kind, color));
    promoted = false;
    --file;
  }
  if (rank != 9 || file != 0) throw std::invalid_argument("sfen board not 9x9: " + sfen);

  if (fields[1] == "b") {
    pos.side = kBlack;
  } else if (fields[1] == "w") {
    pos.side = kWhite;
  } else {
    throw std::invalid_argument("bad side in sfen: " + sfen);
  }

  // The hands: "-" or pieces, each with an optional count before it.
  if (fields[2] != "-") {
    int count = 0;
    for (char c : fields[2]) {
      if (isDigit(c)) {
        count = count * 10 + (c - '0');
        if (count > 18) throw std::invalid_argument("bad sfen hand count: " + sfen);
        continue;
      }
      const int kind = kindFromLetter(toUpper(c));
      if (kind == kEmpty || kind == kKing) throw std::invalid_argument("bad sfen hand: " + sfen);
      pos.hand[isLower(c) ? kWhite : kBlack][kind] += count == 0 ? 1 : count;
      count = 0;
    }
  }
  return pos;
}

// ---------------------------------------------------------------------------
// How pieces move.

// How one kind of piece of one side moves: single leaps (a one-square step
// is a leap too), rides that repeat a vector through empty stops, and the
// grasshopper's hop over the first piece on each rook or bishop line.
struct Movement {
  std::vector<Offset> leaps;
  std::vector<Offset> rides;
  bool hops = false;
};

// Every sign and order of the offset (a, b), each direction once.
void addSymmetric(std::vector<Offset>& out, int a, int b) {
  const int pairs[2][2] = {{a, b}, {b, a}};
  for (const auto& pair : pairs) {
    for (int sf : {1, -1}) {
      for (int sr : {1, -1}) {
        const Offset o{pair[0] * sf, pair[1] * sr};
        bool seen = false;
        for (const Offset& q : out) seen = seen || (q.file == o.file && q.rank == o.rank);
        if (!seen) out.push_back(o);
      }
    }
  }
}

Movement kingMovement(King king) {
  Movement m;
  switch (king) {
    case King::Normal: addSymmetric(m.leaps, 0, 1); addSymmetric(m.leaps, 1, 1); break;
    case King::Queen: addSymmetric(m.rides, 0, 1); addSymmetric(m.rides, 1, 1); break;
    case King::Nightrider: addSymmetric(m.rides, 1, 2); break;
    case King::Knight: addSymmetric(m.leaps, 1, 2); break;
    case King::Lion:
      for (int a = 0; a <= 2; ++a)
        for (int b = a; b <= 2; ++b)
          if (a != 0 || b != 0) addSymmetric(m.leaps, a, b);
      break;
    case King::Camel: addSymmetric(m.leaps, 1, 3); break;
    case King::Zebra: addSymmetric(m.leaps, 2, 3); break;
    case King::Kirin: addSymmetric(m.leaps, 1, 1); addSymmetric(m.leaps, 0, 2); break;
    case King::Phoenix: addSymmetric(m.leaps, 0, 1); addSymmetric(m.leaps, 2, 2); break;
    case King::Giraffe: addSymmetric(m.leaps, 1, 4); break;
    case King::FiveLeaper: addSymmetric(m.leaps, 0, 5); addSymmetric(m.leaps, 3, 4); break;
    case King::Root50Leaper: addSymmetric(m.leaps, 1, 7); addSymmetric(m.leaps, 5, 5); break;
    case King::Grasshopper: m.hops = true; break;
  }
  return m;
}

// The movement of a standard piece for Black, whose forward is rank - 1.
Movement blackPieceMovement(int kind) {
  const std::vector<Offset> gold = {{0, -1}, {-1, -1}, {1, -1}, {-1, 0}, {1, 0}, {0, 1}};
  const std::vector<Offset> orthogonal = {{0, -1}, {0, 1}, {-1, 0}, {1, 0}};
  const std::vector<Offset> diagonal = {{-1, -1}, {1, -1}, {-1, 1}, {1, 1}};
  Movement m;
  switch (kind) {
    case kPawn: m.leaps = {{0, -1}}; break;
    case kLance: m.rides = {{0, -1}}; break;
    case kKnight: m.leaps = {{-1, -2}, {1, -2}}; break;
    case kSilver: m.leaps = {{0, -1}, {-1, -1}, {1, -1}, {-1, 1}, {1, 1}}; break;
    case kGold:
    case kPromotedPawn:
    case kPromotedLance:
    case kPromotedKnight:
    case kPromotedSilver: m.leaps = gold; break;
    case kBishop: m.rides = diagonal; break;
    case kRook: m.rides = orthogonal; break;
    case kHorse: m.rides = diagonal; m.leaps = orthogonal; break;
    case kDragon: m.rides = orthogonal; m.leaps = diagonal; break;
    default: break;
  }
  return m;
}

// White's pieces move as Black's turned round.
Movement turnedRound(Movement m) {
  for (Offset& o : m.leaps) o.rank = -o.rank;
  for (Offset& o : m.rides) o.rank = -o.rank;
  return m;
}

struct Rules {
  Rebirth rebirth = Rebirth::None;
  Movement movement[2][16];  // [color][kind]

  explicit Rules(const Problem& problem) : rebirth(problem.rebirth) {
    for (int kind = kPawn; kind <= kDragon; ++kind) {
      if (kind == kKing) continue;
      movement[kBlack][kind] = blackPieceMovement(kind);
      movement[kWhite][kind] = turnedRound(movement[kBlack][kind]);
    }
    movement[kBlack][kKing] = kingMovement(problem.kings[0]);
    movement[kWhite][kKing] = kingMovement(problem.kings[1]);
  }
};

const Offset kQueenLines[8] = {{0, 1}, {0, -1}, {1, 0}, {-1, 0}, {1, 1}, {1, -1}, {-1, 1}, {-1, -1}};

// Calls visit(file, rank) for every square the piece on (file, rank) may
// move to by its movement: on the board, and empty or holding an enemy
// piece. Whether the move would leave its own king in check is not looked
// at. Stops and returns true as soon as visit returns true.
template <class Visit>
bool forEachTarget(const Rules& rules, const Position& pos, int file, int rank, Visit&& visit) {
  const Cell piece = pos.at(file, rank);
  const int color = colorOf(piece);
  const Movement& m = rules.movement[color][kindOf(piece)];

  auto open = [&](int f, int r) {
    return onBoard(f, r) && (pos.at(f, r) == 0 || colorOf(pos.at(f, r)) != color);
  };
  // A leap ignores anything in between.
  for (const Offset& o : m.leaps)
    if (open(file + o.file, rank + o.rank) && visit(file + o.file, rank + o.rank)) return true;
  // A ride repeats its vector while the stops are empty; the first occupied
  // stop ends the line and is a capture if it holds an enemy piece.
  for (const Offset& o : m.rides) {
    for (int f = file + o.file, r = rank + o.rank; onBoard(f, r); f += o.file, r += o.rank) {
      if (pos.at(f, r) == 0) {
        if (visit(f, r)) return true;
        continue;
      }
      if (colorOf(pos.at(f, r)) != color && visit(f, r)) return true;
      break;
    }
  }
  // A hop goes along the line to the first piece of either side, then lands
  // one square past it.
  if (m.hops) {
    for (const Offset& o : kQueenLines) {
      for (int f = file + o.file, r = rank + o.rank; onBoard(f, r); f += o.file, r += o.rank) {
        if (pos.at(f, r) == 0) continue;
        if (open(f + o.file, r + o.rank) && visit(f + o.file, r + o.rank)) return true;
        break;
      }
    }
  }
  return false;
}

// Whether the piece on (file, rank) could move to (tf, tr) by its movement:
// the same answer as looking for (tf, tr) among forEachTarget's squares,
// found by trying only the vectors that point there.
bool canMoveTo(const Rules& rules, const Position& pos, int file, int rank, int tf, int tr) {
  const Cell piece = pos.at(file, rank);
  const int color = colorOf(piece);
  if (!onBoard(tf, tr) || (tf == file && tr == rank)) return false;
  if (pos.at(tf, tr) != 0 && colorOf(pos.at(tf, tr)) == color) return false;
  const Movement& m = rules.movement[color][kindOf(piece)];
  const int df = tf - file;
  const int dr = tr - rank;
  for (const Offset& o : m.leaps)
    if (o.file == df && o.rank == dr) return true;
  for (const Offset& o : m.rides) {
    // (df, dr) must be a whole number n >= 1 of the ride's vector, with the
    // n - 1 stops before the target empty.
    if (df * o.rank != dr * o.file) continue;  // not parallel
    const int n = (std::abs(df) + std::abs(dr)) / (std::abs(o.file) + std::abs(o.rank));
    if (n < 1 || n * o.file != df || n * o.rank != dr) continue;
    bool clear = true;
    for (int i = 1; i < n && clear; ++i) clear = pos.at(file + i * o.file, rank + i * o.rank) == 0;
    if (clear) return true;
  }
  if (m.hops && (df == 0 || dr == 0 || std::abs(df) == std::abs(dr))) {
    // The target must be the square right behind the first piece on the line.
    const int sf = (df > 0) - (df < 0);
    const int sr = (dr > 0) - (dr < 0);
    for (int f = file + sf, r = rank + sr; f != tf || r != tr; f += sf, r += sr) {
      if (pos.at(f, r) != 0) return f + sf == tf && r + sr == tr;
    }
  }
  return false;
}

// Whether the king of `color` is in check: whether some enemy piece could
// move to its square by its movement. A side without a king never is.
bool inCheck(const Rules& rules, const Position& pos, int color) {
  const Square king = pos.king(color);
  if (king.file == 0) return false;
  return pos.forEachPiece([&](int f, int r, Cell cell) {
    return colorOf(cell) != color && canMoveTo(rules, pos, f, r, king.file, king.rank);
  });
}

bool hasUnpromotedPawnOnFile(const Position& pos, int color, int file) {
  for (int r = 1; r <= 9; ++r)
    if (pos.at(file, r) == makeCell(kPawn, color)) return true;
  return false;
}

void addToHand(Position& pos, int color, int kind) {
  const int base = baseKind(kind);
  if (base >= kPawn && base <= kRook) ++pos.hand[color][base];
}

// The initial squares of an unpromoted kind for its side in the standard
// setup.
std::vector<Square> initialSquares(int kind, int color) {
  std::vector<Square> black;  // as seen for Black; White's are turned round
  switch (kind) {
    case kPawn:
      for (int f = 1; f <= 9; ++f) black.push_back({f, 7});
      break;
    case kLance: black = {{1, 9}, {9, 9}}; break;
    case kKnight: black = {{2, 9}, {8, 9}}; break;
    case kSilver: black = {{3, 9}, {7, 9}}; break;
    case kGold: black = {{4, 9}, {6, 9}}; break;
    case kBishop: black = {{8, 8}}; break;
    case kRook: black = {{2, 8}}; break;
    case kKing: black = {{5, 9}}; break;
    default: break;
  }
  if (color == kBlack) return black;
  std::vector<Square> white;
  for (const Square& s : black) white.push_back({10 - s.file, 10 - s.rank});
  return white;
}

// The initial squares of the piece's unpromoted kind nearest, by file, to
// a capture on `file`: one square, or two when two are equally near.
std::vector<Square> nearestInitialSquares(int kind, int color, int file) {
  const std::vector<Square> all = initialSquares(baseKind(kind), color);
  int best = 100;
  for (const Square& s : all) best = std::min(best, std::abs(s.file - file));
  std::vector<Square> nearest;
  for (const Square& s : all)
    if (std::abs(s.file - file) == best) nearest.push_back(s);
  return nearest;
}

// ---------------------------------------------------------------------------
// Legal moves.

template <class Visit>
bool forEachLegalMove(const Rules& rules, const Position& pos, bool checksOnly, Visit&& visit);

bool hasLegalMove(const Rules& rules, const Position& pos) {
  return forEachLegalMove(rules, pos, false, [](const Position&) { return true; });
}

// Calls visit(next) with the position after each legal move of the side to
// move, once per distinct move (promotion or not, and each rebirth square
// the capturer may choose, are different moves). With checksOnly, only the
// moves that give check. Stops and returns true as soon as visit returns
// true.
template <class Visit>
bool forEachLegalMove(const Rules& rules, const Position& pos, bool checksOnly, Visit&& visit) {
  const int side = pos.side;
  const int other = opponent(side);

  // A move is legal when the mover's king is not in check afterwards and
  // the piece that moved, now on `rank`, can still move from there.
  auto finish = [&](const Position& next, int kind, int rank) {
    if (checksOnly && !inCheck(rules, next, other)) return false;
    if (inCheck(rules, next, side)) return false;
    if (isDead(kind, side, rank)) return false;
    return visit(next);
  };

  // The moves of one piece on the board.
  auto pieceMoves = [&](int file, int rank) {
    const int kind = kindOf(pos.at(file, rank));
    return forEachTarget(rules, pos, file, rank, [&](int tf, int tr) {
      const Cell captured = pos.at(tf, tr);
      const bool mayPromote = canPromote(kind) && (inZone(rank, side) || inZone(tr, side));
      for (int promote = 0; promote <= (mayPromote ? 1 : 0); ++promote) {
        const int movedKind = promote ? kind + kPromoted : kind;
        Position next = pos;
        next.set(file, rank, 0);
        next.set(tf, tr, makeCell(movedKind, side));
        next.side = other;

        if (captured == 0) {
          if (finish(next, movedKind, tr)) return true;
          continue;
        }

        switch (rules.rebirth) {
          case Rebirth::None: {
            addToHand(next, side, kindOf(captured));
            if (finish(next, movedKind, tr)) return true;
            break;
          }
          case Rebirth::Circe: {
            // The captured piece, unpromoted, returns to its owner's nearest
            // initial square if that square is free (and, for a pawn, its
            // owner has no unpromoted pawn on that file); if not, it goes to
            // the capturer's hand.
            const int rebornKind = baseKind(kindOf(captured));
            std::vector<Square> free;
            for (const Square& s : nearestInitialSquares(rebornKind, other, tf))
              if (next.at(s.file, s.rank) == 0) free.push_back(s);
            if (rebornKind == kPawn && hasUnpromotedPawnOnFile(next, other, tf)) free.clear();
            if (free.empty()) {
              addToHand(next, side, rebornKind);
              if (finish(next, movedKind, tr)) return true;
              break;
            }
            for (const Square& s : free) {
              Position reborn = next;
              reborn.set(s.file, s.rank, makeCell(rebornKind, other));
              if (finish(reborn, movedKind, tr)) return true;
            }
            break;
          }
          case Rebirth::AntiCirce: {
            // The captured piece goes to the hand; the capturer, as it now
            // is, goes to its own nearest initial square if that square is
            // free and its king would not be in check. With no such square
            // it stays where it captured.
            addToHand(next, side, kindOf(captured));
            bool anyUsable = false;
            for (const Square& s : nearestInitialSquares(movedKind, side, tf)) {
              const bool isCaptureSquare = s.file == tf && s.rank == tr;
              if (!isCaptureSquare && next.at(s.file, s.rank) != 0) continue;
              Position reborn = next;
              reborn.set(tf, tr, 0);
              reborn.set(s.file, s.rank, makeCell(movedKind, side));
              if (inCheck(rules, reborn, side)) continue;
              anyUsable = true;
              if (finish(reborn, movedKind, s.rank)) return true;
            }
            if (!anyUsable && finish(next, movedKind, tr)) return true;
            break;
          }
          case Rebirth::Pwc: {
            // The captured piece, as it was, takes the capturer's origin.
            next.set(file, rank, captured);
            if (finish(next, movedKind, tr)) return true;
            break;
          }
        }
      }
      return false;
    });
  };

  // The king's moves first: in check they are the likeliest escapes, so a
  // look for any legal move ends sooner.
  const Square king = pos.king(side);
  if (king.file != 0 && pieceMoves(king.file, king.rank)) return true;
  const bool stopped = pos.forEachPiece([&](int file, int rank, Cell cell) {
    return colorOf(cell) == side && kindOf(cell) != kKing && pieceMoves(file, rank);
  });
  if (stopped) return true;

  // Drops.
  for (int kind = kPawn; kind <= kRook; ++kind) {
    if (pos.hand[side][kind] == 0) continue;
    for (int file = 1; file <= 9; ++file) {
      if (kind == kPawn && hasUnpromotedPawnOnFile(pos, side, file)) continue;
      for (int rank = 1; rank <= 9; ++rank) {
        if (pos.at(file, rank) != 0 || isDead(kind, side, rank)) continue;
        Position next = pos;
        next.set(file, rank, makeCell(kind, side));
        --next.hand[side][kind];
        next.side = other;
        const bool givesCheck = inCheck(rules, next, other);
        if (checksOnly && !givesCheck) continue;
        if (inCheck(rules, next, side)) continue;
        // A pawn drop may not mate.
        if (kind == kPawn && givesCheck && !hasLegalMove(rules, next)) continue;
        if (visit(next)) return true;
      }
    }
  }
  return false;
}

std::vector<Position> legalMoves(const Rules& rules, const Position& pos) {
  std::vector<Position> out;
  forEachLegalMove(rules, pos, false, [&](const Position& next) {
    out.push_back(next);
    return false;
  });
  return out;
}

// Whether the side to move is in check with no legal move.
bool isCheckmated(const Rules& rules, const Position& pos) {
  return inCheck(rules, pos, pos.side) && !hasLegalMove(rules, pos);
}

uint64_t countLeaves(const Rules& rules, const Position& pos, int depth) {
  if (depth <= 0) return 1;
  uint64_t total = 0;
  forEachLegalMove(rules, pos, false, [&](const Position& next) {
    total += countLeaves(rules, next, depth - 1);
    return false;
  });
  return total;
}

// ---------------------------------------------------------------------------
// The searches. Each function answers for the position and the plies left,
// and remembers its answers under the position's key, the plies and a
// letter naming the function. Black's moves are always checks, so only
// those are generated for Black.

class Search {
 public:
  explicit Search(const Rules& rules) : rules_(rules) {}

  // Mate, Black to move: some check after which White is mated within
  // j - 1 plies.
  bool attackerMates(const Position& pos, int j) {
    if (j < 1) return false;
    return remembered('a', pos, j, [&] {
      return forEachLegalMove(rules_, pos, true,
                              [&](const Position& next) { return defenderMated(next, j - 1); });
    });
  }

  // Mate, White to move: checkmated now, or every reply leads to a mate
  // within j - 1 plies.
  bool defenderMated(const Position& pos, int j) {
    return remembered('d', pos, j, [&] {
      if (j < 2) return isCheckmated(rules_, pos);
      const std::vector<Position> replies = legalMoves(rules_, pos);
      if (replies.empty()) return inCheck(rules_, pos, kWhite);
      for (const Position& next : replies)
        if (!attackerMates(next, j - 1)) return false;
      return true;
    });
  }

  // Helpmate: some line of at most j plies, every Black move a check,
  // ending right after a Black move with White checkmated.
  bool helpmate(const Position& pos, int j) {
    if (j < 1) return false;
    return remembered('h', pos, j, [&] {
      if (pos.side == kWhite)
        return forEachLegalMove(rules_, pos, false,
                                [&](const Position& next) { return helpmate(next, j - 1); });
      return forEachLegalMove(rules_, pos, true, [&](const Position& next) {
        return !hasLegalMove(rules_, next) || helpmate(next, j - 1);
      });
    });
  }

  // Selfmate, Black to move: Black checkmated now, or some check that
  // leaves White a reply, after which every White reply leads to a
  // selfmate within j - 2 plies.
  bool attackerForces(const Position& pos, int j) {
    return remembered('s', pos, j, [&] {
      if (isCheckmated(rules_, pos)) return true;
      if (j < 2) return false;
      return forEachLegalMove(rules_, pos, true, [&](const Position& next) {
        const std::vector<Position> replies = legalMoves(rules_, next);
        if (replies.empty()) return false;  // that check mates White
        for (const Position& reply : replies)
          if (!attackerForces(reply, j - 2)) return false;
        return true;
      });
    });
  }

  // Helpselfmate: some line of at most j plies, every Black move a check
  // that does not mate White, ending right after a White move that
  // checkmates Black (or now, Black to move and already checkmated).
  bool helpselfmate(const Position& pos, int j) {
    return remembered('x', pos, j, [&] {
      if (pos.side == kBlack) {
        if (isCheckmated(rules_, pos)) return true;
        if (j < 2) return false;
        // A check that mates White leaves it no reply, so the line cannot go
        // on from there: the White ply below finds nothing.
        return forEachLegalMove(rules_, pos, true,
                                [&](const Position& next) { return helpselfmate(next, j - 1); });
      }
      if (j < 1) return false;
      return forEachLegalMove(rules_, pos, false,
                              [&](const Position& next) { return helpselfmate(next, j - 1); });
    });
  }

 private:
  template <class Compute>
  bool remembered(char what, const Position& pos, int j, Compute&& compute) {
    std::string key = pos.key();
    key.push_back(what);
    key += std::to_string(j);
    const auto found = memo_.find(key);
    if (found != memo_.end()) return found->second;
    const bool answer = compute();
    memo_.emplace(std::move(key), answer);
    return answer;
  }

  const Rules& rules_;
  std::unordered_map<std::string, bool> memo_;
};

}  // namespace

uint64_t perft(const Problem& problem, int depth) {
  const Rules rules(problem);
  return countLeaves(rules, parseSfen(problem.sfen), depth);
}

bool reaches(const Problem& problem, Goal goal, int plies) {
  if (plies < 0) return false;
  const Rules rules(problem);
  const Position pos = parseSfen(problem.sfen);
  Search search(rules);
  switch (goal) {
    case Goal::Mate:
      return pos.side == kBlack && search.attackerMates(pos, plies);
    case Goal::Helpmate:
      return search.helpmate(pos, plies);
    case Goal::Selfmate:
      return pos.side == kBlack && search.attackerForces(pos, plies - plies % 2);
    case Goal::Helpselfmate:
      return search.helpselfmate(pos, plies);
  }
  return false;
}

}  // namespace fairy_reference
