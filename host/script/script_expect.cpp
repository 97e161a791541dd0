// Expectations: what a script checks about the scene after its actions.
#include <cmath>

#include "host/script/script_session.h"

namespace cwhost {

namespace {

std::string quoted(const std::string& s) { return "\"" + s + "\""; }

std::string vecText(const Vec3& v) {
  return "(" + formatDouble(v[0]) + ", " + formatDouble(v[1]) + ", " + formatDouble(v[2]) + ")";
}

const Item* needItem(const Host& host, const std::string& name, std::string* why) {
  const Item* it = findItemNamed(host, name);
  if (it == nullptr) *why = "there is no item named " + quoted(name);
  return it;
}

// The point as the host shows it now: deformed when a displacement pass
// gave the object results, else the mesh's own point.
bool expectPoint(Host& host, const ScriptAction& a, std::string* why) {
  const Item* it = needItem(host, a.name, why);
  if (it == nullptr) return false;
  if (it->mesh == nullptr) {
    *why = quoted(a.name) + " has no mesh";
    return false;
  }
  const size_t count = it->mesh->points.size();
  if (static_cast<size_t>(a.index) >= count) {
    *why = quoted(a.name) + " has " + std::to_string(count) + " points (0 to " + std::to_string(count - 1) +
           "), not a point " + std::to_string(a.index);
    return false;
  }
  const size_t i = static_cast<size_t>(a.index);
  Vec3 p{};
  const std::vector<Vec3>& deformed = a.world ? it->deformedWorld : it->deformed;
  if (deformed.size() == count) {
    p = deformed[i];
  } else {
    p = it->mesh->points[i];
    if (a.world) p = host.worldPlacement(it->id, host.currentTime()).apply(p);
  }
  double distance = 0.0;
  for (size_t k = 0; k < 3; ++k) distance = std::max(distance, std::fabs(p[k] - a.point[k]));
  if (!(distance <= a.tolerance)) {
    *why = "point " + std::to_string(a.index) + " of " + quoted(a.name) + " is at " + vecText(p) +
           (a.world ? " (world)" : " (object)") + ", expected " + vecText(a.point) + " within " +
           formatDouble(a.tolerance);
    return false;
  }
  return true;
}

bool expectKeys(Host& host, const ScriptAction& a, std::string* why) {
  const Item* it = needItem(host, a.name, why);
  if (it == nullptr) return false;
  const LWChannelID channel = host.findChannel(it->group, a.label);
  const auto found = host.scene().channels.find(channel);
  if (channel == 0 || found == host.scene().channels.end()) {
    std::string names;
    const auto group = host.scene().groups.find(it->group);
    if (group != host.scene().groups.end()) {
      for (LWChannelID c : group->second.channels) {
        const auto ch = host.scene().channels.find(c);
        if (ch != host.scene().channels.end()) names += (names.empty() ? "" : ", ") + quoted(ch->second.name);
      }
    }
    *why = quoted(a.name) + " has no channel " + quoted(a.label) + " (its channels: " + names + ")";
    return false;
  }
  const Envelope* env = host.envelope(found->second.envelope);
  const size_t keys = env != nullptr ? env->keys.size() : 0;
  if (keys != static_cast<size_t>(a.index)) {
    *why = "the channel " + quoted(a.label) + " of " + quoted(a.name) + " has " + std::to_string(keys) +
           (keys == 1 ? " key" : " keys") + ", expected " + std::to_string(a.index);
    return false;
  }
  return true;
}

bool expectSelection(Host& host, const ScriptAction& a, std::string* why) {
  std::vector<std::string> names;
  for (LWItemID id : host.selection()) {
    const Item* it = host.item(id);
    names.push_back(it != nullptr ? it->name : "?");
  }
  if (names == a.names) return true;
  auto list = [](const std::vector<std::string>& v) {
    std::string s;
    for (const std::string& n : v) s += (s.empty() ? "" : " ") + quoted(n);
    return s.empty() ? std::string("nothing") : s;
  };
  *why = "the selection is " + list(names) + ", expected " + list(a.names);
  return false;
}

}  // namespace

bool checkExpectation(ScriptSession& session, const ScriptAction& a, std::string* why) {
  Host& host = *session.host;
  host.settle();
  switch (a.verb) {
    case ScriptVerb::ExpectItem: return needItem(host, a.name, why) != nullptr;
    case ScriptVerb::ExpectNoItem:
      if (findItemNamed(host, a.name) == nullptr) return true;
      *why = "an item named " + quoted(a.name) + " exists";
      return false;
    case ScriptVerb::ExpectPoint: return expectPoint(host, a, why);
    case ScriptVerb::ExpectKeys: return expectKeys(host, a, why);
    case ScriptVerb::ExpectControl:
      return controlHasValue(session, a.name, a.label, a.pairs.front().second, a.tolerance, why);
    case ScriptVerb::ExpectSelection: return expectSelection(host, a, why);
    case ScriptVerb::ExpectTool: {
      if (host.activeTool() == a.name) return true;
      std::string have = host.activeTool();
      for (const Module& m : host.modules()) {
        for (const ServerInfo& s : m.servers) {
          if (s.className != LWCLASS_LAYOUT_TOOL || s.name != host.activeTool()) continue;
          for (const auto& [tag, text] : s.tags)
            if ((tag & 0xFFFF0000u) == LWSRVTAG_USERNAME && text == a.name) return true;
        }
      }
      *why = "the active tool is " + (have.empty() ? std::string("none") : quoted(have)) + ", expected " +
             (a.name.empty() ? std::string("none") : quoted(a.name));
      return false;
    }
    default: break;
  }
  *why = "not an expectation";
  return false;
}

}  // namespace cwhost
