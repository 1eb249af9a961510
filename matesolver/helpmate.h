// Cooperative mates (helpmates): both sides play toward the defender's
// mate; every attacker move checks and the defender is mated after the
// attacker's last move. Or, in helpselfmates, toward the attacker's own
// king mated by the defender's last move. Iterative deepening finds a shortest line; a table
// remembers positions known to have no helpmate within a number of plies.
#pragma once

#include <cstdlib>
#include <memory>
#include <new>
#include <vector>

#include "matesolver/dfpn.h"
#include "shogi/movegen.h"

namespace matesolver {

class HelpmateSearch {
 public:
  explicit HelpmateSearch(size_t megabytes);

  // A cooperative mate within `bound` plies, the side to move beginning; a
  // non-null `excluded` first move is not played, and no line comes back
  // to the position (a detour back to it is no other first move). Fills
  // *line when found.
  bool find(shogi::Position& pos, int bound, shogi::Move excluded, std::vector<shogi::Move>* line);

  Limits limits;
  uint64_t nodes = 0;
  // Helpselfmates (協力自玉詰): the line ends with the defender's move mating
  // the attacker's king, and the attacker's checks must not mate the
  // defender. Set before the first find.
  bool selfmate = false;

 private:
  struct Entry {
    uint64_t key;
    int16_t failedBelow;  // no helpmate within fewer plies than this; 0: nothing known
  };
  bool search(shogi::Position& pos, int depth, shogi::Move excluded, std::vector<shogi::Move>& line);
  uint64_t rootKey_ = 0;  // the position of a find with an excluded move; 0 for none
  Entry& slot(uint64_t key) { return table_.get()[key & mask_]; }
  struct Free {
    void operator()(Entry* p) const { std::free(p); }
  };
  std::unique_ptr<Entry, Free> table_;
  uint64_t mask_;
  uint64_t nextLimitCheck_ = 0;
};

}  // namespace matesolver
