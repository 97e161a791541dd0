/*
 * scene_text.h -- the lexical layer of the host's text files (scene files
 * and the directives inside OBJ meshes): lines split into tokens, and
 * numbers and strings written so that reading them back gives the same
 * bits.
 *
 * Tokens are separated by spaces or tabs.  A token is a bare word (any run
 * of printable bytes without space, tab, '"' or '#') or a quoted string.
 * A '#' outside a string starts a comment that runs to the end of the line.
 *
 * Quoted strings hold any byte but NUL.  Inside the quotes: \\ and \" stand
 * for themselves, \n \r \t for the control bytes, \xHH for any byte (two
 * hex digits, 01..FF); every other byte below 0x20 and the byte 0x7F must be
 * escaped; bytes from 0x80 up may stand raw (UTF-8 text) or escaped.
 * `quoteText` escapes every byte outside printable ASCII, so that saved
 * files are plain ASCII whatever the strings hold.
 *
 * Numbers round-trip: `formatDouble` / `formatFloat` write the shortest
 * decimal that reads back to the same value; a float NaN, whose payload a
 * decimal cannot carry, is written as nan(0xBITS) with its 32 bits.
 */
#ifndef CAGEWARP_HOST_SCENE_TEXT_H
#define CAGEWARP_HOST_SCENE_TEXT_H

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cwhost {

struct TextToken {
  bool quoted = false; /* a quoted string (text is its unescaped bytes) */
  std::string text;
};

/* One line of tokens; `number` counts from 1. */
struct TextLine {
  int32_t number = 0;
  std::vector<TextToken> tokens;
};

/* Splits one line (without its line break) into tokens.  Returns false with
 * what was wrong in *error (an unterminated string, a bad escape, a control
 * byte) and the tokens so far. */
bool tokenizeLine(std::string_view line, std::vector<TextToken>* tokens, std::string* error);

/* Splits a whole text into its lines (a "\r\n" ending counts as "\n").  A
 * NUL byte anywhere makes the text binary: false, with *badLine set to the
 * line holding it. */
bool splitLines(std::string_view text, std::vector<std::string_view>* lines, int32_t* badLine);

/* The largest text file the host reads: far above any real scene or mesh,
 * low enough that a wrong path to a huge file fails at once. */
inline constexpr uintmax_t kMaxTextFileBytes = uintmax_t{1} << 30;

/* Reads a whole file into *text.  False with the reason in *error
 * (missing, unreachable, unreadable, a folder, more than maxBytes -- a
 * limit kept while reading, so that a device or a pipe without a size
 * cannot exhaust memory).  Reading stops after a piece holding a NUL byte:
 * such a text is binary, and the text readers report it with its line. */
bool readTextFile(const std::string& path, std::string* text, std::string* error,
                  uintmax_t maxBytes = kMaxTextFileBytes);
/* Writes text to path through a fresh temporary file in the same folder
 * (created exclusively: never an existing file, never through a link),
 * renamed over path at the end, so that a failed write leaves any old file
 * whole.  False with the reason in *error, in the system's words (no space
 * left, name too long, permission denied). */
bool writeTextFile(const std::string& path, const std::string& text, std::string* error);

/* The token as a number of each kind; nullopt when it is not one or is out
 * of range.  Doubles must be finite.  Integers are decimal or 0x hex (a hex
 * I4 takes any 32-bit word, as U4 does).  Floats also take inf, -inf and
 * nan(0xBITS). */
std::optional<double> parseDouble(std::string_view token);
std::optional<float> parseFloat(std::string_view token);
std::optional<int32_t> parseInt32(std::string_view token);
std::optional<uint32_t> parseUint32(std::string_view token);
/* An item identifier: 1 to 8 hex digits, not 0. */
std::optional<uint32_t> parseItemId(std::string_view token);

std::string formatDouble(double value);
std::string formatFloat(float value);
std::string formatItemId(uint64_t id);   /* 8 hex digits, upper case */
std::string formatHex32(uint32_t value); /* 0x and upper-case hex digits, no padding */
/* The text quoted and escaped as above. */
std::string quoteText(std::string_view text);

}  // namespace cwhost

#endif /* CAGEWARP_HOST_SCENE_TEXT_H */
