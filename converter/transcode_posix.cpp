// Transcoding through the C library's iconv.
#include <iconv.h>

#include <cerrno>

#include "converter/transcode.h"

namespace transcode {

namespace {

bool convert(const char* to, const char* from, const std::string& in, std::string& out, size_t* failedAt) {
  out.clear();
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    if (failedAt) *failedAt = 0;
    return false;
  }
  char* source = const_cast<char*>(in.data());
  size_t left = in.size();
  char buffer[4096];
  bool ok = true;
  while (left > 0) {
    char* target = buffer;
    size_t room = sizeof buffer;
    const size_t rc = iconv(cd, &source, &left, &target, &room);
    out.append(buffer, size_t(target - buffer));
    if (rc == size_t(-1) && errno != E2BIG) {
      ok = false;
      if (failedAt) *failedAt = size_t(source - in.data());
      break;
    }
  }
  iconv_close(cd);
  return ok;
}

}  // namespace

bool utf8ToCp932(const std::string& in, std::string& out, size_t* failedAt) {
  return convert("CP932", "UTF-8", in, out, failedAt);
}

bool cp932ToUtf8(const std::string& in, std::string& out, size_t* failedAt) {
  return convert("UTF-8", "CP932", in, out, failedAt);
}

}  // namespace transcode
