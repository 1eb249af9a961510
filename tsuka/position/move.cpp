#include <cstring>

#include "common/piece_names.h"
#include "tsuka/position/position.h"
#include "tsuka/problem/notation.h"
#include "tsuka/problem/reader.h"

// The rebirth rules a capture can carry. Anti-Circe is looked for first,
// since its name contains Circe's.
enum class Rebirth { None, AntiCirce, Circe, Platzwechsel };

static Rebirth rebirthRule() {
  if (std::strstr(problem.conditions, "アンチキルケ")) return Rebirth::AntiCirce;
  if (std::strstr(problem.conditions, "キルケ")) return Rebirth::Circe;
  if (std::strstr(problem.conditions, "PWC")) return Rebirth::Platzwechsel;
  return Rebirth::None;
}

void applyMove(int moveNumber, Board& board, Hand& attacker, Hand& defender) {
  const MoveRecord& move = moveRecords[moveNumber];
  const bool byAttacker = (move.flags & MOVE_BY_ATTACKER) != 0;
  Hand& mover = byAttacker ? attacker : defender;
  uint16_t* cells = board.cells;

  uint16_t captured = 0;
  int capturedSlot = 0;  // the mover's hand slot a capture raised; 0 for none
  if (move.origin == 0) {
    // A piece that no hand can hold leaves the hands alone.
    if (pieces::isHandKind(move.piece)) --mover.counts[move.piece];
    cells[move.destination] = move.piece + (byAttacker ? 0 : DEFENDER_PIECE);
  } else {
    captured = cells[move.destination];
    if (captured != 0) {
      int kind = byAttacker ? captured & ~(PROMOTED_PIECE | DEFENDER_PIECE) : captured & ~PROMOTED_PIECE;
      if (pieces::isHandKind(kind)) {
        ++mover.counts[kind];
        capturedSlot = kind;
      }
    }
    cells[move.destination] = cells[move.origin];
    if (move.flags & MOVE_PROMOTES) cells[move.destination] |= PROMOTED_PIECE;
    cells[move.origin] = 0;
  }

  if (move.rebirthSquare == 0) return;
  switch (rebirthRule()) {
    case Rebirth::AntiCirce:
      // The capturing piece goes to the rebirth square as it stands.
      cells[move.rebirthSquare] = cells[move.destination];
      cells[move.destination] = 0;
      break;
    case Rebirth::Circe:
      // The captured piece is reborn unpromoted, for its own side, and
      // leaves the capturer's hand again.
      cells[move.rebirthSquare] = captured & ~PROMOTED_PIECE;
      if (capturedSlot != 0) --mover.counts[capturedSlot];
      break;
    case Rebirth::Platzwechsel:
      cells[move.rebirthSquare] = captured;
      if (capturedSlot != 0) --mover.counts[capturedSlot];
      break;
    case Rebirth::None:
      break;
  }
}
