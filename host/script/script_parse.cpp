// Parsing scripts: each line's tokens checked against its verb's form.
#include <cmath>
#include <map>
#include <optional>

#include "host/script/script.h"
#include "sdk/lwpanel.h"
#include "sdk/lwtool.h"

namespace cwhost {

namespace {

// The form of each verb, as error messages show it.
const std::map<std::string, std::string>& verbForms() {
  static const std::map<std::string, std::string> forms = {
      {"frame", "frame FRAME"},
      {"time", "time SECONDS"},
      {"select", "select NAME..."},
      {"command", "command LINE"},
      {"generic", "generic NAME"},
      {"tool", "tool NAME"},
      {"end-tool", "end-tool"},
      {"press", "press VIEW X Y [FLAG...]"},
      {"drag", "drag VIEW X Y [X Y]... [FLAG...]"},
      {"release", "release VIEW X Y [FLAG...]"},
      {"panel", "panel TITLE set|choose LABEL VALUE, panel TITLE press LABEL, panel TITLE click X Y [KEY...], "
                "panel TITLE close, panel TITLE picture FILE"},
      {"dialog", "dialog ok|cancel [LABEL VALUE]..."},
      {"answer", "answer yes|no|ok|cancel"},
      {"render", "render VIEW FILE [WIDTHxHEIGHT]"},
      {"write-obj", "write-obj [world]"},
      {"save", "save FILE"},
      {"expect", "expect item|no-item|point|keys|control|selection|tool ..."},
  };
  return forms;
}

const std::map<std::string, std::string>& expectForms() {
  static const std::map<std::string, std::string> forms = {
      {"item", "expect item NAME"},
      {"no-item", "expect no-item NAME"},
      {"point", "expect point NAME INDEX X Y Z [within TOLERANCE] [world]"},
      {"keys", "expect keys NAME CHANNEL COUNT"},
      {"control", "expect control TITLE LABEL VALUE [within TOLERANCE]"},
      {"selection", "expect selection [NAME...]"},
      {"tool", "expect tool NAME|none"},
  };
  return forms;
}

// Reads one line's tokens for one verb form, keeping the first problem.
struct LineReader {
  const std::vector<TextToken>& tokens;
  size_t next;
  std::string form;
  std::string problem;

  bool atEnd() const { return next >= tokens.size(); }
  bool fail(const std::string& what) {
    if (problem.empty()) problem = form + ": " + what;
    return false;
  }
  static std::string shown(const TextToken& t) { return t.quoted ? quoteText(t.text) : "\"" + t.text + "\""; }

  const TextToken* take(const char* what) {
    if (atEnd()) {
      fail(std::string(what) + " is missing");
      return nullptr;
    }
    return &tokens[next++];
  }
  bool text(const char* what, std::string* out) {
    const TextToken* t = take(what);
    if (t == nullptr) return false;
    *out = t->text;
    return true;
  }
  bool real(const char* what, double* out) {
    const TextToken* t = take(what);
    if (t == nullptr) return false;
    const std::optional<double> v = t->quoted ? std::nullopt : parseDouble(t->text);
    if (!v) return fail(std::string("expected a number for ") + what + ", got " + shown(*t));
    *out = *v;
    return true;
  }
  bool whole(const char* what, int32_t low, int32_t high, int32_t* out) {
    const TextToken* t = take(what);
    if (t == nullptr) return false;
    const std::optional<int32_t> v = t->quoted ? std::nullopt : parseInt32(t->text);
    if (!v || *v < low || *v > high)
      return fail(std::string("expected a whole number from ") + std::to_string(low) + " to " +
                  std::to_string(high) + " for " + what + ", got " + shown(*t));
    *out = *v;
    return true;
  }
  bool pixel(ScriptPosition* out) {
    return whole("X", -kScriptMaxPixel, kScriptMaxPixel, &out->x) &&
           whole("Y", -kScriptMaxPixel, kScriptMaxPixel, &out->y);
  }
  // Whether the next token is a bare word equal to `word`.
  bool peekWord(const char* word) const { return !atEnd() && !tokens[next].quoted && tokens[next].text == word; }
  bool nextIsWhole() const { return !atEnd() && !tokens[next].quoted && parseInt32(tokens[next].text).has_value(); }
  bool end() {
    if (!atEnd()) return fail("unexpected " + shown(tokens[next]) + " at the end");
    return true;
  }
  // Flag words up to the end of the line, each one of `known`.
  bool flags(const std::map<std::string, uint32_t>& known, const char* kind, uint32_t* out) {
    while (!atEnd()) {
      const TextToken& t = tokens[next++];
      auto it = t.quoted ? known.end() : known.find(t.text);
      if (it == known.end()) {
        std::string list;
        for (const auto& [word, bit] : known) list += (list.empty() ? "" : ", ") + word;
        return fail("expected a " + std::string(kind) + " (" + list + "), got " + shown(t));
      }
      *out |= it->second;
    }
    return true;
  }
};

const std::map<std::string, uint32_t> kToolFlags = {{"constrain", LWTOOLF_CONSTRAIN},
                                                    {"constrain-x", LWTOOLF_CONS_X},
                                                    {"constrain-y", LWTOOLF_CONS_Y},
                                                    {"right", LWTOOLF_ALT_BUTTON},
                                                    {"double", LWTOOLF_MULTICLICK}};
const std::map<std::string, uint32_t> kPanelKeys = {
    {"shift", LWPQ_SHIFT}, {"ctrl", LWPQ_CTRL}, {"alt", LWPQ_ALT}, {"right", LWPQ_RMB}, {"middle", LWPQ_MMB}};

// "640x480"
bool parseSize(const std::string& word, int32_t* width, int32_t* height) {
  const size_t x = word.find('x');
  if (x == std::string::npos) return false;
  const std::optional<int32_t> w = parseInt32(word.substr(0, x));
  const std::optional<int32_t> h = parseInt32(word.substr(x + 1));
  if (!w || !h || *w < 1 || *h < 1 || *w > 16384 || *h > 16384) return false;
  *width = *w;
  *height = *h;
  return true;
}

// An optional "within TOLERANCE".
bool parseWithin(LineReader& r, double* tolerance) {
  *tolerance = kScriptDefaultTolerance;
  if (!r.peekWord("within")) return true;
  ++r.next;
  if (!r.real("TOLERANCE", tolerance)) return false;
  if (*tolerance < 0) return r.fail("the tolerance must not be negative");
  return true;
}

bool parseExpect(LineReader& r, ScriptAction& a) {
  std::string what;
  if (r.atEnd() || r.tokens[r.next].quoted) return r.fail("expected what to expect after \"expect\"");
  what = r.tokens[r.next++].text;
  auto form = expectForms().find(what);
  if (form == expectForms().end()) return r.fail("\"" + what + "\" is not something to expect");
  r.form = form->second;
  if (what == "item" || what == "no-item") {
    a.verb = what == "item" ? ScriptVerb::ExpectItem : ScriptVerb::ExpectNoItem;
    return r.text("NAME", &a.name) && r.end();
  }
  if (what == "point") {
    a.verb = ScriptVerb::ExpectPoint;
    if (!r.text("NAME", &a.name) || !r.whole("INDEX", 0, INT32_MAX, &a.index) || !r.real("X", &a.point[0]) ||
        !r.real("Y", &a.point[1]) || !r.real("Z", &a.point[2]) || !parseWithin(r, &a.tolerance))
      return false;
    if (r.peekWord("world")) {
      ++r.next;
      a.world = true;
    }
    return r.end();
  }
  if (what == "keys") {
    a.verb = ScriptVerb::ExpectKeys;
    return r.text("NAME", &a.name) && r.text("CHANNEL", &a.label) && r.whole("COUNT", 0, INT32_MAX, &a.index) &&
           r.end();
  }
  if (what == "control") {
    a.verb = ScriptVerb::ExpectControl;
    if (!r.text("TITLE", &a.name) || !r.text("LABEL", &a.label)) return false;
    const TextToken* value = r.take("VALUE");
    if (value == nullptr) return false;
    a.pairs.emplace_back(a.label, *value);
    return parseWithin(r, &a.tolerance) && r.end();
  }
  if (what == "selection") {
    a.verb = ScriptVerb::ExpectSelection;
    while (!r.atEnd()) a.names.push_back(r.tokens[r.next++].text);
    return true;
  }
  a.verb = ScriptVerb::ExpectTool;
  if (!r.text("NAME", &a.name)) return false;
  if (!r.tokens[r.next - 1].quoted && a.name == "none") a.name.clear();
  return r.end();
}

bool parsePanel(LineReader& r, ScriptAction& a) {
  if (!r.text("TITLE", &a.name)) return false;
  std::string what;
  if (r.atEnd() || r.tokens[r.next].quoted) return r.fail("expected set, choose, press, click, close or picture after the title");
  what = r.tokens[r.next++].text;
  if (what == "set" || what == "choose") {
    a.verb = what == "set" ? ScriptVerb::PanelSet : ScriptVerb::PanelChoose;
    if (!r.text("LABEL", &a.label)) return false;
    const TextToken* value = r.take(what == "set" ? "VALUE" : "CHOICE");
    if (value == nullptr) return false;
    a.pairs.emplace_back(a.label, *value);
    return r.end();
  }
  if (what == "press") {
    a.verb = ScriptVerb::PanelPress;
    return r.text("LABEL", &a.label) && r.end();
  }
  if (what == "click") {
    a.verb = ScriptVerb::PanelClick;
    ScriptPosition p;
    if (!r.pixel(&p)) return false;
    a.path.push_back(p);
    return r.flags(kPanelKeys, "key or button", &a.flags);
  }
  if (what == "close") {
    a.verb = ScriptVerb::PanelClose;
    return r.end();
  }
  if (what == "picture") {
    a.verb = ScriptVerb::PanelPicture;
    return r.text("FILE", &a.text) && r.end();
  }
  return r.fail("expected set, choose, press, click, close or picture after the title, got \"" + what + "\"");
}

bool parsePointer(LineReader& r, ScriptAction& a, const std::string& verb) {
  a.verb = verb == "press" ? ScriptVerb::Press : verb == "drag" ? ScriptVerb::Drag : ScriptVerb::Release;
  if (!r.text("VIEW", &a.view)) return false;
  ScriptPosition p;
  if (!r.pixel(&p)) return false;
  a.path.push_back(p);
  if (verb == "drag") {
    while (r.nextIsWhole()) {
      if (!r.pixel(&p)) return false;
      a.path.push_back(p);
    }
  }
  return r.flags(kToolFlags, "flag", &a.flags);
}

bool parseTokens(LineReader& r, ScriptAction& a) {
  const std::string verb = r.tokens[0].text;
  r.next = 1;
  if (verb == "expect") return parseExpect(r, a);
  if (verb == "frame" || verb == "time") {
    a.verb = verb == "frame" ? ScriptVerb::Frame : ScriptVerb::Time;
    return r.real(verb == "frame" ? "FRAME" : "SECONDS", &a.number) && r.end();
  }
  if (verb == "select") {
    a.verb = ScriptVerb::Select;
    if (r.atEnd()) return r.fail("at least one NAME is needed");
    while (!r.atEnd()) a.names.push_back(r.tokens[r.next++].text);
    return true;
  }
  if (verb == "command") {
    a.verb = ScriptVerb::Command;
    if (r.atEnd()) return r.fail("the command LINE is missing");
    // The host's commands take quoted names as they are written.
    for (; !r.atEnd(); ++r.next) {
      const TextToken& t = r.tokens[r.next];
      a.text += (a.text.empty() ? "" : " ") + (t.quoted ? "\"" + t.text + "\"" : t.text);
    }
    return true;
  }
  if (verb == "generic" || verb == "tool") {
    a.verb = verb == "generic" ? ScriptVerb::Generic : ScriptVerb::Tool;
    return r.text("NAME", &a.name) && r.end();
  }
  if (verb == "end-tool") {
    a.verb = ScriptVerb::EndTool;
    return r.end();
  }
  if (verb == "press" || verb == "drag" || verb == "release") return parsePointer(r, a, verb);
  if (verb == "panel") return parsePanel(r, a);
  if (verb == "dialog") {
    a.verb = ScriptVerb::Dialog;
    if (r.peekWord("ok") || r.peekWord("cancel")) {
      a.accept = r.tokens[r.next++].text == "ok";
    } else {
      return r.fail("expected ok or cancel");
    }
    while (!r.atEnd()) {
      std::string label;
      if (!r.text("LABEL", &label)) return false;
      const TextToken* value = r.take("the VALUE after a LABEL");
      if (value == nullptr) return false;
      a.pairs.emplace_back(label, *value);
    }
    return true;
  }
  if (verb == "answer") {
    a.verb = ScriptVerb::Answer;
    static const std::map<std::string, ScriptReply> replies = {
        {"yes", ScriptReply::Yes}, {"no", ScriptReply::No}, {"ok", ScriptReply::Ok}, {"cancel", ScriptReply::Cancel}};
    std::string word;
    if (!r.text("the reply", &word)) return false;
    auto it = replies.find(word);
    if (it == replies.end() || r.tokens[r.next - 1].quoted) return r.fail("expected yes, no, ok or cancel, got \"" + word + "\"");
    a.reply = it->second;
    return r.end();
  }
  if (verb == "render") {
    a.verb = ScriptVerb::Render;
    if (!r.text("VIEW", &a.view) || !r.text("FILE", &a.text)) return false;
    if (!r.atEnd()) {
      const TextToken* size = r.take("WIDTHxHEIGHT");
      if (size->quoted || !parseSize(size->text, &a.width, &a.height))
        return r.fail("expected a size WIDTHxHEIGHT (1 to 16384 each), got " + LineReader::shown(*size));
    }
    return r.end();
  }
  if (verb == "write-obj") {
    a.verb = ScriptVerb::WriteObj;
    if (r.peekWord("world")) {
      ++r.next;
      a.world = true;
    }
    return r.end();
  }
  if (verb == "save") {
    a.verb = ScriptVerb::Save;
    return r.text("FILE", &a.text) && r.end();
  }
  return r.fail("");
}

}  // namespace

bool parseScript(std::string_view text, const std::string& fileName, Script* script, std::string* error) {
  script->fileName = fileName;
  script->actions.clear();
  std::vector<std::string_view> lines;
  int32_t badLine = 0;
  if (!splitLines(text, &lines, &badLine)) {
    *error = fileName + ":" + std::to_string(badLine) + ": a NUL byte: a script is text";
    return false;
  }
  for (size_t i = 0; i < lines.size(); ++i) {
    const int32_t number = static_cast<int32_t>(i + 1);
    const std::string where = fileName + ":" + std::to_string(number) + ": ";
    std::vector<TextToken> tokens;
    std::string why;
    if (!tokenizeLine(lines[i], &tokens, &why)) {
      *error = where + why;
      return false;
    }
    if (tokens.empty()) continue;
    if (tokens[0].quoted) {
      *error = where + "a line starts with an action word, not a string";
      return false;
    }
    auto form = verbForms().find(tokens[0].text);
    if (form == verbForms().end()) {
      *error = where + "unknown action \"" + tokens[0].text + "\" (expected one of:";
      for (const auto& [verb, shape] : verbForms()) *error += " " + verb;
      *error += ")";
      return false;
    }
    LineReader reader{tokens, 1, form->second, ""};
    ScriptAction action;
    action.line = number;
    action.source = std::string(lines[i]);
    if (!parseTokens(reader, action)) {
      *error = where + reader.problem;
      return false;
    }
    script->actions.push_back(std::move(action));
  }
  return true;
}

bool readScript(const std::string& path, Script* script, std::string* error) {
  std::string text;
  if (!readTextFile(path, &text, error)) return false;
  return parseScript(text, path, script, error);
}

}  // namespace cwhost
