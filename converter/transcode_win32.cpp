// Transcoding through the Windows code page services.
#include <windows.h>

#include <string>

#include "converter/transcode.h"

namespace transcode {

namespace {

constexpr UINT kCp932 = 932;

bool toWide(UINT codePage, const std::string& in, std::wstring& out) {
  out.clear();
  if (in.empty()) return true;
  const int n = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, in.data(), int(in.size()), nullptr, 0);
  if (n <= 0) return false;
  out.resize(size_t(n));
  return MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, in.data(), int(in.size()), out.data(), n) == n;
}

bool fromWide(UINT codePage, const std::wstring& in, std::string& out) {
  out.clear();
  if (in.empty()) return true;
  BOOL lossy = FALSE;
  BOOL* lossyFlag = codePage == CP_UTF8 ? nullptr : &lossy;
  const DWORD flags = codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
  const int n = WideCharToMultiByte(codePage, flags, in.data(), int(in.size()), nullptr, 0, nullptr, lossyFlag);
  if (n <= 0 || lossy) return false;
  out.resize(size_t(n));
  return WideCharToMultiByte(codePage, flags, in.data(), int(in.size()), out.data(), n, nullptr, lossyFlag) == n &&
         !lossy;
}

bool convert(UINT from, UINT to, const std::string& in, std::string& out) {
  std::wstring wide;
  return toWide(from, in, wide) && fromWide(to, wide, out);
}

// The whole text at once; on failure, line by line to find where.
bool convertText(UINT from, UINT to, const std::string& in, std::string& out, size_t* failedAt) {
  if (convert(from, to, in, out)) return true;
  size_t begin = 0;
  while (begin < in.size()) {
    size_t end = in.find('\n', begin);
    end = end == std::string::npos ? in.size() : end + 1;
    std::string piece;
    if (!convert(from, to, in.substr(begin, end - begin), piece)) break;
    begin = end;
  }
  if (failedAt) *failedAt = begin;
  return false;
}

}  // namespace

bool utf8ToCp932(const std::string& in, std::string& out, size_t* failedAt) {
  return convertText(CP_UTF8, kCp932, in, out, failedAt);
}

bool cp932ToUtf8(const std::string& in, std::string& out, size_t* failedAt) {
  return convertText(kCp932, CP_UTF8, in, out, failedAt);
}

}  // namespace transcode
