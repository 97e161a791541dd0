// Converting UTF-8 test texts to Shift-JIS with the platform's own
// converter (glibc's iconv, or the Windows code page 932 tables), so that a
// table's Shift-JIS bytes are checked against an independent source rather
// than against bytes copied into the test.
#ifndef CAGEWARP_TESTS_SUPPORT_SHIFT_JIS_H
#define CAGEWARP_TESTS_SUPPORT_SHIFT_JIS_H

#include <optional>
#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

namespace cwtest {

// Whether the platform has a converter to Shift-JIS at all: Windows always
// does; glibc only with its CP932 module installed, which Debian's arm64
// cross packages (what the arm64 tests run on under qemu-user) lack.
inline bool shiftJisConverterAvailable() {
#ifdef _WIN32
  return true;
#else
  iconv_t cd = iconv_open("CP932", "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  iconv_close(cd);
  return true;
#endif
}

// The Shift-JIS (code page 932) form of a UTF-8 text; nullopt when the
// text is not valid UTF-8 or has a character Shift-JIS cannot hold (or
// there is no converter: see shiftJisConverterAvailable).
inline std::optional<std::string> utf8ToShiftJis(const std::string& utf8) {
  if (utf8.empty()) return std::string();
#ifdef _WIN32
  const int wideLength = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(),
                                             static_cast<int>(utf8.size()), nullptr, 0);
  if (wideLength <= 0) return std::nullopt;
  std::wstring wide(static_cast<size_t>(wideLength), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                      wideLength);
  BOOL lossy = FALSE;
  const int length = WideCharToMultiByte(932, 0, wide.data(), wideLength, nullptr, 0, nullptr, &lossy);
  if (length <= 0 || lossy) return std::nullopt;
  std::string out(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(932, 0, wide.data(), wideLength, out.data(), length, nullptr, nullptr);
  return out;
#else
  iconv_t cd = iconv_open("CP932", "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::string in = utf8;
  std::string out(in.size() * 2 + 16, '\0');
  char* inPtr = in.data();
  size_t inLeft = in.size();
  char* outPtr = out.data();
  size_t outLeft = out.size();
  const size_t result = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
  iconv_close(cd);
  if (result == static_cast<size_t>(-1) || inLeft != 0) return std::nullopt;
  out.resize(out.size() - outLeft);
  return out;
#endif
}

}  // namespace cwtest

#endif  // CAGEWARP_TESTS_SUPPORT_SHIFT_JIS_H
