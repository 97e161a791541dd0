// The command language: parsing each command line and carrying it out.
// A refused command changes nothing and says why.
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "host/core/internal.h"

namespace cwhost {

namespace {

std::string trim(const std::string& text) {
  size_t a = 0, b = text.size();
  while (a < b && std::isspace(static_cast<unsigned char>(text[a]))) ++a;
  while (b > a && std::isspace(static_cast<unsigned char>(text[b - 1]))) --b;
  return text.substr(a, b - a);
}

// Splits off the first blank-separated word; rest is trimmed.
void splitWord(const std::string& text, std::string& word, std::string& rest) {
  const std::string t = trim(text);
  size_t end = 0;
  while (end < t.size() && !std::isspace(static_cast<unsigned char>(t[end]))) ++end;
  word = t.substr(0, end);
  rest = trim(t.substr(end));
}

// A text argument: the whole rest, without surrounding double quotes.
std::string textArgument(const std::string& rest) {
  if (rest.size() >= 2 && rest.front() == '"' && rest.back() == '"') return rest.substr(1, rest.size() - 2);
  return rest;
}

// An item identifier written in hexadecimal (with or without 0x), as the
// "%x" format writes it; at most 16 digits.
std::optional<LWItemID> parseHexID(const std::string& word) {
  std::string digits = word;
  if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) digits = digits.substr(2);
  if (digits.empty() || digits.size() > 16) return std::nullopt;
  LWItemID value = 0;
  for (char c : digits) {
    int d = 0;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else return std::nullopt;
    value = (value << 4) | static_cast<LWItemID>(d);
  }
  return value;
}

std::optional<int32_t> parseInt(const std::string& word) {
  if (word.empty()) return std::nullopt;
  errno = 0;
  char* end = nullptr;
  const long long v = std::strtoll(word.c_str(), &end, 10);
  if (errno != 0 || end == nullptr || *end != '\0' || v < INT32_MIN || v > INT32_MAX) return std::nullopt;
  return static_cast<int32_t>(v);
}

std::optional<double> parseReal(const std::string& word) {
  if (word.empty()) return std::nullopt;
  errno = 0;
  char* end = nullptr;
  const double v = std::strtod(word.c_str(), &end);
  if (errno == ERANGE || end == nullptr || *end != '\0' || !std::isfinite(v)) return std::nullopt;
  return v;
}

bool isHandlerClass(const std::string& name) {
  return name == LWCLASS_CUSTOMOBJ_HANDLER || name == LWCLASS_DISPLACEMENT_HANDLER;
}

}  // namespace

bool Host::command(const std::string& line) {
  OperationScope scope(*this);
  CommandRecord record;
  record.line = line;
  record.depth = commandDepth_;
  record.fromPlugin = depth_ > 1;
  const size_t index = commands_.size();
  commands_.push_back(record);
  std::string error;
  ++commandDepth_;
  const bool ok = runCommand(line, &error);
  --commandDepth_;
  commands_[index].ok = ok;
  commands_[index].error = ok ? "" : error;
  lastCommandError_ = ok ? "" : error;
  return ok;
}

bool Host::runCommand(const std::string& line, std::string* error) {
  std::string name, rest;
  splitWord(line, name, rest);
  auto refuse = [&](const std::string& why) {
    *error = why;
    return false;
  };
  auto noArguments = [&]() {
    if (!rest.empty()) return refuse("\"" + name + "\" takes no arguments, got \"" + rest + "\"");
    return true;
  };
  auto firstSelected = [&]() -> LWItemID { return scene_.selection.empty() ? 0 : scene_.selection.front(); };

  if (name.empty()) return refuse("empty command");

  if (name == "AddNull") {
    const std::string itemName = textArgument(rest);
    if (itemName.empty()) return refuse("\"AddNull\" needs a name");
    const LWItemID id = addItem(ItemKind::Null, itemName);
    select({id});
    return true;
  }
  if (name == "ApplyServer" || name == "EditServer" || name == "RemoveServer") {
    std::string className, argument;
    splitWord(rest, className, argument);
    if (className.empty() || argument.empty())
      return refuse("\"" + name + "\" needs a class and " +
                    std::string(name == "ApplyServer" ? "a server name" : "a server number"));
    if (!isHandlerClass(className)) return refuse("\"" + name + "\": \"" + className + "\" is not a handler class");
    const LWItemID target = firstSelected();
    if (target == 0) return refuse("\"" + name + "\": no item is selected");
    if (name == "ApplyServer") {
      std::string why;
      if (applyServer(target, className, textArgument(argument), &why) == 0) return refuse("\"ApplyServer\": " + why);
      return true;
    }
    const std::optional<int32_t> index = parseInt(argument);
    if (!index) return refuse("\"" + name + "\": \"" + argument + "\" is not a server number");
    if (name == "RemoveServer") {
      if (!removeServer(target, className, *index))
        return refuse("\"RemoveServer\": the item has no " + className + " number " + argument);
      return true;
    }
    std::string why;
    if (!editServer(target, className, *index, &why)) return refuse("\"EditServer\": " + why);
    return true;
  }
  if (name == "ParentItem") {
    std::string word, extra;
    splitWord(rest, word, extra);
    const std::optional<LWItemID> parsed = parseHexID(word);
    if (!parsed || !extra.empty()) return refuse("\"ParentItem\" needs one item identifier in hexadecimal, got \"" + rest + "\"");
    LWItemID parent = 0;
    if (*parsed != 0) {
      const Item* found = resolveItem(*parsed);
      if (found == nullptr) return refuse("\"ParentItem\": no item " + word);
      parent = found->id;
    }
    if (scene_.selection.empty()) return refuse("\"ParentItem\": no item is selected");
    const std::vector<LWItemID> children = scene_.selection;
    for (LWItemID child : children) {
      for (LWItemID up = parent; up != 0; up = item(up)->parent) {
        if (up == child) return refuse("\"ParentItem\": an item cannot become its own ancestor");
      }
    }
    const bool inPlace = (scene_.generalFlags & LWGENF_PARENTINPLACE) != 0;
    for (LWItemID child : children) setParent(child, parent, inPlace);
    return true;
  }
  if (name == "ParentInPlace") {
    if (!noArguments()) return false;
    scene_.generalFlags ^= LWGENF_PARENTINPLACE;
    return true;
  }
  if (name == "SelectItem") {
    std::string word, extra;
    splitWord(rest, word, extra);
    const std::optional<LWItemID> parsed = parseHexID(word);
    if (!parsed || !extra.empty()) return refuse("\"SelectItem\" needs one item identifier in hexadecimal, got \"" + rest + "\"");
    const Item* found = resolveItem(*parsed);
    if (found == nullptr) return refuse("\"SelectItem\": no item " + word);
    select({found->id});
    return true;
  }
  if (name == "GoToFrame") {
    const std::optional<double> frame = parseReal(rest);
    if (!frame) return refuse("\"GoToFrame\" needs a frame number, got \"" + rest + "\"");
    goToFrame(*frame);
    return true;
  }
  if (name == "RefreshNow") {
    if (!noArguments()) return false;
    queueRefresh();
    return true;
  }
  if (name == "RedrawNow") {
    if (!noArguments()) return false;
    queueRedraw();
    return true;
  }
  if (name == "EditObjects") {
    if (!noArguments()) return false;
    // Object mode keeps the selected objects; with none, the scene's first
    // object (if any) becomes selected.
    std::vector<LWItemID> objects;
    for (LWItemID id : scene_.selection) {
      const Item* it = item(id);
      if (it != nullptr && (it->kind == ItemKind::Object || it->kind == ItemKind::Null)) objects.push_back(id);
    }
    if (objects.empty()) {
      for (LWItemID id : scene_.order) {
        const Item* it = item(id);
        if (it->kind == ItemKind::Object || it->kind == ItemKind::Null) {
          objects.push_back(id);
          break;
        }
      }
    }
    select(objects);
    return true;
  }
  if (name == "ChangeTool") {
    if (!noArguments()) return false;
    endTool();
    return true;
  }
  if (name.rfind("Tool_", 0) == 0) {
    if (!noArguments()) return false;
    std::string why;
    if (!activateTool(name.substr(5), &why)) return refuse("\"" + name + "\": " + why);
    return true;
  }
  if (findServer(LWCLASS_LAYOUT_GENERIC, name) != nullptr) {
    if (!noArguments()) return false;
    std::string why;
    if (!runGeneric(name, &why)) return refuse(why);
    return true;
  }
  return refuse("unknown command \"" + name + "\"");
}

}  // namespace cwhost
