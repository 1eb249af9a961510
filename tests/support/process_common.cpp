#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

#include "support/process.h"

std::string joinPath(const std::string& directory, const std::string& name) {
  return directory + kPathSeparator + name;
}

TempDir::TempDir() {
  std::filesystem::path base = std::filesystem::temp_directory_path();
  std::random_device seed;
  std::mt19937_64 random(seed());
  for (int attempt = 0; attempt < 100; ++attempt) {
    // An 8.3 name, the same in its long and short forms.
    std::filesystem::path candidate = base / ("tt" + std::to_string(100000 + random() % 900000));
    std::error_code error;
    if (std::filesystem::create_directory(candidate, error)) {
      path_ = std::filesystem::canonical(candidate).string();
      return;
    }
  }
  throw std::runtime_error("no temporary directory could be made");
}

std::string missingDirectory() {
  std::string base = std::filesystem::temp_directory_path().string();
  while (base.size() > 1 && (base.back() == '/' || base.back() == '\\')) base.pop_back();
  return joinPath(base, "tsuka-missing");
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool fileExists(const std::string& path) { return std::filesystem::exists(path); }

void makeDirectory(const std::string& path) { std::filesystem::create_directories(path); }

void installProgram(const std::string& from, const std::string& to) {
  std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing);
  std::filesystem::permissions(to, std::filesystem::perms::owner_all | std::filesystem::perms::group_read |
                                       std::filesystem::perms::group_exec | std::filesystem::perms::others_read |
                                       std::filesystem::perms::others_exec);
}

std::string lookUpProgram(const std::string& name, const std::string& path) {
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find(kPathListSeparator[0], start);
    if (end == std::string::npos) end = path.size();
    std::string found = programIn(path.substr(start, end - start), name);
    if (!found.empty()) return found;
    start = end + 1;
  }
  return name;
}

std::string withoutCarriageReturns(const std::string& text) {
  // A text that already ends its lines in CR LF gains a second CR in text
  // mode: every CR in a run that ends in LF goes.
  std::string result;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      size_t end = text.find_first_not_of('\r', i);
      if (end != std::string::npos && text[end] == '\n') {
        i = end - 1;
        continue;
      }
    }
    result += text[i];
  }
  return result;
}
