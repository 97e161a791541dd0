// Tokens, round-tripping numbers and escaped strings of the host's text
// files; reading and writing whole files.
#include "host/files/scene_text.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <system_error>
#include <type_traits>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace cwhost {

namespace {

bool isSpace(char c) { return c == ' ' || c == '\t'; }

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// A byte that may not stand raw anywhere in a line.
bool isControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

std::string describeByte(unsigned char c) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", c);
  return text;
}

// Reads the quoted string starting at line[pos] (the opening quote); on
// success pos is past the closing quote.
bool readQuoted(std::string_view line, size_t& pos, std::string* out, std::string* error) {
  ++pos;
  while (pos < line.size()) {
    const unsigned char c = static_cast<unsigned char>(line[pos]);
    if (c == '"') {
      ++pos;
      return true;
    }
    if (c == '\\') {
      if (pos + 1 >= line.size()) break;
      const char e = line[pos + 1];
      pos += 2;
      switch (e) {
        case '\\':
          out->push_back('\\');
          break;
        case '"':
          out->push_back('"');
          break;
        case 'n':
          out->push_back('\n');
          break;
        case 'r':
          out->push_back('\r');
          break;
        case 't':
          out->push_back('\t');
          break;
        case 'x': {
          const int hi = pos < line.size() ? hexDigit(line[pos]) : -1;
          const int lo = pos + 1 < line.size() ? hexDigit(line[pos + 1]) : -1;
          if (hi < 0 || lo < 0) {
            *error = "expected two hex digits after \\x in a string";
            return false;
          }
          if (hi == 0 && lo == 0) {
            *error = "a string cannot hold a NUL byte (\\x00)";
            return false;
          }
          out->push_back(static_cast<char>(hi * 16 + lo));
          pos += 2;
          break;
        }
        default:
          *error = std::string("unknown escape \\") + e + " in a string (use \\\\ \\\" \\n \\r \\t or \\xHH)";
          return false;
      }
      continue;
    }
    if (isControl(c)) {
      *error = "control byte " + describeByte(c) + " inside a string (write it as \\xHH)";
      return false;
    }
    out->push_back(static_cast<char>(c));
    ++pos;
  }
  *error = "a string is not closed (expected a closing \" on the same line)";
  return false;
}

template <class T>
std::optional<T> parseWhole(std::string_view token, int base = 10) {
  T value{};
  const char* end = token.data() + token.size();
  std::from_chars_result result{};
  if constexpr (std::is_floating_point_v<T>) {
    (void)base;
    result = std::from_chars(token.data(), end, value);
  } else {
    result = std::from_chars(token.data(), end, value, base);
  }
  if (token.empty() || result.ec != std::errc() || result.ptr != end) return std::nullopt;
  return value;
}

// Integers: decimal with an optional minus sign, or 0x hex of up to 32 bits.
std::optional<int64_t> parseInteger(std::string_view token, bool* hex) {
  *hex = false;
  if (token.size() > 2 && token[0] == '0' && (token[1] == 'x' || token[1] == 'X')) {
    *hex = true;
    if (token.size() > 10) return std::nullopt;
    const std::optional<uint32_t> word = parseWhole<uint32_t>(token.substr(2), 16);
    if (!word) return std::nullopt;
    return static_cast<int64_t>(*word);
  }
  // from_chars takes no '+'; a longer token than any 32-bit value is out of
  // range anyway and must not overflow int64.
  if (token.empty() || token.size() > 12) return std::nullopt;
  return parseWhole<int64_t>(token);
}

}  // namespace

bool tokenizeLine(std::string_view line, std::vector<TextToken>* tokens, std::string* error) {
  tokens->clear();
  size_t pos = 0;
  while (pos < line.size()) {
    const unsigned char c = static_cast<unsigned char>(line[pos]);
    if (isSpace(static_cast<char>(c))) {
      ++pos;
      continue;
    }
    if (c == '#') break;
    TextToken token;
    if (c == '"') {
      token.quoted = true;
      if (!readQuoted(line, pos, &token.text, error)) return false;
      if (pos < line.size() && !isSpace(line[pos]) && line[pos] != '#') {
        *error = "expected a space after a closing \"";
        return false;
      }
    } else {
      while (pos < line.size()) {
        const unsigned char b = static_cast<unsigned char>(line[pos]);
        if (isSpace(static_cast<char>(b)) || b == '#') break;
        if (b == '"') {
          *error = "a quote inside a word (strings must start with \")";
          return false;
        }
        if (isControl(b)) {
          *error = "unexpected control byte " + describeByte(b);
          return false;
        }
        token.text.push_back(static_cast<char>(b));
        ++pos;
      }
    }
    tokens->push_back(std::move(token));
  }
  return true;
}

bool splitLines(std::string_view text, std::vector<std::string_view>* lines, int32_t* badLine) {
  lines->clear();
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    const bool last = end == std::string_view::npos;
    if (last) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.find('\0') != std::string_view::npos) {
      *badLine = static_cast<int32_t>(lines->size()) + 1;
      return false;
    }
    // The text's final line break ends the last line; it does not open one.
    if (!(last && line.empty() && start == text.size() && start != 0)) lines->push_back(line);
    if (last) break;
    start = end + 1;
  }
  return true;
}

namespace {

// The reason of the last failed C library call, as the system words it.
std::string systemReason(int code) { return std::error_code(code, std::generic_category()).message(); }

std::FILE* openForReading(const std::filesystem::path& p) {
#ifdef _WIN32
  return _wfopen(p.c_str(), L"rb");
#else
  return std::fopen(p.c_str(), "rb");
#endif
}

}  // namespace

bool readTextFile(const std::string& path, std::string* text, std::string* error, uintmax_t maxBytes) {
  std::error_code ec;
  const std::filesystem::path p(path);
  const std::filesystem::file_status status = std::filesystem::status(p, ec);
  if (ec || status.type() == std::filesystem::file_type::not_found) {
    // A folder on the way that cannot be searched is not a missing file.
    const bool missing = status.type() == std::filesystem::file_type::not_found ||
                         ec == std::errc::no_such_file_or_directory || ec == std::errc::not_a_directory;
    *error = path + (missing ? ": no such file" : ": cannot be reached (" + ec.message() + ")");
    return false;
  }
  if (status.type() == std::filesystem::file_type::directory) {
    *error = path + ": is a folder, not a file";
    return false;
  }
  auto tooLarge = [&](const std::string& size) {
    *error = path + ": too large (" + size + " bytes; at most " + std::to_string(maxBytes) + ")";
    return false;
  };
  if (status.type() == std::filesystem::file_type::regular) {
    const uintmax_t size = std::filesystem::file_size(p, ec);
    if (!ec && size > maxBytes) return tooLarge(std::to_string(size));
  }
  std::FILE* in = openForReading(p);
  if (in == nullptr) {
    *error = path + ": cannot be opened for reading (" + systemReason(errno) + ")";
    return false;
  }
  // Read in pieces whatever the kind of file: a device or a pipe has no
  // size to check first, so the limit is kept while reading.  A NUL byte
  // makes the text binary; reading stops there and the reader reports it.
  std::string buffer;
  char piece[1 << 16];
  bool failed = false;
  for (;;) {
    const size_t got = std::fread(piece, 1, sizeof piece, in);
    if (got > 0) {
      if (buffer.size() + got > maxBytes) {
        std::fclose(in);
        return tooLarge("more than " + std::to_string(maxBytes));
      }
      buffer.append(piece, got);
      if (std::memchr(piece, '\0', got) != nullptr) break;
    }
    if (got < sizeof piece) {
      failed = std::ferror(in) != 0;
      break;
    }
  }
  const int readError = errno;
  std::fclose(in);
  if (failed) {
    *error = path + ": read error (" + systemReason(readError) + ")";
    return false;
  }
  *text = std::move(buffer);
  return true;
}

namespace {

// Creates a fresh file beside `target` for writing, exclusively (never an
// existing file, never through a symbolic link).  -1 with errno set.
int createTemporary(const std::filesystem::path& target, std::filesystem::path* temporary) {
  static std::random_device stSeed;
  static std::mt19937_64 stNames(stSeed());
  const std::filesystem::path folder = target.parent_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    char name[40];
    std::snprintf(name, sizeof name, ".cagewarp-%016llx.tmp", static_cast<unsigned long long>(stNames()));
    *temporary = folder / name;
#ifdef _WIN32
    const int fd = _wopen(temporary->c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
#else
    const int fd = ::open(temporary->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
#endif
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// Writes all of text; false with errno set.
bool writeAll(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    const size_t chunk = std::min<size_t>(text.size() - done, size_t{1} << 20);
#ifdef _WIN32
    const int wrote = _write(fd, text.data() + done, static_cast<unsigned>(chunk));
#else
    const ssize_t wrote = ::write(fd, text.data() + done, chunk);
#endif
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) {
      if (wrote == 0) errno = EIO;
      return false;
    }
    done += static_cast<size_t>(wrote);
  }
  return true;
}

int closeFile(int fd) {
#ifdef _WIN32
  return _close(fd);
#else
  return ::close(fd);
#endif
}

}  // namespace

bool writeTextFile(const std::string& path, const std::string& text, std::string* error) {
  const std::filesystem::path target(path);
  std::filesystem::path temporary;
  const int fd = createTemporary(target, &temporary);
  if (fd < 0) {
    const int why = errno;
    std::error_code ec;
    const std::filesystem::path folder = target.parent_path();
    const bool folderMissing = !folder.empty() && !std::filesystem::is_directory(folder, ec);
    *error = path + (folderMissing ? ": its folder does not exist"
                                   : ": cannot be written (" + systemReason(why) + ")");
    return false;
  }
  const bool wrote = writeAll(fd, text);
  const int writeError = errno;
  const bool closed = closeFile(fd) == 0;
  const int closeError = errno;
  if (!wrote || !closed) {
    *error = path + ": write error (" + systemReason(!wrote ? writeError : closeError) + ")";
    std::error_code ignored;
    std::filesystem::remove(temporary, ignored);
    return false;
  }
  std::error_code ec;
  std::filesystem::rename(temporary, target, ec);
  std::error_code statusError;
  if (ec && std::filesystem::is_regular_file(target, statusError)) {
    // Some platforms' rename will not replace a file: remove it first (no
    // longer atomic, but the new text is complete on disk by now).
    std::error_code removed;
    if (std::filesystem::remove(target, removed)) {
      ec.clear();
      std::filesystem::rename(temporary, target, ec);
    }
  }
  if (ec) {
    *error = path + ": cannot be replaced (" + ec.message() + ")";
    std::error_code ignored;
    std::filesystem::remove(temporary, ignored);
    return false;
  }
  return true;
}

std::optional<double> parseDouble(std::string_view token) {
  // from_chars would also take "inf" and "nan"; scene times and values
  // must be finite.
  const std::optional<double> value = parseWhole<double>(token);
  if (!value || !std::isfinite(*value)) return std::nullopt;
  return value;
}

std::optional<float> parseFloat(std::string_view token) {
  constexpr std::string_view kNan = "nan(0x";
  if (token.substr(0, kNan.size()) == kNan && token.size() > kNan.size() + 1 && token.back() == ')') {
    const std::string_view digits = token.substr(kNan.size(), token.size() - kNan.size() - 1);
    if (digits.size() > 8) return std::nullopt;
    const std::optional<uint32_t> bits = parseWhole<uint32_t>(digits, 16);
    if (!bits) return std::nullopt;
    float value = 0.0f;
    std::memcpy(&value, &*bits, sizeof value);
    if (!std::isnan(value)) return std::nullopt;  // the bits must be a NaN's
    return value;
  }
  if (token == "inf") return HUGE_VALF;
  if (token == "-inf") return -HUGE_VALF;
  // Parsed straight to float: the shortest decimal of a float reads back to
  // exactly that float, which a detour through double would not promise.
  const std::optional<float> value = parseWhole<float>(token);
  if (!value || !std::isfinite(*value)) return std::nullopt;
  return value;
}

std::optional<int32_t> parseInt32(std::string_view token) {
  bool hex = false;
  const std::optional<int64_t> v = parseInteger(token, &hex);
  if (!v) return std::nullopt;
  if (hex) return static_cast<int32_t>(static_cast<uint32_t>(*v));
  if (*v < INT32_MIN || *v > INT32_MAX) return std::nullopt;
  return static_cast<int32_t>(*v);
}

std::optional<uint32_t> parseUint32(std::string_view token) {
  bool hex = false;
  const std::optional<int64_t> v = parseInteger(token, &hex);
  if (!v || *v < 0 || *v > static_cast<int64_t>(UINT32_MAX)) return std::nullopt;
  return static_cast<uint32_t>(*v);
}

std::optional<uint32_t> parseItemId(std::string_view token) {
  if (token.empty() || token.size() > 8) return std::nullopt;
  const std::optional<uint32_t> id = parseWhole<uint32_t>(token, 16);
  if (!id || *id == 0) return std::nullopt;
  return id;
}

std::string formatDouble(double value) {
  char text[64];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

std::string formatFloat(float value) {
  if (std::isnan(value)) {
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    char text[24];
    std::snprintf(text, sizeof text, "nan(0x%08X)", bits);
    return text;
  }
  if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
  char text[64];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

std::string formatItemId(uint64_t id) {
  char text[24];
  std::snprintf(text, sizeof text, "%08llX", static_cast<unsigned long long>(id));
  return text;
}

std::string formatHex32(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", value);
  return text;
}

std::string quoteText(std::string_view text) {
  std::string out = "\"";
  for (const char ch : text) {
    const unsigned char c = static_cast<unsigned char>(ch);
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '"':
        out += "\\\"";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (c < 0x20 || c >= 0x7F) {
          char hex[8];
          std::snprintf(hex, sizeof hex, "\\x%02X", c);
          out += hex;
        } else {
          out.push_back(ch);
        }
    }
  }
  out.push_back('"');
  return out;
}

}  // namespace cwhost
