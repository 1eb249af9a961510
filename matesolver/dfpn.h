// Depth-first proof-number search for "mate within j plies" in standard
// problems: every attacker move checks, the defender answers with any
// legal move, and a drop between the king and a checking ranged piece is
// futile when, with the checking piece capturing it and the captured piece
// thrown away, no piece of the defender (the king included) can take the
// capturer back and the defender is still mated within the same j. A futile drop
// neither escapes nor lengthens: the defender is mated within j when every
// reply that is not futile leads to a mate within j - 1, also when j is 0
// or 1 and only futile drops are left (a mate in one with futile
// interpositions open is still a mate in one).
//
// The attacker plays Black. Results go into a transposition table keyed by
// the board; an entry also holds both hands, so that a position whose
// attacker holds more (and whose defender holds less) can use a proof of
// the poorer one, and the other way round for disproofs. A proof keeps only
// the attacker's pieces in hand that it uses, so it serves every position
// with the same board whose attacker holds at least those. A proof is valid
// for every bound at least its length, a disproof for every bound at most
// the one it was made with. A position that repeats in a line ends that
// line without mate; results that depend on such a cut-off at an earlier
// position of the line are kept for their own line only (LineTable), those
// that come back only to their own position or later ones go to the table.
// A step check's own position is on every line it searches: a detour that
// comes back to it ends there, whatever the line did before.
#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "shogi/movegen.h"

namespace matesolver {

constexpr uint32_t INFINITE_PN = 1u << 30;

// Thrown out of a search that the time limit or a signal stopped.
struct Interrupted {};

// 32 bytes: a cluster of eight fills four cache lines.
struct TTEntry {
  uint64_t key;  // 0: empty slot
  shogi::PackedHand attacker;
  shogi::PackedHand defender;
  uint32_t pn, dn;
  uint32_t best;  // a mating move, for proofs at the attacker's turn
  int16_t depth;  // unknown: the bound searched; proven: length; disproven: bound
  uint8_t state;
  uint8_t work;   // log2 of the nodes spent, for replacement
};
static_assert(sizeof(TTEntry) == 32);

class TranspositionTable {
 public:
  enum State : uint8_t { EMPTY_SLOT = 0, UNKNOWN = 1, PROVEN = 2, DISPROVEN = 3 };
  struct Probe {
    State state = UNKNOWN;
    uint32_t pn = 1, dn = 1;
    int length = 0;
    shogi::Move best;
    shogi::PackedHand proofHand = 0;  // proven: the attacker's hand the proof needs
    bool found = false;               // an entry matched
  };

  // A table of `megabytes`. It starts at `startMegabytes` (or the whole
  // size, if smaller) and grows to the whole size once an eighth of it is
  // in use: the system zeroes a table's memory as it is first touched, and
  // in a short search (most checks of a checker run) that costs more than
  // the search itself when entries are spread over a large table. Growing
  // while the table is that empty keeps what it holds much as a table of
  // the full size would. (Growing in several steps was measured slower in
  // long searches.)
  explicit TranspositionTable(size_t megabytes, size_t startMegabytes = 16);
  Probe probe(uint64_t key, shogi::PackedHand attacker, shogi::PackedHand defender, int bound) const;
  // Starts loading what probe will read, so that the probes of a node's
  // children wait for memory together rather than one after another.
  void prefetch(uint64_t key) const;
  void storeProven(uint64_t key, shogi::PackedHand attacker, shogi::PackedHand defender, int length,
                   shogi::Move best, uint32_t work);
  void storeDisproven(uint64_t key, shogi::PackedHand attacker, shogi::PackedHand defender, int bound,
                      uint32_t work);
  void storeUnknown(uint64_t key, shogi::PackedHand attacker, shogi::PackedHand defender, int bound,
                    uint32_t pn, uint32_t dn, uint32_t work);
  // Drops the unresolved entry of a position that is now proven or disproven.
  void forgetUnknown(uint64_t key, shogi::PackedHand attacker, shogi::PackedHand defender, int bound);
  size_t used() const;
  // Entries the table holds now, and at most.
  size_t capacity() const { return count_; }
  size_t largestCapacity() const { return largestClusters_ * CLUSTER; }

 private:
  // The entries of a board, proofs, disproofs and unresolved ones, live in
  // its cluster: eight entries on four cache lines that one probe reads
  // together, so that a probe mostly waits for memory once.
  static constexpr size_t CLUSTER = 8;
  // Once a board holds this many unresolved entries in its cluster, further
  // ones go to a cluster chosen by the hands and bound as well, where the
  // probe looks too.
  static constexpr int SPILL_AFTER = 4;
  static int unresolvedOf(const TTEntry* c, uint64_t key);
  static uint64_t spillKey(uint64_t key, shogi::PackedHand attacker, shogi::PackedHand defender, int bound);
  TTEntry* cluster(uint64_t key) { return &entries_[((key >> 16) & mask_) * CLUSTER]; }
  const TTEntry* cluster(uint64_t key) const { return &entries_[((key >> 16) & mask_) * CLUSTER]; }
  TTEntry& slotFor(TTEntry* c, uint64_t key, shogi::PackedHand attacker, shogi::PackedHand defender, uint8_t state,
                   int depth);
  // To the whole size, with every entry moved over, when an eighth is in use.
  void growIfFilling() {
    if (filled_ * 8 > count_ && count_ < largestCapacity()) grow();
  }
  void grow();
  // Zeroed memory from calloc, so that a large table costs nothing until used.
  struct Free {
    void operator()(void* p) const { std::free(p); }
  };
  std::unique_ptr<void, Free> memory_;
  TTEntry* entries_ = nullptr;  // in memory_, each cluster aligned to its size
  size_t count_ = 0;
  uint64_t mask_;
  size_t largestClusters_ = 0;
  size_t filled_ = 0;  // slots that were empty when written, less those emptied
};

// Disproofs that rest on a repetition cut-off hold for the line they were
// made on only. They are kept under a key of the whole line from the root
// (each position on it, hands and side to move included, in order), so that
// a search that comes back along the same line finds them again instead of
// searching down to the repetition once more. One slot per key: a lost
// entry only costs a search.
class LineTable {
 public:
  explicit LineTable(size_t slots) : slots_(std::bit_ceil(std::max<size_t>(slots, 1))) {}
  // The line of a search's root position, before the root itself is added:
  // a root whose moves are partly excluded repeats only exactly, so its
  // lines are lines of their own.
  static uint64_t start(bool exactRoot) { return exactRoot ? 0x5BE0CD19137E2179ull : 0x1F83D9ABFB41BD6Bull; }
  // The line extended by one position (Position::key()).
  static uint64_t step(uint64_t line, uint64_t positionKey) {
    const uint64_t h = (line ^ positionKey) * 0x9E3779B97F4A7C15ull;
    return h ^ (h >> 29);
  }
  // `loop`: the index on the line of the shallowest position the disproof
  // came back to.
  void store(uint64_t line, int bound, int loop) {
    slots_[line & (slots_.size() - 1)] = Slot{line, bound, loop};
  }
  // No mate within `bound` along this line: one was disproven within at
  // least as much (and with `loop`, where it came back to).
  bool disproven(uint64_t line, int bound, int* loop = nullptr) const {
    const Slot& e = slots_[line & (slots_.size() - 1)];
    if (e.line != line || e.bound < bound) return false;
    if (loop != nullptr) *loop = e.loop;
    return true;
  }
  void clear() { std::fill(slots_.begin(), slots_.end(), Slot{}); }

 private:
  struct Slot {
    uint64_t line = 0;
    int32_t bound = -1;
    int32_t loop = 0;
  };
  std::vector<Slot> slots_;
};

// When a search must stop, and whether it shows its progress.
struct Limits {
  int64_t deadline = 0;  // milliseconds of monotonicMillis(); 0: none
  const volatile std::sig_atomic_t* stop = nullptr;  // set by a signal handler
  uint64_t nodeLimit = 0;                               // 0: none
  bool showProgress = false;                            // a progress line on standard error

  // Called every few thousand nodes: throws Interrupted when a limit is
  // reached, and rewrites the progress line now and then.
  void poll(uint64_t nodes) const;
};

// Clears the progress line, if one was shown.
void clearProgress();

// Milliseconds of a monotonic clock since the process started (at least 1).
int64_t monotonicMillis();

class MateSearch {
 public:
  explicit MateSearch(size_t megabytes);

  // Attacker to move: a mate within `bound` plies? The `excluded` moves are
  // left out at this position only.
  bool attackerMates(shogi::Position& pos, int bound, const std::vector<shogi::Move>& excluded = {});
  // Defender to move: mated within `bound` plies?
  bool defenderMated(shogi::Position& pos, int bound);

  // A mate line of at most `bound` plies from a position known to be mated:
  // the attacker's mating moves and, at the defender's turns, a reply that
  // takes longest. Futile drops are not played. `excluded` as above.
  std::vector<shogi::Move> mateLine(shogi::Position& pos, int bound, const std::vector<shogi::Move>& excluded = {});

  // The position a step check is asked about: from now on every line that
  // reaches it again (board, hands and side to move the same) ends there
  // without mate, so that a detour back to it is no alternative.
  void setCheckPosition(const shogi::Position& pos);

  // Whether a drop reply at the defender's turn is futile, for a position
  // where it is legal; `bound` as in defenderMated.
  bool isFutile(shogi::Position& pos, shogi::Move reply, int bound);

  // With this off every interposition counts as a defence.
  bool futileRule = true;

  // Selfmates (自玉詰): the goal becomes the attacker's own king mated by the
  // defender's reply. The attacker's checks that mate the defender are no
  // way forward, every reply counts (no futile drops), and since pieces in
  // hand can help either side there, positions match with equal hands only.
  // Set before the first search.
  void setSelfmate(bool on);
  bool selfmate() const { return selfmate_; }
  // The fewest plies the attacker's turn can be given: 1 (its mating move),
  // 0 in selfmates (its king may be mated already).
  int fewestAttackerPlies() const { return selfmate_ ? 0 : 1; }
  Limits limits;
  uint64_t nodes = 0;
  const TranspositionTable& table() const { return table_; }

 private:
  // What a disproof rests on through repetition cut-offs (a line that came
  // back to a position on it ends without mate): the shallowest position
  // of the line it came back to, by its index on the path; NO_LOOP for none;
  // BEFORE_LINE for a step check's own position, which lies before every
  // line.
  static constexpr int NO_LOOP = INT32_MAX, BEFORE_LINE = -1;

  // One way to settle a child: play its move, or, for a drop that
  // interposes, show that the drop is futile.
  struct Option {
    uint32_t pn, dn;
    int length;  // of the proof of the position the option leads to
    int loop = NO_LOOP;  // of a disproof: see NO_LOOP
    shogi::PackedHand proofHand = 0;  // of that proof: the attacker's pieces in hand it uses
    bool known = false;               // from the table
  };
  struct Child {
    shogi::Move move;
    Option option[3];
    uint8_t variant[3];  // 0 the move; 1, 2 the futile test, capture without / with promotion
    uint8_t options;
    bool delayed;  // a drop waiting for an earlier drop of its chain to be mated
    int16_t chain;  // of a drop (dropChain)
    shogi::Square checker;
    uint32_t pn() const;
    uint32_t dn() const;
    int loop() const;  // of its options together
  };
  struct Result {
    uint32_t pn, dn;
    int length;
    int loop = NO_LOOP;  // of a disproof: see NO_LOOP
    shogi::Move best;
    shogi::PackedHand proofHand = 0;
  };

  // `root`: the position of a search with excluded moves (`excluded_`),
  // whose result is not stored.
  Result search(shogi::Position& pos, bool attackerToMove, int bound, uint32_t thpn, uint32_t thdn, bool root);
  Result solve(shogi::Position& pos, bool attackerToMove, int bound, const std::vector<shogi::Move>& excluded = {});
  bool expandAttacker(shogi::Position& pos, int bound, bool root, Result& done);
  bool expandDefender(shogi::Position& pos, int bound, Result& done);
  void initReply(shogi::Position& pos, int bound, Child& c);
  void activateDrops(shogi::Position& pos, int bound, size_t begin);
  // Drops that interpose are searched one at a time within a chain: each
  // square next to the king is a chain of its own; the squares further away
  // make two chains, those the defender guards and those it does not. A
  // drop joins the search once the drops before it in its chain are mated.
  // So a check from afar costs the defender's other replies and a drop or
  // two at a time, not one for each square between (a drop the checker
  // takes for nothing is mostly futile), while the drops next to the king,
  // which most often defend, do not wait behind them.
  // The chain of a drop on `to`: the square, GUARDED_CHAIN or UNGUARDED_CHAIN.
  static constexpr int GUARDED_CHAIN = -1, UNGUARDED_CHAIN = -2;
  static int dropChain(const shogi::Position& pos, shogi::Square to);
  // The chains of the drops of one position's replies, each square's worked
  // out once, and which chains have had a drop.
  struct DropChains {
    shogi::Bitboard known;  // the squares whose chain is worked out
    int16_t chains[81];     // by bit, for the known squares
    int shared = 0;         // bit -chain: the chains of several squares that have had a drop
    // The chain of a drop on `to`; `first` tells whether it is the first drop of its chain.
    int of(const shogi::Position& pos, shogi::Square to, bool& first) {
      const int b = shogi::bitOf(to);
      if (known.test(b)) {
        first = false;  // an earlier drop on the square is in the chain
        return chains[b];
      }
      known |= shogi::squareBit(to);
      const int chain = dropChain(pos, to);
      chains[b] = int16_t(chain);
      first = chain >= 0 || ((shared >> -chain) & 1) == 0;
      if (chain < 0) shared |= 1 << -chain;
      return chain;
    }
  };
  // The position of the futile test of a drop (variant 1: the capture
  // without promotion, 2: with); false when that capture cannot be played
  // or when the defender can then take the capturer back (the drop then
  // changes what follows and is no futile drop).
  static bool futileTestPosition(const shogi::Position& pos, shogi::Move drop, shogi::Square checker, int variant,
                                 shogi::Position& test);
  // Whether a drop that interposes against `checker` is futile: a capture
  // of it, either way, leaves the defender mated within `bound`.
  bool solveFutileTest(const shogi::Position& pos, shogi::Move drop, shogi::Square checker, int bound);
  Option probe(const shogi::Position& pos, int bound) const;
  bool isCheckPosition(uint64_t board, shogi::PackedHand attacker, shogi::PackedHand defender) const {
    return checkPositionSet_ && board == checkBoard_ && attacker == checkAttacker_ && defender == checkDefender_;
  }
  bool isCheckPosition(const shogi::Position& pos) const {
    return isCheckPosition(keyOf(pos), pos.packedHand(shogi::BLACK), pos.packedHand(shogi::WHITE));
  }
  // A first estimate of a position at the attacker's turn: proven when a
  // check mates at once, disproven when there is no check or when with one
  // ply left no check can mate, else dn = the number of checks. The
  // estimate goes into the table under `bound`, so that the next expansion
  // of the parent finds it there.
  Option firstLook(shogi::Position& pos, int bound);
  // Of the attacker's `checks`: one that mates at once (MATE, the move in
  // `mate`), none that can (NONE), or one answered by drops only, which may
  // be futile (OPEN).
  enum class OnePly { MATE, NONE, OPEN };
  OnePly onePlyLook(shogi::Position& pos, const shogi::MoveList& checks, shogi::Move& mate);
  // With three plies left and no mate in one: disproven (stored, and `out`
  // set) when every one of `checks` has a reply, not a drop that may be
  // futile, after which no check mates at once; false when that is not
  // certain without a search. Proofs are left to the search: looking for
  // them here costs more than it saves.
  bool threePlyLook(shogi::Position& pos, const shogi::MoveList& checks, Option& out);
  // Starts loading the table's entries of the position after m.
  void prefetchChild(shogi::Position& pos, shogi::Move m);
  // The number of replies to a check, drops once for each chain.
  uint32_t replyCount(shogi::Position& pos);
  void reset();
  void checkLimits();
  // A position on the line being searched, for the repetition test.
  struct PathEntry {
    uint64_t board;
    shogi::PackedHand attacker, defender;
    bool exactOnly;  // the root with an excluded move: only the same position repeats it
  };
  // Where the line already went through this board with hands at least as
  // good for the attacker (its index on the path; NO_LOOP for nowhere): a
  // mate from here would mate from there within the same plies, so this
  // line need not go on.
  int onPath(uint64_t board, shogi::PackedHand attacker, shogi::PackedHand defender) const;

  // The key of a position in the table and on the path: the board alone
  // (hands are matched by domination), or with the hands in selfmates.
  uint64_t keyOf(const shogi::Position& pos) const { return selfmate_ ? pos.key() : pos.boardKey(); }
  // The attacker needs an odd number of plies (an even one in selfmates), the
  // defender's turn the other parity: a bound of the wrong parity is worth
  // one less.
  int normalise(bool attackerToMove, int bound) const {
    const int parity = (attackerToMove != selfmate_) ? 1 : 0;
    return (bound % 2 == parity) ? bound : bound - 1;
  }
  // Selfmates: whether the defender's reply just played mates the attacker.
  static bool attackerMated(shogi::Position& pos) { return shogi::isCheckmated(pos); }

  LineTable lines_;
  uint64_t line_ = 0;  // the key of the line down to the node being expanded

  bool selfmate_ = false;
  TranspositionTable table_;
  const std::vector<shogi::Move>* excluded_ = nullptr;  // left out at the root of the current search
  bool checkPositionSet_ = false;
  uint64_t checkBoard_ = 0;
  shogi::PackedHand checkAttacker_ = 0, checkDefender_ = 0;
  std::vector<Child> children_;  // a stack: each search frame owns a range
  std::vector<PathEntry> path_;
  // How many positions of each slot of boards are on the path (the lines of
  // enclosing searches included): a board whose slot holds none is not on
  // it, without a look along a line that may be a thousand plies long.
  static size_t pathSlot(uint64_t board) { return (board >> 40) & 1023; }
  std::array<uint32_t, 1024> pathBoards_{};
  uint64_t nextLimitCheck_ = 0;
};

// Every legal drop that interposes between the defender's king and a single
// checking ranged piece, with the checker's square; empty otherwise.
struct Interposition {
  shogi::Square checker = shogi::NO_SQUARE;
  shogi::Square squares[8];
  int count = 0;
  bool contains(shogi::Square s) const { return std::find(squares, squares + count, s) != squares + count; }
};
Interposition interpositionSquares(const shogi::Position& pos);

}  // namespace matesolver
