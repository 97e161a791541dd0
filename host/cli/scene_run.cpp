// Stepping a scene through its frames and writing each deformed object.
#include "host/cli/scene_run.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <set>

#include "host/files/obj_mesh.h"
#include "host/render/render.h"

namespace cwhost {

namespace {

std::string safeBase(const std::string& name) {
  std::string base;
  for (const char c : name) {
    const bool keep =
        (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '_' || c == '-';
    base.push_back(keep ? c : '_');
  }
  // Leading dots would hide the file or climb folders.
  while (!base.empty() && base.front() == '.') base.front() = '_';
  return base.empty() ? "object" : base;
}

}  // namespace

std::vector<std::pair<LWItemID, std::string>> runObjects(const Host& host) {
  std::vector<std::pair<LWItemID, std::string>> objects;
  std::set<std::string> taken;
  for (LWItemID id : host.scene().order) {
    const Item* it = host.item(id);
    if (it == nullptr || it->mesh == nullptr || host.itemInstances(id, LWCLASS_DISPLACEMENT_HANDLER).empty()) continue;
    const std::string base = safeBase(it->name);
    std::string name = base;
    for (int n = 2; taken.count(name) != 0; ++n) name = base + "-" + std::to_string(n);
    taken.insert(name);
    objects.emplace_back(id, name);
  }
  return objects;
}

namespace {

std::string frameNumber(LWFrame frame) {
  char number[16];
  std::snprintf(number, sizeof number, "%04d", static_cast<int>(frame));
  return number;
}

// Box-filtered shrink of a picture by a whole factor.
Image shrink(const Image& in, int32_t factor) {
  Image out;
  out.width = std::max(1, in.width / factor);
  out.height = std::max(1, in.height / factor);
  out.rgba.resize(static_cast<size_t>(out.width) * static_cast<size_t>(out.height) * 4);
  for (int32_t y = 0; y < out.height; ++y)
    for (int32_t x = 0; x < out.width; ++x)
      for (int c = 0; c < 4; ++c) {
        uint32_t sum = 0, n = 0;
        for (int32_t dy = 0; dy < factor && y * factor + dy < in.height; ++dy)
          for (int32_t dx = 0; dx < factor && x * factor + dx < in.width; ++dx, ++n)
            sum += in.rgba[(static_cast<size_t>(y * factor + dy) * static_cast<size_t>(in.width) +
                            static_cast<size_t>(x * factor + dx)) * 4 + static_cast<size_t>(c)];
        out.rgba[(static_cast<size_t>(y) * static_cast<size_t>(out.width) + static_cast<size_t>(x)) * 4 +
                 static_cast<size_t>(c)] = static_cast<uint8_t>(n > 0 ? (sum + n / 2) / n : 0);
      }
  return out;
}

constexpr int32_t kSheetShrink = 4;   // contact-sheet pictures are this many times smaller
constexpr int32_t kSheetColumns = 7;

}  // namespace

std::string frameFileName(const std::string& base, LWFrame frame) { return base + "." + frameNumber(frame) + ".obj"; }

std::string pictureFileName(const std::string& view, LWFrame frame) {
  return view + "." + frameNumber(frame) + ".png";
}

bool runFrames(Host& host, const RunOptions& options, const RunProgress& progress, RunSummary* summary,
               std::string* error) {
  std::string localError;
  std::string* why = error != nullptr ? error : &localError;
  RunSummary local;
  RunSummary& s = summary != nullptr ? *summary : local;
  s = RunSummary{};
  if (options.step < 1) {
    *why = "the frame step must be at least 1";
    return false;
  }
  if (options.last < options.first) {
    *why = "the last frame (" + std::to_string(options.last) + ") is before the first (" +
           std::to_string(options.first) + ")";
    return false;
  }
  std::error_code ec;
  std::filesystem::create_directories(options.outDir, ec);
  if (ec || !std::filesystem::is_directory(options.outDir, ec)) {
    *why = options.outDir + ": cannot make the output folder" + (ec ? " (" + ec.message() + ")" : "");
    return false;
  }
  const std::vector<std::pair<LWItemID, std::string>> objects = runObjects(host);
  const int64_t total64 = (static_cast<int64_t>(options.last) - options.first) / options.step + 1;
  const int32_t total = static_cast<int32_t>(std::min<int64_t>(total64, INT32_MAX));
  s.objects = static_cast<int32_t>(objects.size());
  for (const auto& [id, base] : objects) s.points += static_cast<int64_t>(host.item(id)->mesh->points.size());

  using Clock = std::chrono::steady_clock;
  for (int32_t view : options.renderViews)
    if (viewportName(host, view).empty()) {
      *why = "no viewport " + std::to_string(view) + " to render";
      return false;
    }
  // Pictures for the contact sheets, per view, and their captions.
  std::vector<std::vector<Image>> sheets(options.renderViews.size());
  std::vector<std::string> captions;

  const Clock::time_point start = Clock::now();
  const bool autoRefresh = host.autoRefresh();
  host.setAutoRefresh(false);
  bool ok = true;
  for (int64_t frame = options.first; frame <= options.last && ok; frame += options.step) {
    const Clock::time_point deformStart = Clock::now();
    host.goToFrame(static_cast<double>(frame));
    for (const auto& [id, base] : objects) host.deformObject(id);
    s.deformSeconds += std::chrono::duration<double>(Clock::now() - deformStart).count();
    for (const auto& [id, base] : objects) {
      const Item* it = host.item(id);
      if (it == nullptr || it->mesh == nullptr) continue;  // a plug-in removed it
      const std::string path =
          (std::filesystem::path(options.outDir) / frameFileName(base, static_cast<LWFrame>(frame))).string();
      if (!writeObjMesh(path, *it->mesh, options.world ? it->deformedWorld : it->deformed, why)) {
        ok = false;
        break;
      }
      s.files.push_back(path);
    }
    const Clock::time_point renderStart = Clock::now();
    for (size_t v = 0; v < options.renderViews.size() && ok; ++v) {
      const int32_t view = options.renderViews[v];
      Image picture;
      const std::string name = viewportName(host, view);
      const std::string path =
          (std::filesystem::path(options.outDir) / pictureFileName(name, static_cast<LWFrame>(frame))).string();
      ok = renderViewport(host, view, options.renderWidth, options.renderHeight, picture, why) &&
           writePng(picture, path, why);
      if (!ok) {
        if (why->find(name) == std::string::npos) *why = "viewport " + name + ": " + *why;
        break;
      }
      s.files.push_back(path);
      ++s.pictures;
      if (options.contactSheet) sheets[v].push_back(shrink(picture, kSheetShrink));
    }
    if (options.contactSheet) captions.push_back("frame " + std::to_string(frame));
    s.renderSeconds += std::chrono::duration<double>(Clock::now() - renderStart).count();
    if (!ok) break;
    ++s.frames;
    if (progress) progress(s.frames, total);
  }
  for (size_t v = 0; v < sheets.size() && ok && options.contactSheet; ++v) {
    Image sheet;
    const std::string path =
        (std::filesystem::path(options.outDir) / (viewportName(host, options.renderViews[v]) + ".sheet.png")).string();
    ok = makeContactSheet(sheets[v], captions, kSheetColumns, sheet, why) && writePng(sheet, path, why);
    if (ok) s.files.push_back(path);
  }
  host.setAutoRefresh(autoRefresh);
  s.totalSeconds = std::chrono::duration<double>(Clock::now() - start).count();
  return ok;
}

}  // namespace cwhost
