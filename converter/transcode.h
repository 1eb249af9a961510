// Text encodings of the converter's inputs: problems come as code page 932
// (Shift_JIS, the problem file's own encoding) or as UTF-8.
#pragma once

#include <cstddef>
#include <string>

namespace transcode {

// Whether the bytes are well-formed UTF-8 (plain ASCII is).
bool isUtf8(const std::string& text);

// Converts between UTF-8 and code page 932. False when a character cannot be
// converted; *failedAt then holds its byte offset in the input.
bool utf8ToCp932(const std::string& in, std::string& out, size_t* failedAt);
bool cp932ToUtf8(const std::string& in, std::string& out, size_t* failedAt);

}  // namespace transcode
