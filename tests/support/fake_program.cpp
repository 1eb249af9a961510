// A stand-in for the converter and the solver in process-level tests.
//
// It follows the plan file named by the environment variable FAKE_PLAN. Each
// line is "<program>[#<run>] <action> <arguments>": <program> is the name the
// fake was started under ("KZSHOW.EXE", "KZ.EXE", or "*" for any), "#<run>"
// limits the line to that run of the program (counted from 1), and the
// actions are
//   log <file>          append every argument, one a line, then "--"
//   append <src> <dst>  append the bytes of src to dst
//   copy <src> <dst>    replace dst by the bytes of src
// where "@I" and "@O" stand for the paths after the "/I" and "/O" arguments.
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

static std::string readAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

static std::string baseOf(const std::string& path) {
  size_t at = path.find_last_of("/\\");
  return at == std::string::npos ? path : path.substr(at + 1);
}

int main(int argc, char** argv) {
  const char* planPath = std::getenv("FAKE_PLAN");
  if (planPath == nullptr) return 3;
  std::string self = baseOf(argv[0]);
  std::string input, output;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a.rfind("/I", 0) == 0) input = a.substr(2);
    if (a.rfind("/O", 0) == 0) output = a.substr(2);
  }
  auto resolve = [&](const std::string& s) { return s == "@I" ? input : s == "@O" ? output : s; };

  std::string counterPath = std::string(planPath) + "." + self + ".count";
  int run = std::atoi(readAll(counterPath).c_str()) + 1;
  std::ofstream(counterPath, std::ios::binary | std::ios::trunc) << run;

  std::ifstream plan(planPath);
  std::string line;
  while (std::getline(plan, line)) {
    std::istringstream words(line);
    std::string who, action, a, b;
    words >> who >> action >> a >> b;
    int only = 0;
    if (size_t hash = who.find('#'); hash != std::string::npos) {
      only = std::atoi(who.c_str() + hash + 1);
      who.erase(hash);
    }
    if ((who != "*" && who != self) || (only != 0 && only != run)) continue;
    if (action == "log") {
      std::ofstream log(resolve(a), std::ios::binary | std::ios::app);
      for (int i = 0; i < argc; ++i) log << argv[i] << "\n";
      log << "--\n";
    } else if (action == "append") {
      std::ofstream(resolve(b), std::ios::binary | std::ios::app) << readAll(resolve(a));
    } else if (action == "copy") {
      std::ofstream(resolve(b), std::ios::binary | std::ios::trunc) << readAll(resolve(a));
    }
  }
  return 0;
}
