// The rows of edge_cases.csv (id,sfen,expected,what,source), each searched
// under a time limit at the bound its expectation names: "mate N" at N (and
// N - 2 must fail), "mate >=N" at a bound above N (and N - 2 must fail),
// "mate" and "nomate" at --bound.
//
//   edge_cases <csv> [--seconds S] [--bound B] [--hash MiB]
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "matesolver/dfpn.h"
#include "matesolver/input.h"
#include "support/sfen_problem.h"

namespace {

std::vector<std::string> splitCsv(const std::string& line) {
  std::vector<std::string> out;
  std::string cell;
  bool quoted = false;
  for (char c : line) {
    if (c == '"') {
      quoted = !quoted;
    } else if (c == ',' && !quoted) {
      out.push_back(cell);
      cell.clear();
    } else {
      cell += c;
    }
  }
  out.push_back(cell);
  return out;
}

// "mate", "nomate", "timeout" for a mate within `bound` plies.
std::string answer(const std::string& sfen, int bound, double seconds, size_t hash, uint64_t* nodes) {
  std::string error;
  const std::string kzi = sfen_problem::openStepCheck(sfen, bound, "詰将棋", &error);
  matesolver::CheckInput input;
  if (kzi.empty() || !matesolver::parseCheckInput(kzi, input, &error)) return "error: " + error;
  matesolver::MateSearch search(hash);
  search.limits.deadline = matesolver::monotonicMillis() + int64_t(seconds * 1000);
  std::string result;
  try {
    result = search.attackerMates(input.position, input.plies, {input.excluded}) ? "mate" : "nomate";
  } catch (const matesolver::Interrupted&) {
    result = "timeout";
  }
  *nodes += search.nodes;
  return result;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  double seconds = 60;
  int bound = 31;
  size_t hash = 1024;
  for (int i = 2; i + 1 < argc; i += 2) {
    const std::string o = argv[i], v = argv[i + 1];
    if (o == "--seconds") seconds = std::stod(v);
    if (o == "--bound") bound = std::stoi(v);
    if (o == "--hash") hash = std::stoul(v);
  }
  std::ifstream in(argv[1]);
  std::string line;
  std::getline(in, line);
  int right = 0, wrong = 0, open = 0;
  while (std::getline(in, line)) {
    const std::vector<std::string> f = splitCsv(line);
    if (f.size() < 3) continue;
    const std::string& id = f[0];
    const std::string& sfen = f[1];
    const std::string expected = f[2];
    uint64_t nodes = 0;
    const double start = double(matesolver::monotonicMillis()) / 1000;
    std::string verdict;
    int n = 0;
    if (expected.rfind("mate >=", 0) == 0) {
      n = std::stoi(expected.substr(7));
      const std::string shorter = n >= 3 ? answer(sfen, n - 2, seconds, hash, &nodes) : "nomate";
      const std::string some = answer(sfen, std::max(n, bound), seconds, hash, &nodes);
      verdict = shorter == "nomate" && some == "mate" ? "right" : (shorter == "mate" ? "WRONG" : "open");
    } else if (expected.rfind("mate ", 0) == 0 && std::isdigit(static_cast<unsigned char>(expected[5]))) {
      n = std::stoi(expected.substr(5));
      const std::string exact = answer(sfen, n, seconds, hash, &nodes);
      const std::string shorter = n >= 3 ? answer(sfen, n - 2, seconds, hash, &nodes) : "nomate";
      if (exact == "mate" && shorter == "nomate") {
        verdict = "right";
      } else if (exact == "nomate" || shorter == "mate") {
        verdict = "WRONG";
      } else {
        verdict = "open";
      }
    } else if (expected.rfind("mate", 0) == 0) {
      const std::string a = answer(sfen, bound, seconds, hash, &nodes);
      verdict = a == "mate" ? "right" : (a == "timeout" ? "open" : "open (no mate within bound)");
    } else if (expected == "nomate") {
      const std::string a = answer(sfen, bound, seconds, hash, &nodes);
      verdict = a == "nomate" ? "right" : (a == "mate" ? "WRONG" : "open");
    } else {
      continue;
    }
    const double elapsed = double(matesolver::monotonicMillis()) / 1000 - start;
    (verdict == "right" ? right : verdict == "WRONG" ? wrong : open)++;
    std::printf("%-16s %-22s %-28s %8.2f s %12llu nodes\n", id.c_str(), expected.c_str(), verdict.c_str(), elapsed,
                static_cast<unsigned long long>(nodes));
    std::fflush(stdout);
  }
  std::printf("right %d, wrong %d, open %d\n", right, wrong, open);
  return wrong == 0 ? 0 : 1;
}
