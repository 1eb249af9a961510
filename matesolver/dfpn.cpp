#include "matesolver/dfpn.h"

#include "matesolver/memory.h"

#include <algorithm>
#include <cstdlib>
#include <new>

namespace matesolver {

using namespace shogi;

namespace {

constexpr uint32_t INF = INFINITE_PN;
// The largest bound an entry can hold: a disproof under it holds for every bound.
constexpr int MAX_BOUND = INT16_MAX;

// Infinite only for a proof or disproof: a sum of finite numbers stops just
// below it, so that a position whose numbers have grown that large (long
// lines count shared positions many times over) is still searched.
constexpr uint32_t LARGEST = INF - 1;
uint32_t add(uint32_t a, uint32_t b) {
  if (a >= INF || b >= INF) return INF;
  return std::min<uint64_t>(uint64_t(a) + b, LARGEST);
}

// A threshold a little above the second-best value, so that the search
// does not switch back and forth between two children of equal promise.
uint32_t widen(uint32_t second) {
  if (second >= INF) return INF;
  return std::min<uint64_t>(uint64_t(second) + 1 + second / 4, INF);
}

uint64_t tableKey(uint64_t boardKey) { return boardKey | 1; }


PackedHand dropUnit(Move m) { return m.isDrop() ? handUnit(m.dropped()) : 0; }

PackedHand handMax(PackedHand a, PackedHand b) {
  PackedHand h = 0;
  for (int t = PAWN; t <= ROOK; ++t) {
    h += handUnit(PieceType(t)) * PackedHand(std::max(handCount(a, PieceType(t)), handCount(b, PieceType(t))));
  }
  return h;
}

// The attacker's hand a proof by move m needs, given what the proof after it
// needs: the piece dropped, less a piece the move captures into the hand
// (under Circe a captured piece may be reborn instead).
PackedHand proofBefore(Position& pos, Move m, PackedHand after) {
  if (m.isDrop()) return after + handUnit(m.dropped());
  const Piece captured = pos.at(m.to());
  if (captured == EMPTY) return after;
  PieceType kind = pieceRules[typeOf(captured)].handType;
  if (pos.rebirth() == Rebirth::CIRCE) {
    const PackedHand before = pos.packedHand(BLACK);
    pos.doMove(m);
    if (pos.packedHand(BLACK) == before) kind = NO_PIECE_TYPE;
    pos.undoMove(m);
  } else if (pos.rebirth() == Rebirth::PWC) {
    kind = NO_PIECE_TYPE;
  }
  if (kind != NO_PIECE_TYPE && handCount(after, kind) > 0) return after - handUnit(kind);
  return after;
}

// Whether m is one of the excluded moves, whichever rebirth square it takes.
bool isExcluded(const std::vector<Move>& excluded, Move m) {
  return std::any_of(excluded.begin(), excluded.end(), [m](Move e) { return e.plain() == m.plain(); });
}

uint8_t workLog(uint32_t work) {
  uint8_t n = 0;
  while (work > 1) {
    work >>= 1;
    ++n;
  }
  return n;
}

}  // namespace

// ---------------------------------------------------------------------------
// Transposition table

TranspositionTable::TranspositionTable(size_t megabytes, size_t startMegabytes) {
  auto clustersIn = [](size_t mib) {
    const size_t bytes = std::max<size_t>(mib, 1) << 20;
    size_t clusters = 1;
    while (clusters * 2 * CLUSTER * sizeof(TTEntry) <= bytes) clusters *= 2;
    return clusters;
  };
  // The whole size is taken at once, so that growing can neither fail nor
  // hold two tables; the system backs only the part in use.
  largestClusters_ = clustersIn(megabytes);
  constexpr size_t alignment = CLUSTER * sizeof(TTEntry);
  memory_.reset(allocateTable(largestClusters_ * CLUSTER * sizeof(TTEntry) + alignment));
  if (!memory_) throw std::bad_alloc();
  const uintptr_t start = (reinterpret_cast<uintptr_t>(memory_.get()) + alignment - 1) & ~uintptr_t(alignment - 1);
  entries_ = reinterpret_cast<TTEntry*>(start);
  const size_t clusters = std::min(largestClusters_, clustersIn(startMegabytes));
  count_ = clusters * CLUSTER;
  mask_ = clusters - 1;
}

void TranspositionTable::grow() {
  const size_t oldClusters = mask_ + 1;
  count_ = largestClusters_ * CLUSTER;
  mask_ = largestClusters_ - 1;
  // Each entry of the old part is taken out and stored anew, so that it
  // lands where the larger table looks for it (a board's many unresolved
  // entries spilling as they would have). One that lands in an old cluster
  // not yet taken out is moved again, to the same place.
  for (size_t k = 0; k < oldClusters; ++k) {
    TTEntry moved[CLUSTER];
    TTEntry* c = &entries_[k * CLUSTER];
    for (size_t i = 0; i < CLUSTER; ++i) {
      moved[i] = c[i];
      if (c[i].state != EMPTY_SLOT) --filled_;
      c[i] = TTEntry{};
    }
    for (const TTEntry& e : moved) {
      const uint32_t work = uint32_t(1) << e.work;
      switch (e.state) {
        case PROVEN:
          storeProven(e.key, e.attacker, e.defender, e.depth, Move{e.best}, work);
          break;
        case DISPROVEN:
          storeDisproven(e.key, e.attacker, e.defender, e.depth, work);
          break;
        case UNKNOWN:
          storeUnknown(e.key, e.attacker, e.defender, e.depth, e.pn, e.dn, work);
          break;
        default:
          break;
      }
    }
  }
}

TranspositionTable::Probe TranspositionTable::probe(uint64_t key, PackedHand attacker, PackedHand defender,
                                                     int bound) const {
  key = tableKey(key);
  Probe result;
  int unresolved = 0;
  const TTEntry* c = cluster(key);
  // The four lines load together.
  for (size_t line = 0; line < CLUSTER * sizeof(TTEntry); line += 64) {
    __builtin_prefetch(reinterpret_cast<const char*>(c) + line);
  }
  for (size_t i = 0; i < CLUSTER; ++i) {
    const TTEntry& e = c[i];
    if (e.key != key) continue;
    if (e.state == PROVEN) {
      // The attacker holds at least as much, the defender at most as much.
      if (bound >= e.depth && handCovers(attacker, e.attacker) && handCovers(e.defender, defender)) {
        result.state = PROVEN;
        result.pn = 0;
        result.dn = INF;
        result.length = e.depth;
        result.best = Move{e.best};
        result.proofHand = e.attacker;
        result.found = true;
        return result;
      }
    } else if (e.state == DISPROVEN) {
      if (bound <= e.depth && handCovers(e.attacker, attacker) && handCovers(defender, e.defender)) {
        result.state = DISPROVEN;
        result.pn = INF;
        result.dn = 0;
        result.found = true;
        return result;
      }
    } else {
      ++unresolved;
      if (e.attacker == attacker && e.defender == defender && e.depth == bound) {
        // Unresolved: the same hands and bound only. A proof or disproof
        // further on still wins.
        result.pn = e.pn;
        result.dn = e.dn;
        result.found = true;
      }
    }
  }
  if (result.found || unresolved < SPILL_AFTER) return result;
  const TTEntry* u = cluster(spillKey(key, attacker, defender, bound));
  for (size_t i = 0; i < CLUSTER; ++i) {
    const TTEntry& e = u[i];
    if (e.key == key && e.state == UNKNOWN && e.attacker == attacker && e.defender == defender &&
        e.depth == bound) {
      result.pn = e.pn;
      result.dn = e.dn;
      result.found = true;
      break;
    }
  }
  return result;
}

int TranspositionTable::unresolvedOf(const TTEntry* c, uint64_t key) {
  int n = 0;
  for (size_t i = 0; i < CLUSTER; ++i) n += c[i].key == key && c[i].state == UNKNOWN;
  return n;
}

uint64_t TranspositionTable::spillKey(uint64_t key, PackedHand attacker, PackedHand defender, int bound) {
  uint64_t h = key ^ ((uint64_t(attacker) << 32 | defender) * 0x9E3779B97F4A7C15ull) ^
               (uint64_t(uint16_t(bound)) * 0xD6E8FEB86659FD93ull);
  h ^= h >> 31;
  h *= 0xBF58476D1CE4E5B9ull;
  return h ^ (h >> 29);
}

void TranspositionTable::prefetch(uint64_t key) const {
  // The cluster's first line only: a node prefetches for all its children
  // at once, and more lines each would keep the memory queue full (measured
  // slower); the probe loads the rest.
  __builtin_prefetch(cluster(tableKey(key)));
}

TTEntry& TranspositionTable::slotFor(TTEntry* c, uint64_t key, PackedHand attacker, PackedHand defender, uint8_t state,
                                     int depth) {
  TTEntry* victim = nullptr;
  for (size_t i = 0; i < CLUSTER; ++i) {
    TTEntry& e = c[i];
    if (e.key == key && e.attacker == attacker && e.defender == defender && e.state == state &&
        (state != UNKNOWN || e.depth == depth)) {
      return e;
    }
  }
  for (size_t i = 0; i < CLUSTER; ++i) {
    TTEntry& e = c[i];
    if (e.state == EMPTY_SLOT) {
      ++filled_;
      return e;
    }
    // Evict unresolved entries first, then the cheapest.
    auto cost = [](const TTEntry& x) { return int(x.work) + (x.state == UNKNOWN ? 0 : 64); };
    if (victim == nullptr || cost(e) < cost(*victim)) victim = &e;
  }
  *victim = TTEntry{};
  return *victim;
}

void TranspositionTable::storeProven(uint64_t key, PackedHand attacker, PackedHand defender, int length, Move best,
                                     uint32_t work) {
  key = tableKey(key);
  TTEntry& e = slotFor(cluster(key), key, attacker, defender, PROVEN, length);
  if (e.state == PROVEN && e.depth <= length) return;
  e = TTEntry{key, attacker, defender, 0, INF, best.raw, int16_t(length), PROVEN, workLog(work)};
  growIfFilling();
}

void TranspositionTable::storeDisproven(uint64_t key, PackedHand attacker, PackedHand defender, int bound,
                                        uint32_t work) {
  key = tableKey(key);
  TTEntry& e = slotFor(cluster(key), key, attacker, defender, DISPROVEN, bound);
  if (e.state == DISPROVEN && e.depth >= bound) return;
  e = TTEntry{key, attacker, defender, INF, 0, 0, int16_t(bound), DISPROVEN, workLog(work)};
  growIfFilling();
}

void TranspositionTable::storeUnknown(uint64_t key, PackedHand attacker, PackedHand defender, int bound, uint32_t pn,
                                      uint32_t dn, uint32_t work) {
  key = tableKey(key);
  TTEntry* c = cluster(key);
  const TTEntry entry{key, attacker, defender, pn, dn, 0, int16_t(bound), UNKNOWN, workLog(work)};
  int unresolved = 0;
  for (size_t i = 0; i < CLUSTER; ++i) {
    TTEntry& e = c[i];
    if (e.key != key || e.state != UNKNOWN) continue;
    if (e.attacker == attacker && e.defender == defender && e.depth == bound) {
      e = entry;
      return;
    }
    ++unresolved;
  }
  // A board with many unresolved entries (many hands, many bounds) puts
  // further ones in clusters of their own rather than push out its proofs.
  if (unresolved >= SPILL_AFTER) c = cluster(spillKey(key, attacker, defender, bound));
  slotFor(c, key, attacker, defender, UNKNOWN, bound) = entry;
  growIfFilling();
}

void TranspositionTable::forgetUnknown(uint64_t key, PackedHand attacker, PackedHand defender, int bound) {
  key = tableKey(key);
  TTEntry* c = cluster(key);
  const bool spilled = unresolvedOf(c, key) >= SPILL_AFTER;
  auto forget = [&](TTEntry* in) {
    for (size_t i = 0; i < CLUSTER; ++i) {
      TTEntry& e = in[i];
      if (e.key == key && e.state == UNKNOWN && e.attacker == attacker && e.defender == defender &&
          e.depth == bound) {
        e = TTEntry{};
        --filled_;
      }
    }
  };
  forget(c);
  if (spilled) forget(cluster(spillKey(key, attacker, defender, bound)));
}

size_t TranspositionTable::used() const {
  const TTEntry* e = entries_;
  return size_t(std::count_if(e, e + count_, [](const TTEntry& x) { return x.state != EMPTY_SLOT; }));
}

// ---------------------------------------------------------------------------
// Interpositions

Interposition interpositionSquares(const Position& pos) {
  Interposition result;
  const Color defender = pos.sideToMove();
  const Color attacker = ~defender;
  const Square king = pos.kingSquare(defender);
  if (king == NO_SQUARE) return result;
  int checkers = 0;
  for (int i = 0; i < attackRayCount[attacker]; ++i) {
    const AttackRay& r = attackRays[attacker][i];
    Square x = king - r.delta;
    Piece p = pos.at(x);
    if (p == WALL) continue;
    if (p != EMPTY) {
      if (colorOf(p) == attacker && (((r.stepMask | r.slideMask) >> typeOf(p)) & 1)) ++checkers;
      continue;
    }
    if (r.slideMask == 0) continue;
    Interposition line;
    while (p == EMPTY) {
      line.squares[line.count++] = x;
      x -= r.delta;
      p = pos.at(x);
    }
    if (p != WALL && colorOf(p) == attacker && ((r.slideMask >> typeOf(p)) & 1)) {
      ++checkers;
      line.checker = x;
      result = line;
    }
  }
  // A fairy king that checks: a nightrider from afar along its line of
  // leaps, whose empty stops a drop can close; the others leap or hop.
  if (pos.fairyKingChecks(attacker)) {
    ++checkers;
    const Square from = pos.kingSquare(attacker);
    const PieceRules& r = pieceRules[typeOf(pos.at(from))];
    for (int i = 0; i < r.fairyStepCount; ++i) {
      const PieceRules::FairyStep& st = r.fairySteps[i];
      if (st.motion != PieceRules::RIDE) continue;
      Interposition line;
      int f = fileOf(from) + st.df, rank = rankOf(from) + st.dr;
      while (f >= 1 && f <= 9 && rank >= 1 && rank <= 9 && pos.at(square(f, rank)) == EMPTY) {
        line.squares[line.count++] = square(f, rank);
        f += st.df;
        rank += st.dr;
      }
      if (f >= 1 && f <= 9 && rank >= 1 && rank <= 9 && square(f, rank) == king) {
        line.checker = from;
        result = line;
      }
    }
  }
  if (checkers != 1) return Interposition{};
  return result;
}

// ---------------------------------------------------------------------------
// The search

MateSearch::MateSearch(size_t megabytes) : lines_(1 << 17), table_(megabytes) { children_.reserve(1 << 16); }

void MateSearch::checkLimits() {
  if (nodes < nextLimitCheck_) return;
  nextLimitCheck_ = nodes + 4096;
  limits.poll(nodes);
}

int MateSearch::onPath(uint64_t board, PackedHand attacker, PackedHand defender) const {
  if (pathBoards_[pathSlot(board)] == 0) return NO_LOOP;
  // The deepest such position: the cut-off rests on as little of the line as can be.
  for (size_t i = path_.size(); i-- > 0;) {
    const PathEntry& e = path_[i];
    if (e.board != board) continue;
    if (e.exactOnly ? (e.attacker == attacker && e.defender == defender)
                    : (handCovers(e.attacker, attacker) && handCovers(defender, e.defender))) {
      return int(i);
    }
  }
  return NO_LOOP;
}

MateSearch::Option MateSearch::firstLook(Position& pos, int bound) {
  MoveList checks;
  generateChecks(pos, checks);
  const uint64_t key = keyOf(pos);
  const PackedHand attacker = pos.packedHand(BLACK), defender = pos.packedHand(WHITE);
  if (checks.size == 0) {
    // No check, no mate at any bound.
    table_.storeDisproven(key, attacker, defender, MAX_BOUND, 1);
    return Option{INF, 0, 0, NO_LOOP};
  }
  if (selfmate_) {
    table_.storeUnknown(key, attacker, defender, bound, 1, uint32_t(checks.size), 1);
    return Option{1, uint32_t(checks.size), 0, NO_LOOP};
  }
  // With one ply left a check that leaves a reply other than a drop fails
  // at once; one answered by drops only may still mate when they are
  // futile, which the search finds out.
  Move mate;
  const OnePly look = onePlyLook(pos, checks, mate);
  if (look == OnePly::MATE) {
    table_.storeProven(key, dropUnit(mate), defender, 1, mate, 1);
    return Option{0, INF, 1, NO_LOOP, dropUnit(mate)};
  }
  if (bound == 1 && look == OnePly::NONE) {
    table_.storeDisproven(key, attacker, defender, 1, 1);
    return Option{INF, 0, 0, NO_LOOP};
  }
  if (bound == 3 && !pos.fairy()) {
    Option settled;
    if (threePlyLook(pos, checks, settled)) return settled;
  }
  table_.storeUnknown(key, attacker, defender, bound, 1, uint32_t(checks.size), 1);
  return Option{1, uint32_t(checks.size), 0, NO_LOOP};
}

MateSearch::OnePly MateSearch::onePlyLook(Position& pos, const MoveList& checks, Move& mate) {
  bool open = false;
  for (Move m : checks) {
    pos.doMove(m);
    const Move reply = firstReply(pos);
    pos.undoMove(m);
    if (reply.isNull()) {
      mate = m;
      return OnePly::MATE;
    }
    open = open || (futileRule && reply.isDrop());
  }
  return open ? OnePly::OPEN : OnePly::NONE;
}

bool MateSearch::threePlyLook(Position& pos, const MoveList& checks, Option& out) {
  // Disproven when every check has a reply that no check mates at once.
  for (Move m : checks) {
    pos.doMove(m);
    bool refuted = false;
    // A line back at the step check's own position is for the search.
    if (!isCheckPosition(pos)) {
      MoveList replies;
      generateLegal(pos, replies);
      const Interposition ip = futileRule ? interpositionSquares(pos) : Interposition{};
      for (Move r : replies) {
        // A drop that interposes may be futile: no refutation by itself.
        if (r.isDrop() && ip.contains(r.to())) continue;
        pos.doMove(r);
        bool none = false;
        if (!isCheckPosition(pos)) {
          MoveList next;
          generateChecks(pos, next);
          Move mate;
          none = onePlyLook(pos, next, mate) == OnePly::NONE;
        }
        pos.undoMove(r);
        if (none) {
          refuted = true;
          break;
        }
      }
    }
    pos.undoMove(m);
    if (!refuted) return false;
  }
  table_.storeDisproven(keyOf(pos), pos.packedHand(BLACK), pos.packedHand(WHITE), 3, 2);
  out = Option{INF, 0, 0, NO_LOOP};
  return true;
}

void MateSearch::prefetchChild(Position& pos, Move m) {
  // The table's cluster follows the board alone, but in selfmates the key
  // holds the hands too.
  if (!selfmate_ && !pos.fairy()) {
    table_.prefetch(pos.boardKeyAfter(m));
    return;
  }
  pos.doMove(m);
  table_.prefetch(keyOf(pos));
  pos.undoMove(m);
}

uint32_t MateSearch::replyCount(Position& pos) {
  MoveList replies;
  generateReplies(pos, replies);
  // Drops count once for each chain (see dropChain), as the search takes
  // them: one at a time.
  uint32_t n = 0;
  DropChains chains;
  for (Move r : replies) {
    bool first = true;
    if (r.isDrop()) chains.of(pos, r.to(), first);
    if (!first) continue;
    ++n;
  }
  return n;
}

uint32_t MateSearch::Child::pn() const {
  uint32_t v = option[0].pn;
  for (int i = 1; i < options; ++i) v = std::min(v, option[i].pn);
  return v;
}

int MateSearch::Child::loop() const {
  int v = option[0].loop;
  for (int i = 1; i < options; ++i) v = std::min(v, option[i].loop);
  return v;
}

uint32_t MateSearch::Child::dn() const {
  uint32_t v = option[0].dn;
  for (int i = 1; i < options; ++i) v = add(v, option[i].dn);
  return v;
}

bool MateSearch::futileTestPosition(const Position& pos, Move drop, Square checker, int variant, Position& test) {
  const Piece piece = pos.at(checker);
  const Color attacker = colorOf(piece);
  const PieceRules& rules = pieceRules[typeOf(piece)];
  const Square s = drop.to();
  const bool promote = variant == 2;
  if (promote && (rules.promoted == NO_PIECE_TYPE ||
                  !(inPromotionZone(attacker, checker) || inPromotionZone(attacker, s)))) {
    return false;
  }
  if (!promote && rules.deadRanks > 0 && relativeRank(attacker, rankOf(s)) <= rules.deadRanks &&
      pos.rebirth() != Rebirth::ANTI_CIRCE) {
    return false;
  }
  test = pos;
  test.removeAt(checker);
  const Piece capturer = promote ? Piece(piece + PROMOTION) : piece;
  test.put(s, capturer);
  test.setHand(~attacker, drop.dropped(), test.hand(~attacker, drop.dropped()) - 1);
  // The captured piece is thrown away whatever the rebirth rule does with
  // it; under Anti-Circe the capturer still goes to its own initial square
  // (the first free one where its king stays safe).
  Square at = s;
  if (pos.rebirth() == Rebirth::ANTI_CIRCE) {
    Square squares[2];
    const int n = initialSquares(attacker, baseType(typeOf(capturer)), fileOf(s), squares);
    for (int i = 0; i < n && at == s; ++i) {
      if (squares[i] == s || test.at(squares[i]) != EMPTY) continue;
      test.removeAt(s);
      test.put(squares[i], capturer);
      if (!test.inCheck(attacker)) {
        at = squares[i];
      } else {
        test.removeAt(squares[i]);
        test.put(s, capturer);
      }
    }
  }
  if (test.inCheck(attacker)) return false;
  if (relativeRank(attacker, rankOf(at)) <= pieceRules[typeOf(capturer)].deadRanks) return false;
  // A capturer the defender can take back (the king too, where the square
  // is not guarded) was not taken for nothing.
  MoveList replies;
  generateLegal(test, replies);
  for (Move r : replies) {
    if (!r.isDrop() && r.to() == at) return false;
  }
  return true;
}

MateSearch::Option MateSearch::probe(const Position& pos, int bound) const {
  if (isCheckPosition(pos)) return Option{INF, 0, 0, BEFORE_LINE, 0, true};
  const TranspositionTable::Probe e = table_.probe(keyOf(pos), pos.packedHand(BLACK), pos.packedHand(WHITE), bound);
  int loop;
  if (e.state == TranspositionTable::UNKNOWN && e.found &&
      lines_.disproven(LineTable::step(line_, pos.key()), bound, &loop)) {
    return Option{INF, 0, 0, loop, 0, true};
  }
  return Option{e.pn, e.dn, e.length, NO_LOOP, e.proofHand, e.found};
}

bool MateSearch::expandAttacker(Position& pos, int bound, bool root, Result& done) {
  MoveList checks;
  generateChecks(pos, checks);
  const int childBound = normalise(false, bound - 1);
  for (Move m : checks) prefetchChild(pos, m);
  for (Move m : checks) {
    if (root && isExcluded(*excluded_, m)) continue;
    pos.doMove(m);
    Child c{};
    c.move = m;
    c.options = 1;
    c.option[0] = probe(pos, childBound);
    // A position the table knows has replies; the others are counted (a
    // check without a reply mates).
    if (!c.option[0].known) {
      const uint32_t replies = replyCount(pos);
      if (replies == 0 && selfmate_) {
        // A check that mates the defender ends the line without a selfmate.
        pos.undoMove(m);
        continue;
      }
      if (replies == 0) {
        pos.undoMove(m);
        done = Result{0, INF, 1, NO_LOOP, m, dropUnit(m)};
        return true;
      }
      c.option[0].pn = replies;
      table_.storeUnknown(keyOf(pos), pos.packedHand(BLACK), pos.packedHand(WHITE), childBound, replies, 1, 1);
    }
    // With no ply left after the defender's reply only futile drops can be
    // left to it.
    if (!selfmate_ && childBound < 2 && !futileRule && c.option[0].pn != 0) c.option[0] = Option{INF, 0, 0, NO_LOOP};
    pos.undoMove(m);
    children_.push_back(c);
  }
  return false;
}

void MateSearch::initReply(Position& pos, int bound, Child& c) {
  const Move r = c.move;
  c.delayed = false;
  if (selfmate_) {
    // A reply that mates the attacker reaches the goal; after any other one
    // the attacker needs two plies more at least.
    pos.doMove(r);
    if (attackerMated(pos)) {
      c.option[0] = Option{0, INF, 0, NO_LOOP, pos.packedHand(BLACK), true};
    } else if (bound < 3) {
      c.option[0] = Option{INF, 0, 0, NO_LOOP};
    } else {
      const int childBound = normalise(true, bound - 1);
      c.option[0] = probe(pos, childBound);
      if (!c.option[0].known) c.option[0] = firstLook(pos, childBound);
    }
    pos.undoMove(r);
    return;
  }
  if (bound < 2) {
    c.option[0] = Option{INF, 0, 0, NO_LOOP};  // no ply left to mate after it
  } else {
    pos.doMove(r);
    const int childBound = normalise(true, bound - 1);
    c.option[0] = probe(pos, childBound);
    if (!c.option[0].known) c.option[0] = firstLook(pos, childBound);
    pos.undoMove(r);
  }
  if (!futileRule || !r.isDrop()) return;
  const Interposition ip = interpositionSquares(pos);
  if (!ip.contains(r.to())) return;
  // A drop that interposes is settled too when it is futile.
  c.checker = ip.checker;
  for (int variant = 1; variant <= 2; ++variant) {
    Position test;
    if (futileTestPosition(pos, r, ip.checker, variant, test)) {
      c.variant[c.options] = uint8_t(variant);
      c.option[c.options++] = probe(test, bound);
    }
  }
}

int MateSearch::dropChain(const Position& pos, Square to) {
  const Square king = pos.kingSquare(pos.sideToMove());
  if (king == NO_SQUARE || (std::abs(fileOf(king) - fileOf(to)) <= 1 && std::abs(rankOf(king) - rankOf(to)) <= 1)) {
    return int(to);
  }
  return pos.attacked(to, pos.sideToMove()) ? GUARDED_CHAIN : UNGUARDED_CHAIN;
}

void MateSearch::activateDrops(Position& pos, int bound, size_t begin) {
  for (size_t i = begin; i < children_.size(); ++i) {
    if (!children_[i].delayed) continue;
    const int chain = children_[i].chain;
    bool waiting = false;
    for (size_t k = begin; k < children_.size() && !waiting; ++k) {
      const Child& other = children_[k];
      waiting = !other.delayed && other.move.isDrop() && other.chain == chain && other.pn() != 0;
    }
    if (!waiting) initReply(pos, bound, children_[i]);
  }
}

bool MateSearch::expandDefender(Position& pos, int bound, Result& done) {
  MoveList replies;
  generateLegal(pos, replies);
  if (replies.size == 0) {
    // Mated: the goal, or in selfmates the end of the line without it.
    done = pos.inCheck() && !selfmate_ ? Result{0, INF, 0, NO_LOOP, Move{}} : Result{INF, 0, 0, NO_LOOP, Move{}};
    return true;
  }
  // With fewer than two plies left only futile drops can leave the
  // defender mated: any other reply escapes.
  if (bound < 2 && !selfmate_) {
    const Interposition ip = futileRule ? interpositionSquares(pos) : Interposition{};
    for (Move r : replies) {
      if (!r.isDrop() || !ip.contains(r.to())) {
        done = Result{INF, 0, 0, NO_LOOP, Move{}};
        return true;
      }
    }
  }
  if (bound >= 2) {
    for (Move r : replies) prefetchChild(pos, r);
  }
  // Drops are taken one at a time in each chain (see dropChain): the next
  // one joins the search only once those before it are mated (see
  // activateDrops).
  DropChains chains;
  const size_t begin = children_.size();
  for (Move r : replies) {
    Child c{};
    c.move = r;
    c.options = 1;
    c.option[0] = Option{1, 1, 0, NO_LOOP};
    bool first = true;
    if (r.isDrop()) c.chain = int16_t(chains.of(pos, r.to(), first));
    if (!first) {
      c.delayed = true;
    } else {
      initReply(pos, bound, c);
      // A reply known to escape, whatever the line before, settles the
      // position: the replies after it need no first look.
      if (c.dn() == 0 && c.loop() >= int(path_.size())) {
        children_.resize(begin);
        done = Result{INF, 0, 0, NO_LOOP, Move{}};
        return true;
      }
    }
    children_.push_back(c);
  }
  return false;
}

MateSearch::Result MateSearch::search(Position& pos, bool attackerToMove, int bound, uint32_t thpn, uint32_t thdn,
                                      bool root) {
  bound = normalise(attackerToMove, bound);
  if (selfmate_ && attackerToMove && attackerMated(pos)) return Result{0, INF, 0, NO_LOOP, Move{}, pos.packedHand(BLACK)};
  if (attackerToMove && bound < 1) return Result{INF, 0, 0, NO_LOOP, Move{}};
  const uint64_t key = keyOf(pos);
  const PackedHand attacker = pos.packedHand(BLACK), defender = pos.packedHand(WHITE);
  // Back at the step check's own position: the line ends here, before the
  // table can offer a proof of the same board that plays the excluded move.
  if (!root && isCheckPosition(key, attacker, defender)) return Result{INF, 0, 0, BEFORE_LINE, Move{}};
  if (!root) {
    const TranspositionTable::Probe e = table_.probe(key, attacker, defender, bound);
    if (e.state == TranspositionTable::PROVEN) return Result{0, INF, e.length, NO_LOOP, e.best, e.proofHand};
    if (e.state == TranspositionTable::DISPROVEN) return Result{INF, 0, 0, NO_LOOP, Move{}};
  }
  if (const int repeated = onPath(key, attacker, defender); repeated != NO_LOOP) {
    return Result{INF, 0, 0, repeated, Move{}};
  }
  const uint64_t outerLine = line_;
  const uint64_t line = LineTable::step(line_, pos.key());
  if (int loop; !root && lines_.disproven(line, bound, &loop)) return Result{INF, 0, 0, loop, Move{}};
  line_ = line;
  ++nodes;
  checkLimits();
  const uint64_t startNodes = nodes;

  const size_t begin = children_.size();
  Result result{};
  bool finished = attackerToMove ? expandAttacker(pos, bound, root, result) : expandDefender(pos, bound, result);
  if (!finished && children_.size() == begin) {
    result = Result{INF, 0, 0, NO_LOOP, Move{}};  // no check at all
    finished = true;
  }

  if (!finished) {
    path_.push_back(PathEntry{key, attacker, defender, root});
    ++pathBoards_[pathSlot(key)];
    for (;;) {
      if (!attackerToMove) activateDrops(pos, bound, begin);
      // The side to move needs one child settled (the smallest of its own
      // numbers), the other side all of them (the sum of theirs; only
      // replies wait as delayed drops). Of children equally close to
      // settling, the search takes the one the other side is furthest from
      // refuting: on long problems this order saves a great deal
      // (ミクロコスモス: a fifth of the nodes of taking the first generated).
      size_t best = begin;
      uint32_t second = INF;
      uint32_t least = INF, sum = 0, bestOther = 0;
      for (size_t i = begin; i < children_.size(); ++i) {
        if (children_[i].delayed) continue;
        const uint32_t cpn = children_[i].pn(), cdn = children_[i].dn();
        const uint32_t own = attackerToMove ? cpn : cdn, other = attackerToMove ? cdn : cpn;
        sum = add(sum, other);
        if (own < least || (own == least && own < INF && other > bestOther)) {
          second = least;
          least = own;
          best = i;
          bestOther = other;
        } else if (own < second) {
          second = own;
        }
      }
      const uint32_t pn = attackerToMove ? least : sum, dn = attackerToMove ? sum : least;
      if (pn == 0 || dn == 0 || pn >= thpn || dn >= thdn) {
        result.pn = pn;
        result.dn = dn;
        break;
      }
      const Child chosen = children_[best];
      uint32_t childPn, childDn;
      if (attackerToMove) {
        childPn = std::min(thpn, widen(second));
        childDn = uint32_t(std::min<int64_t>(int64_t(thdn) - dn + chosen.dn(), INF));
      } else {
        childDn = std::min(thdn, widen(second));
        childPn = uint32_t(std::min<int64_t>(int64_t(thpn) - pn + chosen.pn(), INF));
      }
      // Among a child's options, the most promising one (an OR of them).
      int o = 0;
      uint32_t secondOption = INF;
      for (int i = 1; i < chosen.options; ++i) {
        if (chosen.option[i].pn < chosen.option[o].pn) {
          secondOption = chosen.option[o].pn;
          o = i;
        } else {
          secondOption = std::min(secondOption, chosen.option[i].pn);
        }
      }
      if (chosen.options > 1) {
        childDn = uint32_t(std::min<int64_t>(int64_t(childDn) - chosen.dn() + chosen.option[o].dn, INF));
        childPn = std::min(childPn, widen(secondOption));
      }
      Result r;
      if (o == 0) {
        pos.doMove(chosen.move);
        r = search(pos, !attackerToMove, bound - 1, childPn, childDn, false);
        pos.undoMove(chosen.move);
      } else {
        Position test;
        futileTestPosition(pos, chosen.move, chosen.checker, chosen.variant[o], test);
        r = search(test, false, bound, childPn, childDn, false);
      }
      children_[best].option[o] = Option{r.pn, r.dn, r.length, r.loop, r.proofHand};
    }
    path_.pop_back();
    --pathBoards_[pathSlot(key)];

    if (result.pn == 0) {
      if (attackerToMove) {
        result.length = INT32_MAX;
        for (size_t i = begin; i < children_.size(); ++i) {
          const Option& c = children_[i].option[0];
          if (c.pn == 0 && c.length + 1 < result.length) {
            result.length = c.length + 1;
            result.best = children_[i].move;
            result.proofHand = selfmate_ ? attacker : proofBefore(pos, result.best, c.proofHand);
          }
        }
      } else {
        // A child played counts its reply; a futile drop counts nothing.
        result.length = 0;
        for (size_t i = begin; i < children_.size(); ++i) {
          const Child& c = children_[i];
          int shortest = INT32_MAX, used = 0;
          for (int k = 0; k < c.options; ++k) {
            const int length = c.option[k].length + (k == 0 ? 1 : 0);
            if (c.option[k].pn == 0 && length < shortest) {
              shortest = length;
              used = k;
            }
          }
          result.length = std::max(result.length, shortest);
          result.proofHand = handMax(result.proofHand, c.option[used].proofHand);
        }
      }
      // Selfmate proofs hold for the hands they were made with only.
      if (selfmate_) result.proofHand = attacker;
    } else if (result.dn == 0) {
      // A disproof that rests on a repetition cut-off holds for the lines
      // through the position repeated: at the attacker's turn every check is
      // refuted, each resting on its own; at the defender's one reply does,
      // the one resting on least. One that rests on this position or
      // positions after it only holds whatever the line before: were this
      // position mated, the shortest mate would lead back to a position it
      // is mated from sooner.
      int loop = attackerToMove ? NO_LOOP : BEFORE_LINE;
      for (size_t i = begin; i < children_.size(); ++i) {
        const Child& c = children_[i];
        if (c.delayed || c.dn() != 0) continue;
        loop = attackerToMove ? std::min(loop, c.loop()) : std::max(loop, c.loop());
      }
      result.loop = loop >= int(path_.size()) ? NO_LOOP : loop;
    }
  }
  children_.resize(begin);
  line_ = outerLine;

  if (!root) {
    const uint32_t work = uint32_t(std::min<uint64_t>(nodes - startNodes + 1, UINT32_MAX));
    if (result.pn == 0) {
      table_.storeProven(key, result.proofHand, defender, result.length, result.best, work);
      table_.forgetUnknown(key, attacker, defender, bound);
    } else if (result.dn == 0) {
      if (result.loop == NO_LOOP) {
        table_.storeDisproven(key, attacker, defender, bound, work);
        table_.forgetUnknown(key, attacker, defender, bound);
      } else {
        lines_.store(line, bound, result.loop);
      }
    } else {
      table_.storeUnknown(key, attacker, defender, bound, result.pn, result.dn, work);
    }
  }
  return result;
}

MateSearch::Result MateSearch::solve(Position& pos, bool attackerToMove, int bound, const std::vector<Move>& excluded) {
  std::vector<PathEntry> outerPath;
  outerPath.swap(path_);  // a line of its own
  const std::vector<Move>* outerExcluded = excluded_;
  excluded_ = &excluded;
  const uint64_t outerLine = line_;
  line_ = LineTable::start(!excluded.empty());
  // A copy: a search that a limit stops leaves it in the middle of a line.
  Position work = pos;
  Result r;
  do {
    r = search(work, attackerToMove, bound, INF, INF, !excluded.empty());
  } while (r.pn != 0 && r.dn != 0);
  excluded_ = outerExcluded;
  line_ = outerLine;
  path_.swap(outerPath);
  return r;
}

void MateSearch::setCheckPosition(const Position& pos) {
  // Lines through the check position end there now: what was found on them
  // before no longer holds.
  lines_.clear();
  checkPositionSet_ = true;
  checkBoard_ = keyOf(pos);
  checkAttacker_ = pos.packedHand(BLACK);
  checkDefender_ = pos.packedHand(WHITE);
}

void MateSearch::setSelfmate(bool on) {
  selfmate_ = on;
  if (on) futileRule = false;
}

void MateSearch::reset() {
  children_.clear();
  path_.clear();
  pathBoards_.fill(0);
}

bool MateSearch::attackerMates(Position& pos, int bound, const std::vector<Move>& excluded) {
  reset();
  return solve(pos, true, bound, excluded).pn == 0;
}

bool MateSearch::defenderMated(Position& pos, int bound) {
  reset();
  return solve(pos, false, bound).pn == 0;
}

bool MateSearch::isFutile(Position& pos, Move reply, int bound) {
  reset();
  if (!futileRule || selfmate_ || !reply.isDrop()) return false;
  const Interposition ip = interpositionSquares(pos);
  if (!ip.contains(reply.to())) return false;
  return solveFutileTest(pos, reply, ip.checker, normalise(false, bound));
}

bool MateSearch::solveFutileTest(const Position& pos, Move drop, Square checker, int bound) {
  for (int variant = 1; variant <= 2; ++variant) {
    Position test;
    if (futileTestPosition(pos, drop, checker, variant, test) && solve(test, false, bound).pn == 0) return true;
  }
  return false;
}

std::vector<Move> MateSearch::mateLine(Position& pos, int bound, const std::vector<Move>& excluded) {
  reset();
  std::vector<Move> line;
  Position p = pos;
  bool attackerToMove = p.sideToMove() == BLACK;
  bool first = true;
  for (;;) {
    bound = normalise(attackerToMove, bound);
    MoveList moves;
    Move chosen;
    int chosenLength = -1;
    if (attackerToMove) {
      // The shortest mating move the table knows, else one searched for.
      generateChecks(p, moves);
      for (bool searching : {false, true}) {
        for (Move m : moves) {
          if (first && isExcluded(excluded, m)) continue;
          p.doMove(m);
          // A check that mates: the goal, or in selfmates no way forward.
          Option child = !hasLegalMove(p) ? (selfmate_ ? Option{INF, 0, 0, NO_LOOP} : Option{0, INF, 0, NO_LOOP})
                                          : probe(p, bound - 1);
          if (selfmate_ && child.dn == 0) {
            p.undoMove(m);
            continue;
          }
          if (searching && child.pn != 0) {
            const Result r = solve(p, false, bound - 1);
            child = Option{r.pn, r.dn, r.length, NO_LOOP};
          }
          p.undoMove(m);
          if (child.pn == 0 && (chosenLength < 0 || child.length < chosenLength)) {
            chosen = m;
            chosenLength = child.length;
          }
        }
        if (!chosen.isNull()) break;
      }
    } else {
      // The reply that takes longest; a futile drop is no reply, even where
      // it is mated as well.
      generateLegal(p, moves);
      const Interposition ip = futileRule ? interpositionSquares(p) : Interposition{};
      for (Move m : moves) {
        if (m.isDrop() && ip.contains(m.to()) && solveFutileTest(p, m, ip.checker, bound)) continue;
        p.doMove(m);
        Option child = selfmate_ && attackerMated(p) ? Option{0, INF, 0, NO_LOOP} : probe(p, bound - 1);
        p.undoMove(m);
        if (child.pn != 0) {
          p.doMove(m);
          const Result r = solve(p, true, bound - 1);
          p.undoMove(m);
          if (r.pn != 0) continue;
          child.length = r.length;
        }
        if (child.length > chosenLength) {
          chosen = m;
          chosenLength = child.length;
        }
      }
    }
    if (chosen.isNull()) break;
    line.push_back(chosen);
    p.doMove(chosen);
    bound = chosenLength;
    first = false;
    attackerToMove = !attackerToMove;
  }
  return line;
}

}  // namespace matesolver
