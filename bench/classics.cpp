// Benchmark: the classic problems of a CSV file (id,collection,number,sfen,
// plies,...), each written as a solver input file, read back, and searched
// for a mate within its recorded length under a time limit; with
// OpenShogiLib's df-pn on the same positions when its oracle program is
// given.
//
//   classics <csv> [--seconds S] [--hash MiB] [--oracle PATH] [--oracle-nodes N] [--only ID[,ID...]]
//            [--beyond K] [--after "USI ..."] [--first USI]
//
// With --beyond, a problem without a mate within its recorded length is
// searched again with bounds 2, 4, ... K plies longer, in the time left, to
// find its shortest mate. To see where a hard problem's search goes (with
// --only and one row): --after plays an even number of plies first (the
// bound shrinks by as many), and --first leaves the attacker only that first
// move (every other check is excluded; the oracle is not asked then, as it
// would answer for every first move).
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "matesolver/dfpn.h"
#include "matesolver/input.h"
#include "support/oracle_client.h"
#include "support/sfen_problem.h"

namespace {

struct Row {
  std::string id, sfen;
  int plies;
};

std::vector<Row> readCsv(const std::string& path) {
  std::vector<Row> rows;
  std::ifstream in(path);
  std::string line;
  std::getline(in, line);
  while (std::getline(in, line)) {
    std::vector<std::string> f;
    std::stringstream ss(line);
    std::string cell;
    while (std::getline(ss, cell, ',')) f.push_back(cell);
    if (f.size() >= 5) rows.push_back({f[0], f[3], std::stoi(f[4])});
  }
  return rows;
}

double now() { return double(matesolver::monotonicMillis()) / 1000; }

// Plays the USI moves of `line` (legal moves only, an even number of them);
// false with the reason.
bool playLine(shogi::Position& pos, int& plies, const std::string& line, std::string* error) {
  std::istringstream in(line);
  std::string text;
  int played = 0;
  while (in >> text) {
    const shogi::Move m = shogi::parseUsiMove(pos, text);
    shogi::MoveList legal;
    shogi::generateLegal(pos, legal);
    if (m.isNull() || std::find(legal.begin(), legal.end(), m) == legal.end()) {
      *error = "--after: " + text + " is not a legal move here";
      return false;
    }
    pos.doMove(m);
    ++played;
  }
  if (played % 2 != 0) {
    *error = "--after: an odd number of plies leaves the defender to move";
    return false;
  }
  plies -= played;
  return true;
}

// Every check of the attacker but `first`; false when `first` is not a check.
bool allChecksBut(shogi::Position& pos, const std::string& first, std::vector<shogi::Move>& excluded,
                  std::string* error) {
  shogi::MoveList checks;
  shogi::generateChecks(pos, checks);
  bool found = false;
  for (shogi::Move m : checks) {
    if (shogi::usiMove(m) == first) {
      found = true;
    } else {
      excluded.push_back(m);
    }
  }
  if (!found) *error = "--first: " + first + " is not a check here";
  return found;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: classics <csv> [--seconds S] [--hash MiB] [--oracle PATH] [--oracle-nodes N] [--only ID]\n");
    return 2;
  }
  double seconds = 60;
  size_t hash = 1024;
  std::string oraclePath, only, after, first;
  long long oracleNodes = 20000000;
  int beyond = 0;
  for (int i = 2; i + 1 < argc; i += 2) {
    std::string o = argv[i], v = argv[i + 1];
    if (o == "--seconds") seconds = std::stod(v);
    if (o == "--hash") hash = std::stoul(v);
    if (o == "--oracle") oraclePath = v;
    if (o == "--oracle-nodes") oracleNodes = std::stoll(v);
    if (o == "--only") only = "," + v + ",";
    if (o == "--beyond") beyond = std::stoi(v);
    if (o == "--after") after = v;
    if (o == "--first") first = v;
  }
  OracleClient oracle(oraclePath.empty() ? "/nonexistent" : oraclePath);

  std::printf("%-10s %5s  %-7s %9s %12s %10s  %-8s %9s\n", "id", "plies", "ours", "seconds", "nodes", "nodes/s",
              "osl", "seconds");
  std::vector<double> times, oslTimes;
  int found = 0, total = 0, oslFound = 0;
  double worst = 0, oslAll = 0;
  uint64_t allNodes = 0;
  double allTime = 0;
  for (const Row& row : readCsv(argv[1])) {
    if (!only.empty() && only.find("," + row.id + ",") == std::string::npos) continue;
    ++total;
    std::string error;
    const std::string kzi = sfen_problem::openStepCheck(row.sfen, row.plies, "詰将棋", &error);
    matesolver::CheckInput input;
    std::vector<shogi::Move> excluded;
    if (kzi.empty() || !matesolver::parseCheckInput(kzi, input, &error) ||
        !playLine(input.position, input.plies, after, &error) ||
        (!first.empty() && !allChecksBut(input.position, first, excluded, &error))) {
      std::printf("%-10s %5d  error: %s\n", row.id.c_str(), row.plies, error.c_str());
      continue;
    }
    excluded.push_back(input.excluded);
    matesolver::MateSearch search(hash);
    search.limits.deadline = matesolver::monotonicMillis() + int64_t(seconds * 1000);
    const double start = now();
    std::string verdict;
    try {
      verdict = search.attackerMates(input.position, input.plies, excluded) ? "mate" : "nomate";
    } catch (const matesolver::Interrupted&) {
      verdict = "timeout";
    }
    const double elapsed = now() - start;
    int shortest = 0;
    if (verdict == "nomate" && beyond > 0) {
      try {
        for (int plies = input.plies + 2; plies <= input.plies + beyond && shortest == 0; plies += 2) {
          if (search.attackerMates(input.position, plies, excluded)) shortest = plies;
        }
      } catch (const matesolver::Interrupted&) {
      }
    }
    if (verdict == "mate") ++found;
    worst = std::max(worst, elapsed);
    times.push_back(verdict == "mate" ? elapsed : 1e9);
    allNodes += search.nodes;
    allTime += elapsed;
    std::string osl = "-", oslTime = "-";
    if (!oraclePath.empty() && first.empty()) {
      const double t0 = now();
      osl = oracle.ask("dfpn " + std::to_string(oracleNodes) + " " + (after.empty() ? row.sfen : input.position.sfen()));
      char b[32];
      const double t = now() - t0;
      std::snprintf(b, sizeof b, "%.2f", t);
      oslTime = b;
      osl = osl.substr(0, osl.find(' '));
      oslAll += t;
      oslFound += osl == "mate";
      oslTimes.push_back(osl == "mate" ? t : 1e9);
    }
    std::printf("%-10s %5d  %-7s %9.2f %12llu %10.0f  %-8s %9s\n", row.id.c_str(), input.plies, verdict.c_str(), elapsed,
                static_cast<unsigned long long>(search.nodes), elapsed > 0 ? search.nodes / elapsed : 0.0,
                osl.c_str(), oslTime.c_str());
    if (shortest != 0) std::printf("%-10s shortest mate %d plies (%.2f s)\n", row.id.c_str(), shortest, now() - start);
    std::fflush(stdout);
  }
  std::sort(times.begin(), times.end());
  std::printf("found %d of %d; total %.1f s; %.0f nodes/s overall", found, total, allTime,
              allTime > 0 ? allNodes / allTime : 0.0);
  if (!times.empty() && times[times.size() / 2] < 1e9) std::printf("; median %.2f s", times[times.size() / 2]);
  std::printf("; worst %.2f s\n", worst);
  if (!oslTimes.empty()) {
    std::sort(oslTimes.begin(), oslTimes.end());
    std::printf("OpenShogiLib: mate in %d of %d; total %.1f s", oslFound, total, oslAll);
    if (oslTimes[oslTimes.size() / 2] < 1e9) std::printf("; median %.2f s", oslTimes[oslTimes.size() / 2]);
    std::printf("\n");
  }
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("peak resident memory %ld MiB (table %zu MiB)\n", usage.ru_maxrss / 1024, hash);
  return 0;
}
