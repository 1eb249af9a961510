// osl_oracle: a test-only reference program built on OpenShogiLib (OSL).
//
// It reads one command per line from standard input and answers each with
// exactly one line on standard output:
//
//   perft <depth> <sfen>        number of leaves of the legal-move tree
//   moves <sfen>                legal moves in USI notation, sorted, blank-separated
//   dfpn <node-limit> <sfen>    "mate <usi-move>", "nomate" or "unknown"
//   fixed <max-plies> <sfen>    "mate <n>" (n odd, smallest found) or "none"
//
// Anything it cannot handle is answered with "error <reason>".
//
// Legal moves here are all moves the rules allow, including every
// non-promotion (also the ones OSL normally skips, such as an unpromoted
// bishop move inside the promotion zone), and excluding moves that leave the
// mover's own king attacked, drops that break the two-pawn or dead-piece
// rules, non-promotions that leave a piece without a future move, and a pawn
// drop that gives mate.  OSL generates the candidates; the oracle applies
// each of those rules itself so that it does not depend on OSL's own
// filtering (which assumes the side to move has a king).

#include "osl/numEffectState.h"
#include "osl/usi.h"
#include "osl/hashKey.h"
#include "osl/pathEncoding.h"
#include "osl/checkmate/dfpn.h"
#include "osl/checkmate/fixedDepthSearcher.h"
#include "osl/move_generator/allMoves.tcc"
#include "osl/move_generator/drop.tcc"
#include "osl/move_generator/move_action.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <iostream>
#include <limits>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using osl::BLACK;
using osl::Move;
using osl::MoveVector;
using osl::NumEffectState;
using osl::Player;
using osl::Ptype;
using osl::PtypeO;
using osl::Square;
using osl::WHITE;

// Thrown for any input the oracle refuses; the text becomes "error <text>".
struct InputError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// ---------------------------------------------------------------------------
// Position reading.  The SFEN is checked here first, because OSL aborts the
// whole process on some bad input (for example too many pieces of a kind).
// OSL's own reader (osl::usi::parse) then builds the state, and the result
// is compared square by square with what was read here.

struct PlainPosition {
  // board[x][y], x = file 1..9, y = rank 1..9; PTYPEO_EMPTY when empty.
  PtypeO board[10][10];
  // hand[player index][ptype] for basic ptypes.
  int hand[2][16] = {};
  Player turn = BLACK;
};

int playerIndex(Player p) { return p == BLACK ? 0 : 1; }

Ptype ptypeFromLetter(char c) {
  switch (std::toupper(static_cast<unsigned char>(c))) {
    case 'P': return osl::PAWN;
    case 'L': return osl::LANCE;
    case 'N': return osl::KNIGHT;
    case 'S': return osl::SILVER;
    case 'G': return osl::GOLD;
    case 'B': return osl::BISHOP;
    case 'R': return osl::ROOK;
    case 'K': return osl::KING;
    default: return osl::PTYPE_EMPTY;
  }
}

// Rank as seen by the owner: 1 is the far rank.
int relativeRank(Player p, int y) { return p == BLACK ? y : 10 - y; }

// True if an unpromoted piece of this kind on this square could never move.
bool isDeadSquare(Player p, Ptype ptype, int y) {
  const int r = relativeRank(p, y);
  if (ptype == osl::PAWN || ptype == osl::LANCE) return r == 1;
  if (ptype == osl::KNIGHT) return r <= 2;
  return false;
}

PlainPosition readSfen(const std::vector<std::string>& fields) {
  if (fields.size() != 3 && fields.size() != 4)
    throw InputError("sfen needs 'board side hands [move-number]'");
  PlainPosition pos;
  for (auto& column : pos.board) std::fill(std::begin(column), std::end(column), osl::PTYPEO_EMPTY);

  // Board: nine ranks from rank 1 (top) down, files 9..1 left to right.
  const std::string& board = fields[0];
  int y = 1, x = 9;
  for (size_t i = 0; i < board.size(); ++i) {
    const char c = board[i];
    if (c == '/') {
      if (x != 0) throw InputError("rank " + std::to_string(y) + " does not have 9 squares");
      ++y;
      x = 9;
      if (y > 9) throw InputError("more than 9 ranks");
    } else if (c >= '1' && c <= '9') {
      x -= c - '0';
      if (x < 0) throw InputError("rank " + std::to_string(y) + " has more than 9 squares");
    } else {
      bool promoted = false;
      char letter = c;
      if (c == '+') {
        if (i + 1 >= board.size()) throw InputError("'+' at end of board");
        promoted = true;
        letter = board[++i];
      }
      Ptype ptype = ptypeFromLetter(letter);
      if (ptype == osl::PTYPE_EMPTY) throw InputError(std::string("bad board character '") + letter + "'");
      if (promoted) {
        if (!osl::canPromote(ptype)) throw InputError(std::string("piece cannot be promoted: +") + letter);
        ptype = osl::promote(ptype);
      }
      if (x < 1) throw InputError("rank " + std::to_string(y) + " has more than 9 squares");
      const Player owner = std::isupper(static_cast<unsigned char>(letter)) ? BLACK : WHITE;
      pos.board[x][y] = osl::newPtypeO(owner, ptype);
      --x;
    }
  }
  if (y != 9 || x != 0) throw InputError("board must have 9 ranks of 9 squares");

  // Side to move.
  if (fields[1] == "b") pos.turn = BLACK;
  else if (fields[1] == "w") pos.turn = WHITE;
  else throw InputError("side to move must be b or w");

  // Pieces in hand: "-" or [count]letter...
  const std::string& hands = fields[2];
  if (hands != "-") {
    std::string digits;
    for (char c : hands) {
      if (std::isdigit(static_cast<unsigned char>(c))) {
        digits += c;
        if (digits.size() > 2) throw InputError("hand count too large");
        continue;
      }
      const Ptype ptype = ptypeFromLetter(c);
      if (ptype == osl::PTYPE_EMPTY || ptype == osl::KING)
        throw InputError(std::string("bad hand character '") + c + "'");
      const int count = digits.empty() ? 1 : std::stoi(digits);
      if (count < 1 || count > 18) throw InputError("hand count must be 1..18");
      const Player owner = std::isupper(static_cast<unsigned char>(c)) ? BLACK : WHITE;
      pos.hand[playerIndex(owner)][ptype] += count;
      digits.clear();
    }
    if (!digits.empty()) throw InputError("hand ends with a number");
  }

  if (fields.size() == 4) {
    const std::string& number = fields[3];
    if (number.empty() || number.size() > 9 ||
        !std::all_of(number.begin(), number.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }))
      throw InputError("move number must be a number");
  }

  // Piece totals (promoted pieces count as their base kind).
  int total[16] = {};
  int kings[2] = {};
  for (int fx = 1; fx <= 9; ++fx)
    for (int fy = 1; fy <= 9; ++fy) {
      const PtypeO p = pos.board[fx][fy];
      if (p == osl::PTYPEO_EMPTY) continue;
      const Ptype base = osl::unpromote(osl::getPtype(p));
      ++total[base];
      if (base == osl::KING) ++kings[playerIndex(osl::getOwner(p))];
    }
  for (int side = 0; side < 2; ++side)
    for (int t = osl::PTYPE_BASIC_MIN; t <= osl::PTYPE_MAX; ++t) total[t] += pos.hand[side][t];
  const std::array<std::pair<Ptype, int>, 7> limits = {{{osl::PAWN, 18}, {osl::LANCE, 4}, {osl::KNIGHT, 4},
                                                        {osl::SILVER, 4}, {osl::GOLD, 4}, {osl::BISHOP, 2},
                                                        {osl::ROOK, 2}}};
  for (const auto& [ptype, limit] : limits)
    if (total[ptype] > limit) throw InputError("too many pieces of one kind");
  if (kings[0] > 1 || kings[1] > 1) throw InputError("more than one king for one side");

  // Pieces that could never move, and two unpromoted pawns on one file.
  for (int fx = 1; fx <= 9; ++fx) {
    int pawns[2] = {};
    for (int fy = 1; fy <= 9; ++fy) {
      const PtypeO p = pos.board[fx][fy];
      if (p == osl::PTYPEO_EMPTY) continue;
      const Player owner = osl::getOwner(p);
      if (isDeadSquare(owner, osl::getPtype(p), fy)) throw InputError("piece without a future move on the board");
      if (osl::getPtype(p) == osl::PAWN) ++pawns[playerIndex(owner)];
    }
    if (pawns[0] > 1 || pawns[1] > 1) throw InputError("two unpromoted pawns of one side on a file");
  }
  return pos;
}

bool hasKing(const NumEffectState& state, Player p) { return state.kingSquare(p).isOnBoard(); }

NumEffectState makeState(const std::vector<std::string>& fields) {
  const PlainPosition pos = readSfen(fields);

  std::string line = "sfen";
  for (const std::string& f : fields) line += " " + f;
  NumEffectState parsed;
  try {
    osl::usi::parse(line, parsed);
  } catch (const std::exception& e) {
    throw InputError(std::string("OSL refused the sfen: ") + e.what());
  }
  // Rebuild all derived data (effects, pins, pawn files) from the plain state.
  NumEffectState state{osl::SimpleState(parsed)};

  // OSL must have read exactly what we read.
  for (int x = 1; x <= 9; ++x)
    for (int y = 1; y <= 9; ++y) {
      const osl::Piece piece = state.pieceOnBoard(Square(x, y));
      const PtypeO got = piece.isEmpty() ? osl::PTYPEO_EMPTY : piece.ptypeO();
      if (got != pos.board[x][y]) throw InputError("OSL read the board differently");
    }
  for (Player p : {BLACK, WHITE})
    for (int t = osl::GOLD; t <= osl::PTYPE_MAX; ++t)
      if (state.countPiecesOnStand(p, static_cast<Ptype>(t)) != pos.hand[playerIndex(p)][t])
        throw InputError("OSL read the hands differently");
  if (state.turn() != pos.turn) throw InputError("OSL read the side to move differently");

  if (hasKing(state, osl::alt(state.turn())) && state.inCheck(osl::alt(state.turn())))
    throw InputError("the side not to move is in check");
  return state;
}

// ---------------------------------------------------------------------------
// Legal moves.

bool hasAnyLegalMove(const NumEffectState& state);

// OSL's generator of all pseudo-legal moves (AllMoves, behind
// NumEffectState::generateAllUnsafe) always generates king moves and reads
// garbage when the side to move has no king.  This is the same generation,
// piece kind by piece kind, with the king only when there is one.
template <Player P>
void generatePseudoLegal(const NumEffectState& state, MoveVector& out) {
  using Store = osl::move_action::Store;
  using osl::move_generator::all_moves::generatePtype;
  Store store(out);
  generatePtype<Store, P, osl::PAWN>(state, store);
  generatePtype<Store, P, osl::LANCE>(state, store);
  generatePtype<Store, P, osl::KNIGHT>(state, store);
  generatePtype<Store, P, osl::SILVER>(state, store);
  generatePtype<Store, P, osl::GOLD>(state, store);
  generatePtype<Store, P, osl::BISHOP>(state, store);
  generatePtype<Store, P, osl::ROOK>(state, store);
  if (hasKing(state, P)) {
    int unused_dir_mask = 0;
    osl::move_generator::PieceOnBoard<Store>::generatePtype<P, osl::KING, false>(state, state.kingPiece(P), store,
                                                                                 unused_dir_mask);
  }
  osl::move_generator::Drop<Store>::generate<P>(state, store);
}

// All moves OSL can produce for the side to move, legal or not: the
// pseudo-legal moves above, OSL's full legal generator (which needs a king;
// in check it produces the king's evasions), and the unpromoted twin of every
// promotion (OSL skips some of those by default).
std::vector<Move> candidateMoves(const NumEffectState& state) {
  MoveVector generated;
  if (state.turn() == BLACK) generatePseudoLegal<BLACK>(state, generated);
  else generatePseudoLegal<WHITE>(state, generated);
  std::vector<Move> moves(generated.begin(), generated.end());
  if (hasKing(state, state.turn())) {
    generated.clear();
    state.generateWithFullUnpromotions(generated);
    moves.insert(moves.end(), generated.begin(), generated.end());
  }
  const size_t count = moves.size();
  for (size_t i = 0; i < count; ++i)
    if (moves[i].isPromotion()) moves.push_back(moves[i].unpromote());
  std::sort(moves.begin(), moves.end());
  moves.erase(std::unique(moves.begin(), moves.end()), moves.end());
  return moves;
}

// Applies every legality rule to one candidate move.
bool isLegal(const NumEffectState& state, Move move) {
  const Player me = state.turn();
  if (!move.isNormal() || move.player() != me) return false;
  const Square to = move.to();
  if (move.isDrop()) {
    const Ptype ptype = move.ptype();
    if (!state.hasPieceOnStand(me, ptype)) return false;
    if (!state.pieceOnBoard(to).isEmpty()) return false;
    if (isDeadSquare(me, ptype, to.y())) return false;
    if (ptype == osl::PAWN && state.isPawnMaskSet(me, to.x())) return false;
  } else {
    const osl::Piece mover = state.pieceOnBoard(move.from());
    if (mover.isEmpty() || mover.owner() != me) return false;
    if (move.isPromotion() && !move.from().canPromote(me) && !to.canPromote(me)) return false;
    if (!move.isPromotion() && isDeadSquare(me, move.ptype(), to.y())) return false;
  }

  NumEffectState after(state);
  after.makeMove(move);
  if (hasKing(after, me) && after.inCheck(me)) return false;

  // A pawn drop may check, but not mate.
  if (move.isDrop() && move.ptype() == osl::PAWN && hasKing(after, osl::alt(me)) && after.inCheck(osl::alt(me)) &&
      !hasAnyLegalMove(after))
    return false;
  return true;
}

bool hasAnyLegalMove(const NumEffectState& state) {
  const std::vector<Move> moves = candidateMoves(state);
  return std::any_of(moves.begin(), moves.end(), [&](Move m) { return isLegal(state, m); });
}

std::vector<Move> legalMoves(const NumEffectState& state) {
  std::vector<Move> result;
  for (Move m : candidateMoves(state))
    if (isLegal(state, m)) result.push_back(m);
  return result;
}

std::uint64_t perft(const NumEffectState& state, int depth) {
  if (depth == 0) return 1;
  const std::vector<Move> moves = legalMoves(state);
  if (depth == 1) return moves.size();
  std::uint64_t leaves = 0;
  for (Move m : moves) {
    NumEffectState child(state);
    child.makeMove(m);
    leaves += perft(child, depth - 1);
  }
  return leaves;
}

// ---------------------------------------------------------------------------
// Mate searches.  The side to move attacks; the other side must have a king.

void requireDefenderKing(const NumEffectState& state) {
  if (!hasKing(state, osl::alt(state.turn()))) throw InputError("the side not to move has no king to mate");
}

std::string runDfpn(const NumEffectState& state, size_t node_limit) {
  requireDefenderKing(state);
  osl::checkmate::DfpnTable table(state.turn());
  osl::checkmate::Dfpn dfpn;
  dfpn.setTable(&table);
  // Before a node counts as mated, re-read it with every evasion (all
  // interpositions and non-promotions), not only OSL's cheap first choice.
  dfpn.setBlockingVerify(true);
  Move best_move;
  const osl::checkmate::ProofDisproof result = dfpn.hasCheckmateMove(
      state, osl::HashKey(state), osl::PathEncoding(state.turn()), node_limit, best_move);
  if (result.isCheckmateSuccess()) {
    const std::vector<Move> legal = legalMoves(state);
    if (std::find(legal.begin(), legal.end(), best_move) == legal.end())
      throw InputError("OSL dfpn answered a move that is not legal: " + osl::usi::show(best_move));
    return "mate " + osl::usi::show(best_move);
  }
  // Like OSL's own callers (osl::annotate::Analyzer), every disproof counts
  // as "no mate", including a root result of "every line loops".
  if (result.isCheckmateFail()) return "nomate";
  return "unknown";
}

std::string runFixed(const NumEffectState& state, int max_plies) {
  requireDefenderKing(state);
  for (int plies = 1; plies <= max_plies; plies += 2) {
    NumEffectState work(state);  // the searcher makes and unmakes moves on it
    osl::checkmate::FixedDepthSearcher searcher(work);
    Move best_move;
    if (searcher.hasCheckmateMoveOfTurn(plies, best_move).isCheckmateSuccess())
      return "mate " + std::to_string(plies);
  }
  return "none";
}

// ---------------------------------------------------------------------------
// Command loop.

long long readNumber(const std::string& text, long long low, long long high, const char* what) {
  if (text.empty() || text.size() > 12 ||
      !std::all_of(text.begin(), text.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }))
    throw InputError(std::string(what) + " must be a non-negative integer");
  const long long value = std::stoll(text);
  if (value < low || value > high)
    throw InputError(std::string(what) + " must be in " + std::to_string(low) + ".." + std::to_string(high));
  return value;
}

std::string answer(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);
  if (words.empty()) throw InputError("empty line");
  const std::string& command = words[0];

  if (command == "moves") {
    const NumEffectState state = makeState({words.begin() + 1, words.end()});
    std::vector<std::string> texts;
    for (Move m : legalMoves(state)) texts.push_back(osl::usi::show(m));
    std::sort(texts.begin(), texts.end());
    std::string out;
    for (const std::string& t : texts) out += (out.empty() ? "" : " ") + t;
    return out;
  }
  if (command != "perft" && command != "dfpn" && command != "fixed")
    throw InputError("unknown command '" + command + "'");
  if (words.size() < 2) throw InputError(command + " needs a number and an sfen");
  const std::vector<std::string> sfen(words.begin() + 2, words.end());

  if (command == "perft") {
    const int depth = static_cast<int>(readNumber(words[1], 0, 20, "depth"));
    return std::to_string(perft(makeState(sfen), depth));
  }
  if (command == "dfpn") {
    const long long limit = readNumber(words[1], 1, 1000000000LL, "node limit");
    return runDfpn(makeState(sfen), static_cast<size_t>(limit));
  }
  const int max_plies = static_cast<int>(readNumber(words[1], 1, 63, "max plies"));
  return runFixed(makeState(sfen), max_plies);
}

}  // namespace

int main() {
  std::string line;
  while (std::getline(std::cin, line)) {
    std::string reply;
    try {
      reply = answer(line);
    } catch (const InputError& e) {
      reply = std::string("error ") + e.what();
    } catch (const std::exception& e) {
      reply = std::string("error OSL failed: ") + e.what();
    } catch (...) {
      reply = "error OSL failed with an unknown exception";
    }
    std::cout << reply << std::endl;  // std::endl flushes
  }
  return 0;
}
