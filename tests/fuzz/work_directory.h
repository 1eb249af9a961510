// A directory of the fuzz target's own for the files the checker reads and
// writes, made on first use under /dev/shm or else the system's temporary
// directory, and removed with its files when the process ends.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Its path, without a trailing separator.
const std::string& fuzzWorkDirectory();

// Writes bytes to a file there and returns its path.
std::string writeWorkFile(const std::string& name, const uint8_t* data, size_t size);
