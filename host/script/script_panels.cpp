// Panels driven from scripts: classic panels and XPanels found by their
// titles, controls by their labels, values checked against what each
// control can take before anything is set.
#include <cmath>
#include <optional>

#include "host/script/script_session.h"

namespace cwhost {

namespace {

// An open panel of either kind.
struct PanelRef {
  LWPanelID classic = nullptr;
  LWXPanelID xpanel = nullptr;
};

// A control of either kind.
struct ControlRef {
  LWControlID classic = nullptr;
  LWXPanelID xpanel = nullptr;
  uint32_t id = 0;          /* XPanel control id */
  std::string type;         /* classic control type, or the XPanel control's data type */
};

// A value ready to be given to a control.
struct ControlSetting {
  ControlRef control;
  enum class Kind { Int, Float, Text, XValue } kind = Kind::Int;
  int32_t i = 0;
  double d = 0.0;
  std::string s;
  XValue x;
};

bool isOneOf(const std::string& s, std::initializer_list<const char*> list) {
  for (const char* item : list)
    if (s == item) return true;
  return false;
}
bool classicBool(const std::string& t) { return isOneOf(t, {"BoolControl", "BoolButtonControl"}); }
bool classicWhole(const std::string& t) { return isOneOf(t, {"NumControl", "HSlideControl", "MiniSliderControl"}); }
bool classicSlider(const std::string& t) { return isOneOf(t, {"HSlideControl", "MiniSliderControl"}); }
bool classicReal(const std::string& t) { return isOneOf(t, {"FloatControl", "PercentControl"}); }
bool classicChoice(const std::string& t) { return isOneOf(t, {"PopDownControl", "PopUpControl", "CustomPopupControl"}); }
bool xReal(const std::string& t) { return isOneOf(t, {"float", "distance", "percent", "angle"}); }

std::string quoted(const std::string& s) { return "\"" + s + "\""; }

std::string xpanelLabel(const XPanel& panel, const XControl& control) {
  for (const LWXPanelHint& hint : panel.hints)
    if (hint.tag == LWXPH_LABEL && hint.id == control.id && hint.text != nullptr) return hint.text;
  return control.label;
}

bool xpanelShown(Host& host, LWXPanelID id) {
  const XPanel* panel = host.xpanel(id);
  return panel != nullptr && (panel->open || (host.toolActive() && host.toolPanel() == id));
}

bool findPanel(Host& host, const std::string& title, PanelRef* out, std::string* why) {
  int found = 0;
  std::string open;
  for (LWPanelID id : host.panels()) {
    const Panel* p = host.panel(id);
    if (p == nullptr || !p->open) continue;
    open += (open.empty() ? "" : ", ") + quoted(p->title);
    if (p->title == title && found++ == 0) out->classic = id;
  }
  for (LWXPanelID id : host.xpanels()) {
    if (!xpanelShown(host, id)) continue;
    const std::string t = host.xpanelTitle(id);
    open += (open.empty() ? "" : ", ") + quoted(t);
    if (t == title && found++ == 0) out->xpanel = id;
  }
  if (found == 1) return true;
  if (found > 1) {
    *why = std::to_string(found) + " open panels are titled " + quoted(title) + "; the script cannot tell them apart";
    return false;
  }
  *why = "no open panel is titled " + quoted(title) + " (open: " + (open.empty() ? "none" : open) + ")";
  return false;
}

std::string panelTitle(Host& host, const PanelRef& ref) {
  if (ref.classic != nullptr) return host.panel(ref.classic)->title;
  return host.xpanelTitle(ref.xpanel);
}

bool findControl(Host& host, const PanelRef& ref, const std::string& label, ControlRef* out, std::string* why) {
  std::string labels;
  if (ref.classic != nullptr) {
    Panel* panel = host.panel(ref.classic);
    for (auto& c : panel->controls) {
      if (c->label == label) {
        out->classic = reinterpret_cast<LWControlID>(c.get());
        out->type = c->type;
        return true;
      }
      labels += (labels.empty() ? "" : ", ") + quoted(c->label);
    }
  } else {
    const XPanel* panel = host.xpanel(ref.xpanel);
    for (const XControl& c : panel->controls) {
      const std::string shown = xpanelLabel(*panel, c);
      if (shown == label) {
        out->xpanel = ref.xpanel;
        out->id = c.id;
        out->type = c.dataType;
        return true;
      }
      labels += (labels.empty() ? "" : ", ") + quoted(shown);
    }
  }
  *why = "the panel " + quoted(panelTitle(host, ref)) + " has no control labelled " + quoted(label) +
         " (its controls: " + (labels.empty() ? "none" : labels) + ")";
  return false;
}

std::vector<std::string> choicesOf(Host& host, const ControlRef& c) {
  if (c.xpanel != nullptr) return host.xpanelChoices(c.xpanel, c.id);
  const PanelControl* control = host.control(c.classic);
  if (control->type != "CustomPopupControl") return control->items;
  std::vector<std::string> choices;
  const Panel* panel = host.panel(control->panel);
  if (control->desc.popCount == nullptr || control->desc.popName == nullptr || panel == nullptr) return choices;
  const int32_t count = control->desc.popCount(panel->userData);
  for (int32_t i = 0; i < count && i < 4096; ++i) {
    const char* name = control->desc.popName(panel->userData, i);
    choices.emplace_back(name != nullptr ? name : "");
  }
  return choices;
}

// A choice's text as the user sees it: the host draws "\x03(i:N)" as icon
// N, which a script cannot type, and the spaces around an icon are layout.
std::string shownText(const std::string& text) {
  std::string shown;
  for (size_t at = 0; at < text.size(); ++at) {
    const size_t close = text[at] == '\x03' ? text.find(')', at) : std::string::npos;
    if (close != std::string::npos) at = close;
    else shown += text[at];
  }
  while (!shown.empty() && shown.back() == ' ') shown.pop_back();
  return shown;
}

std::optional<int32_t> choiceIndex(const std::vector<std::string>& choices, const TextToken& value, bool byNumber) {
  for (size_t i = 0; i < choices.size(); ++i)
    if (choices[i] == value.text) return static_cast<int32_t>(i);
  for (size_t i = 0; i < choices.size(); ++i)
    if (shownText(choices[i]) == value.text && !value.text.empty()) return static_cast<int32_t>(i);
  if (byNumber && !value.quoted) {
    const std::optional<int32_t> n = parseInt32(value.text);
    if (n && *n >= 0 && static_cast<size_t>(*n) < choices.size()) return n;
  }
  return std::nullopt;
}

std::string listOf(const std::vector<std::string>& choices) {
  std::string list;
  for (const std::string& c : choices) list += (list.empty() ? "" : ", ") + quoted(shownText(c));
  return list.empty() ? "none" : list;
}

std::optional<Vec3> parseColor(const std::string& text) {
  Vec3 c{};
  size_t start = 0;
  for (int k = 0; k < 3; ++k) {
    const size_t comma = text.find(',', start);
    if ((k < 2) != (comma != std::string::npos)) return std::nullopt;
    const std::optional<double> v = parseDouble(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
    if (!v) return std::nullopt;
    c[static_cast<size_t>(k)] = *v;
    start = comma + 1;
  }
  return c;
}

std::optional<int32_t> parseOnOff(const TextToken& t) {
  if (t.quoted) return std::nullopt;
  if (isOneOf(t.text, {"on", "yes", "true", "1"})) return 1;
  if (isOneOf(t.text, {"off", "no", "false", "0"})) return 0;
  return std::nullopt;
}

// Checks that `value` suits the control and fills *out.  `chooseOnly`: the
// control must be a choice and the value one of its texts.
bool prepareSetting(Host& host, const ControlRef& c, const std::string& label, const TextToken& value,
                    bool chooseOnly, ControlSetting* out, std::string* why) {
  out->control = c;
  auto refuse = [why](const std::string& reason) {
    *why = reason;
    return false;
  };
  const std::string what = quoted(label);
  const std::string got = value.quoted ? quoteText(value.text) : quoted(value.text);
  if (c.classic != nullptr) {
    const PanelControl* control = host.control(c.classic);
    if (!control->enabled) return refuse(what + " is ghosted");
    const std::string& type = control->type;
    if (chooseOnly && !classicChoice(type)) return refuse(what + " is a " + type + ", not a list to choose from");
    if (classicChoice(type)) {
      const std::vector<std::string> choices = choicesOf(host, c);
      const std::optional<int32_t> index = choiceIndex(choices, value, !chooseOnly);
      if (!index) return refuse(what + " has no choice " + got + " (choices: " + listOf(choices) + ")");
      out->kind = ControlSetting::Kind::Int;
      out->i = *index;
      return true;
    }
    if (classicBool(type)) {
      const std::optional<int32_t> on = parseOnOff(value);
      if (!on) return refuse(what + " is a check box: expected on or off, got " + got);
      out->i = *on;
      return true;
    }
    if (classicWhole(type)) {
      const std::optional<int32_t> n = value.quoted ? std::nullopt : parseInt32(value.text);
      if (!n) return refuse(what + " takes a whole number, got " + got);
      if (classicSlider(type) && control->desc.minValue < control->desc.maxValue &&
          (*n < control->desc.minValue || *n > control->desc.maxValue))
        return refuse(what + " goes from " + std::to_string(control->desc.minValue) + " to " +
                      std::to_string(control->desc.maxValue) + ", not " + value.text);
      out->i = *n;
      return true;
    }
    if (classicReal(type)) {
      const std::optional<double> d = value.quoted ? std::nullopt : parseDouble(value.text);
      if (!d) return refuse(what + " takes a number, got " + got);
      out->kind = ControlSetting::Kind::Float;
      out->d = *d;
      return true;
    }
    if (type == "StringControl") {
      out->kind = ControlSetting::Kind::Text;
      out->s = value.text;
      return true;
    }
    *why = what + " is a " + type + ": it takes no value" + (type == "ButtonControl" ? " (use press)" : "");
    return false;
  }
  if (!host.xpanelEnabled(c.xpanel, c.id)) return refuse(what + " is ghosted");
  out->kind = ControlSetting::Kind::XValue;
  const std::vector<std::string> choices = host.xpanelChoices(c.xpanel, c.id);
  if (chooseOnly && choices.empty()) return refuse(what + " is not a list to choose from");
  if (!choices.empty()) {
    const std::optional<int32_t> index = choiceIndex(choices, value, !chooseOnly);
    if (!index) return refuse(what + " has no choice " + got + " (choices: " + listOf(choices) + ")");
    out->x.i = *index;
    return true;
  }
  if (c.type == "string") {
    out->x.s = value.text;
  } else if (c.type == "color") {
    const std::optional<Vec3> color = value.quoted ? std::nullopt : parseColor(value.text);
    if (!color) return refuse(what + " takes a colour R,G,B, got " + got);
    out->x.c = *color;
  } else if (xReal(c.type)) {
    const std::optional<double> d = value.quoted ? std::nullopt : parseDouble(value.text);
    if (!d) return refuse(what + " takes a number, got " + got);
    out->x.d = *d;
  } else if (c.type == "integer") {
    const std::optional<int32_t> n = value.quoted ? std::nullopt : parseInt32(value.text);
    if (!n) return refuse(what + " takes a whole number, got " + got);
    out->x.i = *n;
  } else {
    return refuse(what + " has no value type the host knows (\"" + c.type + "\")");
  }
  return true;
}

// Gives the value as a user would; false when the plug-in refused it.
bool applySetting(Host& host, const ControlSetting& s) {
  switch (s.kind) {
    case ControlSetting::Kind::Int: host.userSetControlInt(s.control.classic, s.i); return true;
    case ControlSetting::Kind::Float: host.userSetControlFloat(s.control.classic, s.d); return true;
    case ControlSetting::Kind::Text: host.userSetControlText(s.control.classic, s.s); return true;
    case ControlSetting::Kind::XValue: return host.xpanelSetValue(s.control.xpanel, s.control.id, s.x) != 0;
  }
  return false;
}

// Prepares every (label, value) of a dialog answer for one panel.
bool prepareAll(Host& host, const PanelRef& ref, const std::vector<std::pair<std::string, TextToken>>& pairs,
                std::vector<ControlSetting>* settings, std::string* why) {
  for (const auto& [label, value] : pairs) {
    ControlRef c;
    ControlSetting s;
    if (!findControl(host, ref, label, &c, why) || !prepareSetting(host, c, label, value, false, &s, why)) return false;
    settings->push_back(s);
  }
  return true;
}

int32_t answerDialog(ScriptSession& session, const PanelRef& ref) {
  Host& host = *session.host;
  const std::string title = panelTitle(host, ref);
  if (session.dialogs.empty()) {
    if (session.options->trace != nullptr)
      *session.options->trace << "  (the dialog " << quoted(title) << " was cancelled: no answer was queued)\n";
    return 0;
  }
  const ScriptDialogAnswer answer = session.dialogs.front();
  session.dialogs.pop_front();
  std::vector<ControlSetting> settings;
  std::string why;
  if (!prepareAll(host, ref, answer.pairs, &settings, &why)) {
    session.lineProblems.push_back("the dialog " + quoted(title) + " (answer of line " + std::to_string(answer.line) +
                                   ") was cancelled: " + why);
    return 0;
  }
  for (size_t i = 0; i < settings.size(); ++i) {
    if (!applySetting(host, settings[i])) {
      session.lineProblems.push_back("the dialog " + quoted(title) + " refused the value of " +
                                     quoted(answer.pairs[i].first));
      return 0;
    }
  }
  return answer.accept ? 1 : 0;
}

std::string classicValueText(Host& host, const ControlRef& c) {
  const PanelControl* control = host.control(c.classic);
  if (classicReal(control->type)) return formatDouble(control->floatValue);
  if (control->type == "StringControl" || control->type == "InfoControl") return quoteText(control->text);
  return std::to_string(control->intValue);
}

}  // namespace

bool panelPicture(Host& host, const std::string& title, Image* out, std::string* why) {
  PanelRef ref;
  if (!findPanel(host, title, &ref, why)) return false;
  const Panel* panel = ref.classic != nullptr ? host.panel(ref.classic) : nullptr;
  if (panel == nullptr) {
    *why = quoted(title) + " is an XPanel: only classic panels show rasters";
    return false;
  }
  const Raster& surface = panel->surface;
  if (surface.width <= 0 || surface.height <= 0) {
    *why = "nothing was drawn into " + quoted(title) + " yet";
    return false;
  }
  out->width = surface.width;
  out->height = surface.height;
  out->rgba.clear();
  out->rgba.reserve(static_cast<size_t>(surface.width) * static_cast<size_t>(surface.height) * 4);
  for (size_t n = 0; n + 2 < surface.rgb.size(); n += 3) {
    out->rgba.insert(out->rgba.end(), {surface.rgb[n], surface.rgb[n + 1], surface.rgb[n + 2], 255});
  }
  return true;
}

bool runPanelAction(ScriptSession& session, const ScriptAction& action, std::string* why) {
  Host& host = *session.host;
  PanelRef ref;
  if (!findPanel(host, action.name, &ref, why)) return false;
  if (action.verb == ScriptVerb::PanelClose) {
    if (ref.classic != nullptr) {
      host.userClosePanel(ref.classic);
      return true;
    }
    for (size_t i = 0; i < host.interfaces().size(); ++i) {
      if (host.interfaces()[i].open && host.interfaces()[i].panel == ref.xpanel) {
        host.closeInterface(i);
        return true;
      }
    }
    if (host.toolActive() && host.toolPanel() == ref.xpanel) {
      *why = "the tool's panel closes with the tool (end-tool)";
      return false;
    }
    host.xpanel(ref.xpanel)->open = false;
    return true;
  }
  if (action.verb == ScriptVerb::PanelClick) {
    if (ref.classic == nullptr) {
      *why = "clicks go to classic panels; " + quoted(action.name) + " is an XPanel";
      return false;
    }
    const Panel* panel = host.panel(ref.classic);
    const ScriptPosition at = action.path.front();
    if (at.x < 0 || at.y < 0 || at.x >= panel->width || at.y >= panel->height) {
      *why = "(" + std::to_string(at.x) + ", " + std::to_string(at.y) + ") is outside the panel (" +
             std::to_string(panel->width) + " x " + std::to_string(panel->height) + ")";
      return false;
    }
    host.panelClick(ref.classic, action.flags | LWPQ_MOUSE_DOWN, at.x, at.y);
    if (host.panel(ref.classic) != nullptr) host.panelClick(ref.classic, action.flags | LWPQ_MOUSE_UP, at.x, at.y);
    return true;
  }
  ControlRef c;
  if (!findControl(host, ref, action.label, &c, why)) return false;
  if (action.verb == ScriptVerb::PanelPress) {
    if (c.classic == nullptr) {
      *why = quoted(action.label) + " is an XPanel value: use set";
      return false;
    }
    const PanelControl* control = host.control(c.classic);
    if (!control->enabled) {
      *why = quoted(action.label) + " is ghosted";
      return false;
    }
    if (classicBool(control->type)) {
      host.userSetControlInt(c.classic, control->intValue != 0 ? 0 : 1);
    } else if (control->type == "ButtonControl") {
      host.pressControl(c.classic);
    } else {
      *why = quoted(action.label) + " is a " + control->type + ", not a button (use set)";
      return false;
    }
    return true;
  }
  ControlSetting setting;
  if (!prepareSetting(host, c, action.label, action.pairs.front().second, action.verb == ScriptVerb::PanelChoose,
                      &setting, why))
    return false;
  if (!applySetting(host, setting)) {
    *why = "the panel refused the value of " + quoted(action.label);
    return false;
  }
  return true;
}

int32_t answerBlockingPanel(ScriptSession& session, LWPanelID panel) {
  PanelRef ref;
  ref.classic = panel;
  return answerDialog(session, ref);
}

int32_t answerBlockingXPanel(ScriptSession& session, LWXPanelID panel) {
  PanelRef ref;
  ref.xpanel = panel;
  return answerDialog(session, ref);
}

bool controlHasValue(ScriptSession& session, const std::string& title, const std::string& label,
                     const TextToken& expected, double tolerance, std::string* why) {
  Host& host = *session.host;
  PanelRef ref;
  ControlRef c;
  if (!findPanel(host, title, &ref, why) || !findControl(host, ref, label, &c, why)) return false;
  const std::string got = expected.quoted ? quoteText(expected.text) : expected.text;
  auto near = [&](double a, double b) { return std::fabs(a - b) <= tolerance; };
  const std::vector<std::string> choices =
      c.classic == nullptr || classicChoice(host.control(c.classic)->type) ? choicesOf(host, c) : std::vector<std::string>{};
  if (c.classic != nullptr) {
    const PanelControl* control = host.control(c.classic);
    bool same = false;
    if (classicReal(control->type) || classicWhole(control->type) || classicBool(control->type)) {
      const std::optional<double> want = expected.quoted ? std::nullopt : parseDouble(expected.text);
      const std::optional<int32_t> on = classicBool(control->type) ? parseOnOff(expected) : std::nullopt;
      const double have = classicReal(control->type) ? control->floatValue : control->intValue;
      same = on ? *on == (control->intValue != 0 ? 1 : 0) : want && near(have, *want);
    } else if (classicChoice(control->type)) {
      const std::optional<int32_t> index = choiceIndex(choices, expected, true);
      same = index && *index == control->intValue;
    } else if (control->type == "StringControl" || control->type == "InfoControl") {
      same = control->text == expected.text;
    } else {
      *why = quoted(label) + " is a " + control->type + ": it has no value";
      return false;
    }
    if (!same) *why = quoted(label) + " is " + classicValueText(host, c) + ", expected " + got;
    return same;
  }
  const std::optional<XValue> value = host.xpanelValue(c.xpanel, c.id);
  if (!value) {
    *why = quoted(label) + " gives no value";
    return false;
  }
  bool same = false;
  std::string have;
  if (!choices.empty()) {
    const std::optional<int32_t> index = choiceIndex(choices, expected, true);
    same = index && *index == value->i;
    have = value->i >= 0 && static_cast<size_t>(value->i) < choices.size()
               ? quoted(choices[static_cast<size_t>(value->i)])
               : std::to_string(value->i);
  } else if (c.type == "string") {
    same = value->s == expected.text;
    have = quoteText(value->s);
  } else if (c.type == "color") {
    const std::optional<Vec3> want = expected.quoted ? std::nullopt : parseColor(expected.text);
    same = want && near(value->c[0], (*want)[0]) && near(value->c[1], (*want)[1]) && near(value->c[2], (*want)[2]);
    have = formatDouble(value->c[0]) + "," + formatDouble(value->c[1]) + "," + formatDouble(value->c[2]);
  } else {
    const double number = xReal(c.type) ? value->d : value->i;
    const std::optional<double> want = expected.quoted ? std::nullopt : parseDouble(expected.text);
    same = want && near(number, *want);
    have = formatDouble(number);
  }
  if (!same) *why = quoted(label) + " is " + have + ", expected " + got;
  return same;
}

}  // namespace cwhost
