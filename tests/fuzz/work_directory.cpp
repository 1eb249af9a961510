#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "fuzz/fuzz_check.h"
#include "fuzz/work_directory.h"

namespace {

std::string directory;

void removeDirectory() {
  std::error_code ignored;
  std::filesystem::remove_all(directory, ignored);
}

}  // namespace

const std::string& fuzzWorkDirectory() {
  if (directory.empty()) {
    // A file system in memory where there is one: a file truncated and
    // written again is flushed to the disk when it closes on some (ext4),
    // which costs each input tens of milliseconds.
    std::error_code error;
    const std::filesystem::path base =
        std::filesystem::is_directory("/dev/shm", error) ? "/dev/shm" : std::filesystem::temp_directory_path();
    std::string pattern = (base / "tsuka-fuzz-XXXXXX").string();
    FUZZ_CHECK(mkdtemp(pattern.data()) != nullptr);
    directory = pattern;
    std::atexit(removeDirectory);
  }
  return directory;
}

std::string writeWorkFile(const std::string& name, const uint8_t* data, size_t size) {
  const std::string path = fuzzWorkDirectory() + "/" + name;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), std::streamsize(size));
  FUZZ_CHECK(out.flush());
  return path;
}
