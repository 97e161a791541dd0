// cagewarp-host run and save: options parsed with CLI11, scenes loaded,
// run through their frames or saved again.
#include "host/cli/cli_scene.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <ostream>

#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

#include "host/cli/cli.h"
#include "host/host.h"
#include "host/files/scene_file.h"
#include "host/cli/scene_run.h"
#include "host/render/render.h"
#include "host/script/script_run.h"

namespace cwhost {

namespace {

const char kRunFooter[] =
    "Every object that carries a displacement handler is written once per\n"
    "frame as OUT/NAME.FRAME.obj (NAME from the item name, FRAME in at least\n"
    "four digits), with the input mesh's polygons and weight maps.  With\n"
    "--render, each viewport named (top, front, perspective, camera ... as in\n"
    "the scene file, top-2 for a second top view, or its number from 0) is\n"
    "drawn per frame as OUT/VIEW.FRAME.png at --size pixels; --sheet adds\n"
    "OUT/VIEW.sheet.png with every frame at a quarter of the size.  A\n"
    "progress bar is drawn on standard error when it is a terminal and the\n"
    "run takes more than half a second; a summary goes to standard output.\n"
    "exit codes: 0 success, 1 a module, the scene, a mesh or an output file\n"
    "failed (the reason on standard error), 2 wrong usage";

const char kSaveFooter[] =
    "Loads the modules and the scene (every server creates itself and reads\n"
    "its block) and saves the scene again (every server writes its block).\n"
    "Mesh paths are written relative to OUT's folder (to the current folder\n"
    "when OUT is -).  Saving what this command saved gives the same bytes.\n"
    "exit codes: 0 success, 1 a module, the scene, a mesh or OUT failed (the\n"
    "reason on standard error), 2 wrong usage";

// Parses the arguments; on help or a usage error the exit code to return.
std::optional<int> parseArguments(CLI::App& app, const std::vector<std::string>& args, const std::string& command,
                                  std::ostream& out, std::ostream& err) {
  // Paths such as /work/scene.cws are arguments, never Windows-style
  // options, whatever the platform.
  app.allow_windows_style_options(false);
  // CLI11 takes the arguments last first.
  std::vector<std::string> reversed(args.rbegin(), args.rend());
  try {
    app.parse(reversed);
  } catch (const CLI::CallForHelp&) {
    out << app.help();
    return kExitOk;
  } catch (const CLI::ParseError& e) {
    err << "cagewarp-host " << command << ": " << e.what() << "\n"
        << "Run 'cagewarp-host " << command << " --help' for its usage.\n";
    return kExitUsage;
  }
  return std::nullopt;
}

bool loadModules(Host& host, const std::vector<std::string>& modules, const std::string& command, std::ostream& err) {
  for (const std::string& path : modules) {
    std::string error;
    if (host.loadModule(path, &error) < 0) {
      err << "cagewarp-host " << command << ": " << error << "\n";
      return false;
    }
  }
  return true;
}

std::optional<LWFrame> frameNumber(std::string_view text) {
  int32_t value = 0;
  const char* end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, value);
  if (text.empty() || result.ec != std::errc() || result.ptr != end) return std::nullopt;
  return value;
}

// "A-B" or "A"; either may be negative ("-10--2").
bool parseFrames(const std::string& text, LWFrame* first, LWFrame* last) {
  const size_t dash = text.find('-', 1);
  const std::optional<LWFrame> a = frameNumber(std::string_view(text).substr(0, dash));
  if (!a) return false;
  if (dash == std::string::npos) {
    *first = *last = *a;
    return true;
  }
  const std::optional<LWFrame> b = frameNumber(std::string_view(text).substr(dash + 1));
  if (!b) return false;
  *first = *a;
  *last = *b;
  return true;
}

// A bar on standard error, only when it is a terminal and the run has
// lasted long enough for one to help.
class ProgressBar {
 public:
  ProgressBar(std::ostream& err, bool enabled) : err_(err), enabled_(enabled), start_(Clock::now()) {}

  void update(int32_t done, int32_t total) {
    if (!enabled_ || total <= 0) return;
    if (!drawn_ && Clock::now() - start_ < std::chrono::milliseconds(kDelayMs)) return;
    const int32_t filled = static_cast<int32_t>(static_cast<int64_t>(done) * kWidth / total);
    if (drawn_ && filled == lastFilled_ && done != total) return;
    lastFilled_ = filled;
    drawn_ = true;
    err_ << "\r[" << std::string(static_cast<size_t>(filled), '#')
         << std::string(static_cast<size_t>(kWidth - filled), '.') << "] " << done << "/" << total << " frames"
         << std::flush;
  }

  void finish() {
    if (drawn_) err_ << "\r" << std::string(kWidth + 32, ' ') << "\r" << std::flush;
  }

 private:
  using Clock = std::chrono::steady_clock;
  static constexpr int32_t kWidth = 40;     // characters of the bar
  static constexpr int32_t kDelayMs = 500;  // runs shorter than this show no bar
  std::ostream& err_;
  bool enabled_;
  Clock::time_point start_;
  bool drawn_ = false;
  int32_t lastFilled_ = -1;
};

// "WxH" with both sides 1 to 16384.
bool parseSize(const std::string& text, int32_t* width, int32_t* height) {
  const size_t x = text.find_first_of("xX");
  if (x == std::string::npos) return false;
  const std::optional<LWFrame> w = frameNumber(std::string_view(text).substr(0, x));
  const std::optional<LWFrame> h = frameNumber(std::string_view(text).substr(x + 1));
  if (!w || !h || *w < 1 || *h < 1 || *w > 16384 || *h > 16384) return false;
  *width = *w;
  *height = *h;
  return true;
}

// The viewports of a comma-separated list, each once, in the list's order.
bool resolveViews(const Host& host, const std::string& list, std::vector<int32_t>* views, std::string* error) {
  size_t start = 0;
  while (start <= list.size()) {
    const size_t comma = std::min(list.find(',', start), list.size());
    const std::string name = list.substr(start, comma - start);
    start = comma + 1;
    const int32_t view = findViewport(host, name);
    if (view < 0) {
      std::string names;
      for (int32_t v = 0; v < static_cast<int32_t>(host.scene().viewports.size()); ++v)
        names += (names.empty() ? "" : ", ") + viewportName(host, v);
      *error = "the scene has no viewport \"" + name + "\" (" +
               (names.empty() ? std::string("it has no viewport") : "its viewports: " + names) + ")";
      return false;
    }
    if (std::find(views->begin(), views->end(), view) == views->end()) views->push_back(view);
  }
  return true;
}

std::string milliseconds(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f ms", seconds * 1000.0);
  return text;
}

void printSummary(std::ostream& out, const RunOptions& options, const RunSummary& s, const std::string& outDir) {
  const double frames = s.frames > 0 ? s.frames : 1;
  out << "ran " << s.frames << (s.frames == 1 ? " frame" : " frames") << " (" << options.first << " to " << options.last
      << ", step " << options.step << "), " << s.objects << (s.objects == 1 ? " object, " : " objects, ") << s.points
      << " points per frame\n"
      << milliseconds(s.deformSeconds / frames) << " per frame deforming, " << milliseconds(s.totalSeconds / frames)
      << " per frame with writing\n";
  if (s.pictures > 0)
    out << "rendered " << s.pictures << (s.pictures == 1 ? " picture" : " pictures") << " of " << options.renderWidth
        << " x " << options.renderHeight << " pixels, " << milliseconds(s.renderSeconds / s.pictures)
        << " each with its PNG file\n";
  out
      << "wrote " << s.files.size() << (s.files.size() == 1 ? " file to " : " files to ") << outDir << "\n";
}

const char kPlayFooter[] =
    "Plays SCRIPT, a text file of user actions and expectations, one a line\n"
    "(docs/scripts.md), against the loaded scene.  Files the script writes\n"
    "(render, write-obj, save) go to OUT when their paths are relative.  The\n"
    "script is read whole first: a line that does not parse stops it before\n"
    "anything runs.  Playing stops at the first line that fails, naming it as\n"
    "SCRIPT:LINE on standard error.\n"
    "exit codes: 0 every line ran and every expectation was met, 1 a module,\n"
    "the scene or the script failed (the line on standard error), 2 wrong usage";

}  // namespace

bool stderrIsTerminal() {
#if defined(_WIN32)
  return _isatty(_fileno(stderr)) != 0;
#else
  return isatty(fileno(stderr)) != 0;
#endif
}

int runRunCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, bool terminal) {
  CLI::App app{"Loads plug-in modules and a scene, steps through frames and writes every deformed object per frame.",
               "cagewarp-host run"};
  app.footer(kRunFooter);
  std::string scenePath, frames, outDir = ".", render, size = "640x480";
  std::vector<std::string> modules;
  int32_t step = 0;
  bool world = false, quiet = false, sheet = false;
  app.add_option("SCENE", scenePath, "the scene file")->required();
  app.add_option("-m,--module", modules, "a plug-in module to load before the scene (repeat for more)")
      ->allow_extra_args(false);
  app.add_option("-f,--frames", frames, "the frames to run, A-B or A (default: the scene's preview range)");
  app.add_option("--step", step, "frames between runs (default: the scene's preview step)")
      ->check(CLI::Range(1, INT32_MAX));
  app.add_option("-o,--out", outDir, "the folder the OBJ files go to, made when missing (default: .)");
  app.add_flag("--world", world, "write world coordinates instead of each object's own");
  app.add_flag("-q,--quiet", quiet, "print no summary");
  app.add_option("-r,--render", render, "viewports to render per frame as PNG files, VIEW[,VIEW...]");
  app.add_option("--size", size, "the pictures' size in pixels, WxH (default: 640x480)");
  app.add_flag("--sheet", sheet, "with --render: also one contact sheet of all frames per viewport");
  if (const std::optional<int> code = parseArguments(app, args, "run", out, err)) return *code;

  RunOptions options;
  if (!frames.empty() && !parseFrames(frames, &options.first, &options.last)) {
    err << "cagewarp-host run: --frames expects A-B or A (whole frame numbers), not \"" << frames << "\"\n";
    return kExitUsage;
  }
  if (!parseSize(size, &options.renderWidth, &options.renderHeight)) {
    err << "cagewarp-host run: --size expects WxH (whole numbers of pixels, 1 to 16384), not \"" << size << "\"\n";
    return kExitUsage;
  }
  options.contactSheet = sheet;
  if (!render.empty() && !renderingAvailable()) {
    err << "cagewarp-host run: --render: rendering not built into this host\n";
    return kExitFailure;
  }
  Host host;
  if (!loadModules(host, modules, "run", err)) return kExitFailure;
  std::string error;
  if (!loadScene(host, scenePath, nullptr, &error)) {
    err << "cagewarp-host run: " << error << "\n";
    return kExitFailure;
  }
  const TimeSettings& time = host.scene().time;
  if (frames.empty()) {
    options.first = time.previewStart;
    options.last = time.previewEnd;
  }
  options.step = step > 0 ? step : time.previewStep;
  options.outDir = outDir;
  options.world = world;
  if (!render.empty() && !resolveViews(host, render, &options.renderViews, &error)) {
    err << "cagewarp-host run: --render: " << error << "\n";
    return kExitFailure;
  }
  if (options.last < options.first) {
    err << "cagewarp-host run: the last frame (" << options.last << ") is before the first (" << options.first << ")\n";
    return kExitUsage;
  }
  ProgressBar bar(err, terminal);
  RunSummary summary;
  const bool ok = runFrames(
      host, options, [&bar](int32_t done, int32_t total) { bar.update(done, total); }, &summary, &error);
  bar.finish();
  if (!ok) {
    err << "cagewarp-host run: " << error << "\n";
    return kExitFailure;
  }
  if (!quiet) printSummary(out, options, summary, outDir);
  return kExitOk;
}

int runSaveCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  CLI::App app{"Loads a scene and saves it again, every server writing its own block.", "cagewarp-host save"};
  app.footer(kSaveFooter);
  std::string scenePath, outPath;
  std::vector<std::string> modules;
  app.add_option("SCENE", scenePath, "the scene file to load")->required();
  app.add_option("OUT", outPath, "the scene file to write, or - for standard output")->required();
  app.add_option("-m,--module", modules, "a plug-in module to load before the scene (repeat for more)")
      ->allow_extra_args(false);
  if (const std::optional<int> code = parseArguments(app, args, "save", out, err)) return *code;

  Host host;
  if (!loadModules(host, modules, "save", err)) return kExitFailure;
  std::string error;
  if (!loadScene(host, scenePath, nullptr, &error)) {
    err << "cagewarp-host save: " << error << "\n";
    return kExitFailure;
  }
  if (outPath == "-") {
    std::string text;
    if (!saveSceneText(host, std::filesystem::current_path().string(), &text, &error)) {
      err << "cagewarp-host save: " << error << "\n";
      return kExitFailure;
    }
    out << text;
    return kExitOk;
  }
  if (!saveScene(host, outPath, &error)) {
    err << "cagewarp-host save: " << error << "\n";
    return kExitFailure;
  }
  return kExitOk;
}

int runPlayCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  CLI::App app{"Loads plug-in modules and a scene, then plays a script of user actions against it.",
               "cagewarp-host play"};
  app.footer(kPlayFooter);
  std::string scenePath, scriptPath, outDir = ".";
  std::vector<std::string> modules;
  bool quiet = false, trace = false;
  app.add_option("SCENE", scenePath, "the scene file")->required();
  app.add_option("-m,--module", modules, "a plug-in module to load before the scene (repeat for more)")
      ->allow_extra_args(false);
  app.add_option("-s,--script", scriptPath, "the script to play")->required();
  app.add_option("-o,--out", outDir, "the folder written files go to, made when missing (default: .)");
  app.add_flag("-q,--quiet", quiet, "print no summary");
  app.add_flag("--trace", trace, "print each line as it runs");
  if (const std::optional<int> code = parseArguments(app, args, "play", out, err)) return *code;

  Script script;
  std::string error;
  if (!readScript(scriptPath, &script, &error)) {
    err << "cagewarp-host play: " << error << "\n";
    return kExitFailure;
  }
  Host host;
  if (!loadModules(host, modules, "play", err)) return kExitFailure;
  if (!loadScene(host, scenePath, nullptr, &error)) {
    err << "cagewarp-host play: " << error << "\n";
    return kExitFailure;
  }
  PlayOptions options;
  options.outDir = outDir;
  options.trace = trace ? &out : nullptr;
  PlayReport report;
  if (!playScript(host, script, options, &report, &error)) {
    err << error << "\n";
    if (report.failedLine > 0) err << "cagewarp-host play: stopped at line " << report.failedLine << "\n";
    return kExitFailure;
  }
  if (!quiet) {
    out << "played " << scriptPath << ": " << report.actions << (report.actions == 1 ? " line, " : " lines, ")
        << report.expectations << (report.expectations == 1 ? " expectation" : " expectations") << " met\n";
    for (const std::string& file : report.files) out << "wrote " << file << "\n";
  }
  return kExitOk;
}

}  // namespace cwhost
