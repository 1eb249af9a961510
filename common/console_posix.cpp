// The console on POSIX systems: a terminal is recognised by isatty, its
// character set is that of the user's locale, and iconv converts.
#include <iconv.h>
#include <langinfo.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <cstdlib>

#include "common/console.h"

namespace console {

namespace {

// The locale's character set, read once.
const std::string& localeCharset() {
  static const std::string charset = [] {
    // Only the character classification follows the user; everything else
    // stays in the C locale.
    std::setlocale(LC_CTYPE, "");
    const char* name = nl_langinfo(CODESET);
    return std::string(name != nullptr ? name : "");
  }();
  return charset;
}

bool isLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

}  // namespace

std::string fromCp932(const std::string& text, const std::string& charset) {
  iconv_t cd = iconv_open(charset.c_str(), "CP932");
  if (cd == reinterpret_cast<iconv_t>(-1)) return text;
  std::string out;
  char* source = const_cast<char*>(text.data());
  size_t left = text.size();
  char buffer[1024];
  while (left > 0) {
    char* target = buffer;
    size_t room = sizeof buffer;
    const size_t rc = iconv(cd, &source, &left, &target, &room);
    out.append(buffer, size_t(target - buffer));
    if (rc != size_t(-1) || errno == E2BIG) continue;
    // A character the conversion cannot take (or a lead byte cut off at the
    // end): copy it as it is and go on after it.
    const size_t n = isLeadByte(static_cast<unsigned char>(*source)) && left >= 2 ? 2 : 1;
    out.append(source, n);
    source += n;
    left -= n;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  iconv_close(cd);
  return out;
}

void write(std::FILE* stream, const std::string& text) {
  // Writing a message must not change the error number a report is about
  // to print (isatty sets it when the stream is no terminal).
  const int savedErrno = errno;
  const std::string charset =
      targetCharset(isatty(fileno(stream)) != 0, localeCharset(), std::getenv("TSUKA_CONSOLE_ENCODING"));
  if (charset.empty()) {
    std::fputs(text.c_str(), stream);
  } else {
    std::fputs(fromCp932(text, charset).c_str(), stream);
  }
  errno = savedErrno;
}

}  // namespace console
