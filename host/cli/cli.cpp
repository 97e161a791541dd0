// cagewarp-host: the reference host's command line.
#include "host/cli/cli.h"

#include <cstdio>
#include <iostream>
#include <ostream>
#include <string>
#include <vector>

#include "host/cli/cli_scene.h"
#include "host/host.h"

namespace cwhost {

namespace {

const char kUsage[] =
    "usage: cagewarp-host COMMAND [ARGUMENTS]\n"
    "\n"
    "The headless reference host for Cagewarp plug-in modules.\n"
    "\n"
    "commands:\n"
    "  info MODULE    show a module's descriptor and server table\n"
    "  run SCENE      run a scene through its frames and write the deformed\n"
    "                 objects (--module MODULE, --frames A-B, --out DIR)\n"
    "  save SCENE OUT load a scene and save it again\n"
    "  play SCENE     play a script of user actions against a scene\n"
    "                 (--module MODULE, --script FILE, --out DIR)\n"
    "  help           show this text (also --help, -h)\n"
    "\n"
    "Run 'cagewarp-host COMMAND --help' for a command's own help.\n"
    "exit codes: 0 success, 1 the command failed, 2 wrong usage\n";

const char kInfoUsage[] =
    "usage: cagewarp-host info MODULE\n"
    "\n"
    "Loads the plug-in module MODULE, checks its descriptor (sync word and\n"
    "version), runs its startup and prints the descriptor and the server\n"
    "table: class, name and tags of every server.  The module is unloaded\n"
    "again (shutdown) before the program ends.\n"
    "exit codes: 0 success, 1 MODULE is not a loadable plug-in module, 2 wrong usage\n";

bool isHelp(const std::string& arg) { return arg == "--help" || arg == "-h" || arg == "help"; }

std::string hex(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", value);
  return text;
}

std::string machineName(uint32_t machine) {
  switch (machine) {
    case LWMODULE_MACHINE_WIN64: return " (Windows x64)";
    case LWMODULE_MACHINE_MACOS: return " (macOS)";
    default: return "";
  }
}

int runInfo(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.size() == 1 && isHelp(args[0])) {
    out << kInfoUsage;
    return kExitOk;
  }
  if (args.size() != 1) {
    err << "cagewarp-host info: expected one MODULE argument\n" << kInfoUsage;
    return kExitUsage;
  }
  Host host;
  std::string error;
  const int32_t index = host.loadModule(args[0], &error);
  if (index < 0) {
    err << "cagewarp-host info: " << error << "\n";
    return kExitFailure;
  }
  const Module& module = host.modules()[static_cast<size_t>(index)];
  out << "module:  " << module.path << "\n"
      << "sync:    " << hex(module.sysSync) << "\n"
      << "version: " << module.sysVersion << "\n"
      << "machine: " << hex(module.sysMachine) << machineName(module.sysMachine) << "\n"
      << "servers: " << module.servers.size() << "\n";
  int n = 1;
  for (const ServerInfo& server : module.servers) {
    out << "  " << n++ << ". " << server.className << " \"" << server.name << "\"\n";
    for (const auto& [tag, text] : server.tags) out << "       tag " << hex(tag) << " \"" << text << "\"\n";
  }
  return kExitOk;
}

}  // namespace

int runCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.emplace_back(argv[i] != nullptr ? argv[i] : "");
  if (args.empty()) {
    err << kUsage;
    return kExitUsage;
  }
  const std::string command = args.front();
  args.erase(args.begin());
  if (isHelp(command)) {
    out << kUsage;
    return kExitOk;
  }
  if (command == "info") return runInfo(args, out, err);
  if (command == "run") return runRunCommand(args, out, err, &err == &std::cerr && stderrIsTerminal());
  if (command == "save") return runSaveCommand(args, out, err);
  if (command == "play") return runPlayCommand(args, out, err);
  err << "cagewarp-host: unknown command \"" << command << "\"\n" << kUsage;
  return kExitUsage;
}

}  // namespace cwhost
