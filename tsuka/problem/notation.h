// The stated solution's notation, parsed into one record per move.
#pragma once

#include <cstdint>
#include <vector>

constexpr uint16_t MOVE_BY_ATTACKER = 0x8000;
constexpr uint16_t MOVE_BY_DEFENDER = 0x4000;
constexpr uint16_t MOVE_PROMOTES = 0x0800;

struct MoveRecord {
  uint16_t piece;        // code of the piece named in the move
  uint16_t origin;       // square moved from; 0 for a drop
  uint16_t destination;  // square moved to
  uint16_t flags;        // one side bit, and MOVE_PROMOTES when it promotes
  uint16_t rebirthSquare;
  uint16_t rebirthPiece;
  bool operator==(const MoveRecord&) const = default;
};

// Record k is move k (1 to the move count); records 0 and count + 1 are all
// zero, so move 1 has an empty previous move.
extern std::vector<MoveRecord> moveRecords;

// Parses the stated solution into moveRecords, using the move count and the
// rule text as read so far; a move it cannot read ends the process.
void parseStatedSolution();
