// Playing scripts: each line checked, then carried out as one user action.
#include "host/script/script_run.h"

#include <filesystem>
#include <ostream>

#include "host/cli/scene_run.h"
#include "host/core/views.h"
#include "host/files/obj_mesh.h"
#include "host/files/scene_file.h"
#include "host/render/render.h"
#include "host/script/script_session.h"

namespace cwhost {

namespace {

std::string quoted(const std::string& s) { return "\"" + s + "\""; }

// A viewport by its name or number (host/core/views.h).
bool findViewportNamed(const Host& host, const std::string& view, int32_t* index, std::string* why) {
  *index = findViewport(host, view);
  if (*index >= 0) return true;
  std::string list;
  for (size_t i = 0; i < host.scene().viewports.size(); ++i)
    list += (list.empty() ? "" : ", ") + viewportName(host, static_cast<int32_t>(i));
  *why = "no viewport " + quoted(view) + " (the scene's viewports: " + (list.empty() ? "none" : list) + ")";
  return false;
}

// A server of the class by its user name (any language) or server name.
const ServerInfo* findServerNamed(const Host& host, const char* className, const std::string& name,
                                  std::string* why) {
  for (const Module& m : host.modules()) {
    for (const ServerInfo& s : m.servers) {
      if (s.className != className) continue;
      if (s.name == name) return &s;
      for (const auto& [tag, text] : s.tags)
        if ((tag & 0xFFFF0000u) == LWSRVTAG_USERNAME && text == name) return &s;
    }
  }
  *why = std::string("no ") + className + " server is named " + quoted(name);
  return nullptr;
}

std::string outputPath(const ScriptSession& session, const std::string& path) {
  return (std::filesystem::path(session.options->outDir) / path).string();
}

// The path of a file the script writes, its folder made when missing.
bool prepareOutput(const ScriptSession& session, const std::string& path, std::string* full, std::string* why) {
  *full = outputPath(session, path);
  const std::filesystem::path folder = std::filesystem::path(*full).parent_path();
  std::error_code ec;
  if (!folder.empty()) std::filesystem::create_directories(folder, ec);
  if (ec) {
    *why = folder.string() + ": cannot make the folder (" + ec.message() + ")";
    return false;
  }
  return true;
}

// press / drag / release.
bool runPointer(ScriptSession& session, const ScriptAction& a, std::string* why) {
  Host& host = *session.host;
  int32_t viewport = -1;
  if (!findViewportNamed(host, a.view, &viewport, why)) return false;
  ScriptPress& press = session.press;
  if (a.verb == ScriptVerb::Press) {
    if (press.held) {
      *why = "the button pressed on line " + std::to_string(press.line) + " is still held (release it first)";
      return false;
    }
    if (!host.toolActive()) {
      *why = "no tool is active to take the press";
      return false;
    }
    const Viewport& vp = host.scene().viewports[static_cast<size_t>(viewport)];
    const ScriptPosition at = a.path.front();
    if (at.x < 0 || at.y < 0 || at.x >= vp.width || at.y >= vp.height) {
      *why = "(" + std::to_string(at.x) + ", " + std::to_string(at.y) + ") is outside the viewport " + quoted(a.view) +
             " (" + std::to_string(vp.width) + " x " + std::to_string(vp.height) + ")";
      return false;
    }
    press = ScriptPress{true, viewport, at, a.flags, a.line};
    host.toolDown(host.makeToolEvent(viewport, at.x, at.y, at.x, at.y, a.flags));
    return true;
  }
  if (!press.held) {
    *why = "no button is held (press first)";
    return false;
  }
  if (viewport != press.viewport) {
    *why = "the button was pressed in viewport " + std::to_string(press.viewport) + " (line " +
           std::to_string(press.line) + "), not in " + quoted(a.view);
    return false;
  }
  // The flags of the press (its button) stay; the line may add more.
  const uint32_t flags = press.flags | a.flags;
  if (a.verb == ScriptVerb::Drag) {
    for (const ScriptPosition& p : a.path)
      host.toolMove(host.makeToolEvent(viewport, p.x, p.y, press.at.x, press.at.y, flags));
    return true;
  }
  const ScriptPosition at = a.path.front();
  press.held = false;
  host.toolUp(host.makeToolEvent(viewport, at.x, at.y, press.at.x, press.at.y, flags));
  return true;
}

bool writeObjects(ScriptSession& session, const ScriptAction& a, std::string* why) {
  Host& host = *session.host;
  const std::vector<std::pair<LWItemID, std::string>> objects = runObjects(host);
  if (objects.empty()) {
    *why = "no object carries a displacement handler";
    return false;
  }
  for (const auto& [id, base] : objects) host.deformObject(id);
  const LWFrame frame = host.frameOf(host.currentTime());
  for (const auto& [id, base] : objects) {
    const Item* it = host.item(id);
    if (it == nullptr || it->mesh == nullptr) continue;
    const std::string path = outputPath(session, frameFileName(base, frame));
    if (!writeObjMesh(path, *it->mesh, a.world ? it->deformedWorld : it->deformed, why)) return false;
    session.report->files.push_back(path);
  }
  return true;
}

// Draws a viewport into a PNG file.  Rendering resizes the viewport to the
// picture first (as a user would); a render that fails puts it back.
bool renderView(ScriptSession& session, const ScriptAction& a, std::string* why) {
  Host& host = *session.host;
  if (!renderingAvailable()) {
    *why = "this host was built without rendering";
    return false;
  }
  int32_t viewport = -1;
  std::string path;
  if (!findViewportNamed(host, a.view, &viewport, why) || !prepareOutput(session, a.text, &path, why)) return false;
  const Viewport before = host.scene().viewports[static_cast<size_t>(viewport)];
  const int32_t width = a.width > 0 ? a.width : before.width;
  const int32_t height = a.height > 0 ? a.height : before.height;
  Image image;
  if (!renderViewport(host, viewport, width, height, image, why)) {
    if (static_cast<size_t>(viewport) < host.scene().viewports.size())
      host.scene().viewports[static_cast<size_t>(viewport)] = before;
    return false;
  }
  if (!writePng(image, path, why)) return false;
  session.report->files.push_back(path);
  return true;
}

bool runAction(ScriptSession& session, const ScriptAction& a, std::string* why) {
  Host& host = *session.host;
  switch (a.verb) {
    case ScriptVerb::Frame: host.goToFrame(a.number); return true;
    case ScriptVerb::Time: host.setTime(a.number); return true;
    case ScriptVerb::Select: {
      std::vector<LWItemID> ids;
      for (const std::string& name : a.names) {
        const Item* it = findItemNamed(host, name);
        if (it == nullptr) {
          *why = "there is no item named " + quoted(name);
          return false;
        }
        ids.push_back(it->id);
      }
      host.select(ids);
      return true;
    }
    case ScriptVerb::Command:
      if (host.command(a.text)) return true;
      *why = "the host refused " + quoted(a.text) + ": " + host.lastCommandError();
      return false;
    case ScriptVerb::Generic: {
      const ServerInfo* server = findServerNamed(host, LWCLASS_LAYOUT_GENERIC, a.name, why);
      return server != nullptr && host.runGeneric(server->name, why);
    }
    case ScriptVerb::Tool: {
      if (session.press.held) {
        *why = "the button pressed on line " + std::to_string(session.press.line) + " is still held";
        return false;
      }
      const ServerInfo* server = findServerNamed(host, LWCLASS_LAYOUT_TOOL, a.name, why);
      return server != nullptr && host.activateTool(server->name, why);
    }
    case ScriptVerb::EndTool:
      if (!host.toolActive()) {
        *why = "no tool is active";
        return false;
      }
      session.press.held = false;
      host.endTool();
      return true;
    case ScriptVerb::Press:
    case ScriptVerb::Drag:
    case ScriptVerb::Release: return runPointer(session, a, why);
    case ScriptVerb::PanelSet:
    case ScriptVerb::PanelPress:
    case ScriptVerb::PanelChoose:
    case ScriptVerb::PanelClick:
    case ScriptVerb::PanelClose: return runPanelAction(session, a, why);
    case ScriptVerb::Dialog: session.dialogs.push_back(ScriptDialogAnswer{a.accept, a.pairs, a.line}); return true;
    case ScriptVerb::Answer: session.replies.push_back(ScriptQueuedReply{a.reply, a.line}); return true;
    case ScriptVerb::Render: return renderView(session, a, why);
    case ScriptVerb::PanelPicture: {
      Image image;
      std::string path;
      if (!panelPicture(host, a.name, &image, why) || !prepareOutput(session, a.text, &path, why) ||
          !writePng(image, path, why)) {
        return false;
      }
      session.report->files.push_back(path);
      return true;
    }
    case ScriptVerb::WriteObj: return writeObjects(session, a, why);
    case ScriptVerb::Save: {
      std::string path;
      if (!prepareOutput(session, a.text, &path, why) || !saveScene(host, path, why)) return false;
      session.report->files.push_back(path);
      return true;
    }
    default: break;
  }
  if (!checkExpectation(session, a, why)) return false;
  ++session.report->expectations;
  return true;
}

// A queued reply in the codes of the question it answers.
int32_t replyCode(ScriptReply reply, MessageRecord::Kind kind) {
  const bool yes = reply == ScriptReply::Yes || reply == ScriptReply::Ok;
  if (kind == MessageRecord::Kind::YesNoCancel) return reply == ScriptReply::Cancel ? 0 : yes ? 2 : 1;
  return yes ? 1 : 0;
}

// What is left over at the end: the line to blame and why, or 0.
int32_t leftOver(const ScriptSession& session, std::string* why) {
  if (session.press.held) {
    *why = "the button pressed here was never released";
    return session.press.line;
  }
  if (!session.dialogs.empty()) {
    *why = "no dialog opened to take the answer queued here";
    return session.dialogs.front().line;
  }
  if (!session.replies.empty()) {
    *why = "no question was asked to take the answer queued here";
    return session.replies.front().line;
  }
  return 0;
}

}  // namespace

const Item* findItemNamed(const Host& host, const std::string& name) {
  for (LWItemID id : host.scene().order) {
    const Item* it = host.item(id);
    if (it != nullptr && it->name == name) return it;
  }
  return nullptr;
}

bool playScript(Host& host, const Script& script, const PlayOptions& options, PlayReport* report,
                std::string* error) {
  PlayReport localReport;
  PlayReport& r = report != nullptr ? *report : localReport;
  r = PlayReport{};
  ScriptSession session;
  session.host = &host;
  session.script = &script;
  session.options = &options;
  session.report = &r;
  auto fail = [&](int32_t line, const std::string& why) {
    r.failedLine = line;
    *error = script.fileName + ":" + std::to_string(line) + ": " + why;
    return false;
  };
  std::error_code ec;
  std::filesystem::create_directories(options.outDir, ec);
  if (ec || !std::filesystem::is_directory(options.outDir, ec)) {
    *error = options.outDir + ": cannot make the output folder";
    return false;
  }
  host.setBlockingPanelHandler([&session](LWPanelID p) { return answerBlockingPanel(session, p); });
  host.setBlockingXPanelHandler([&session](LWXPanelID p) { return answerBlockingXPanel(session, p); });
  host.setQuestionHandler([&session](const MessageRecord& q) -> std::optional<int32_t> {
    if (session.replies.empty()) return std::nullopt;
    const ScriptReply reply = session.replies.front().reply;
    session.replies.pop_front();
    return replyCode(reply, q.kind);
  });
  bool ok = true;
  for (const ScriptAction& action : script.actions) {
    if (options.trace != nullptr) *options.trace << script.fileName << ":" << action.line << ": " << action.source << "\n";
    session.lineProblems.clear();
    std::string why;
    const bool done = runAction(session, action, &why);
    host.settle();
    ++r.actions;
    if (!done || !session.lineProblems.empty()) {
      ok = fail(action.line, done ? session.lineProblems.front() : why);
      break;
    }
  }
  if (ok) {
    std::string why;
    if (const int32_t line = leftOver(session, &why)) ok = fail(line, why);
  }
  host.setBlockingPanelHandler(nullptr);
  host.setBlockingXPanelHandler(nullptr);
  host.setQuestionHandler(nullptr);
  return ok;
}

}  // namespace cwhost
