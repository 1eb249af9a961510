// Runs a fuzz target's entry, LLVMFuzzerTestOneInput, on every file of the
// directories (or on the files) given, in the order of their names: the
// seed corpus and the inputs kept from findings, replayed on every build
// without libFuzzer. The first argument must hold at least one file; the
// others may be missing (a target with no findings has no regressions).
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s <corpus directory or file> [...]\n", argv[0]);
    return 2;
  }
  size_t replayed = 0;
  for (int i = 1; i < argc; ++i) {
    std::vector<fs::path> files;
    std::error_code error;
    if (fs::is_directory(argv[i], error)) {
      for (const fs::directory_entry& entry : fs::directory_iterator(argv[i])) {
        if (entry.is_regular_file()) files.push_back(entry.path());
      }
      std::sort(files.begin(), files.end());
    } else if (fs::is_regular_file(argv[i], error)) {
      files.push_back(argv[i]);
    }
    if (i == 1 && files.empty()) {
      std::fprintf(stderr, "%s: no inputs in %s\n", argv[0], argv[i]);
      return 2;
    }
    for (const fs::path& file : files) {
      std::ifstream in(file, std::ios::binary);
      const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      if (!in.good() && !in.eof()) {
        std::fprintf(stderr, "%s: cannot read %s\n", argv[0], file.c_str());
        return 2;
      }
      // A copy of its own, as libFuzzer gives: a read past the end is caught.
      std::vector<uint8_t> data(bytes.begin(), bytes.end());
      std::fprintf(stderr, "%s\n", file.c_str());
      LLVMFuzzerTestOneInput(data.data(), data.size());
      ++replayed;
    }
  }
  std::fprintf(stderr, "%zu inputs replayed\n", replayed);
  return 0;
}
