// The checker's view of the operating system: paths, error texts, text-mode
// files, child programs, the work-file clean-up and the console key wait.
// One implementation per system stands behind this header; nothing else in
// the checker knows which system it runs on.
#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>

namespace platform {

// The separator that joins a directory and a file name in the paths the
// checker forms ("<directory><sep>KZSHOW.KDB").
extern const char pathSeparator[];

// The layer's own last-error code, kept as the system keeps its own: set by
// the path services, by file opens and by program starts that fail.
int lastError();

// Set errno and the last error to the system's code for a name that is too
// long (a path the checker refuses to cut) or for memory exhausted.
void setNameTooLong();
void setOutOfMemory();

// The system's text for an error code, without a line break added.
std::string errorText(int code);

// Absolute form of `name`, resolved against the current directory. Writes it
// to `out` (capacity bytes with the terminator) and the offset of its last
// element (the file part) to *filePart. False on failure, with the last
// error set and errno left as it was; a result that does not fit fails.
bool fullPath(const char* name, char* out, size_t capacity, size_t* filePart);

// Short (8.3) form of an existing path, into `out`. False on failure (the
// path does not exist, or the result does not fit), with the last error set
// and errno left as it was.
bool shortPath(const char* path, char* out, size_t capacity);

// Opens a file in text mode for reading ("r") or writing ("w", created or
// truncated). On failure returns nullptr with errno and the last error set.
// Text mode as on Windows: reading turns CR LF into LF, writing turns each
// "\n" into CR LF, so the files are the same bytes on every system.
std::FILE* openTextFile(const char* path, const char* mode);

// Reads the next line, or the next piece of at most size - 1 bytes of a
// longer line, like fgets on a text-mode stream. False at the end of the file.
bool readTextLine(std::FILE* file, char* buffer, int size);

// Writes text to a file opened by openTextFile for writing.
void writeText(std::FILE* file, const char* text);

void closeTextFile(std::FILE* file);

// A text file closed when its owner goes: a failure that unwinds (see
// failedRunEnd in tsuka/driver/diagnostics.h) leaves no file open.
struct TextFileCloser {
  void operator()(std::FILE* file) const { closeTextFile(file); }
};
using OwnedTextFile = std::unique_ptr<std::FILE, TextFileCloser>;

// Starts a program by name, with arguments[0] as its own name and the list
// ended by nullptr, and waits for it to end. The program is looked up in the
// current directory, then along the PATH. Its exit status is not used.
// Returns false when it cannot be started, with errno and the last error set.
bool runProgram(const char* const* arguments);

// Sets a variable in the environment that every program started later
// inherits. The checker itself reads none but the console's encoding
// override (common/console.h).
void setChildEnvironment(const char* name, const char* value);

// Deletes every file of the current directory whose name matches
// tsuka*.kzi or tsuka*.kzo, without regard to case; failures are ignored.
void deleteOldWorkFiles();

// Deletes a file; a failure (normally: there is none) is ignored.
void removeFile(const char* path);

// Waits for one key press on the console, without echo; returns at once
// when there is no console to read from.
void waitForKeyPress();

}  // namespace platform
