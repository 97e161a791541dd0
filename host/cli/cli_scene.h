/*
 * cli_scene.h -- the scene subcommands of cagewarp-host: "run", "save" and "play".
 * Each takes the arguments after its own name and returns a CliExit code.
 */
#ifndef CAGEWARP_HOST_CLI_SCENE_H
#define CAGEWARP_HOST_CLI_SCENE_H

#include <iosfwd>
#include <string>
#include <vector>

namespace cwhost {

/* run SCENE [--module MODULE]... [--frames A-B] [--step N] [--out DIR]
 *     [--world] [--quiet].  `terminal`: err is a terminal, so a progress bar
 * may be drawn on it. */
int runRunCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, bool terminal);

/* save SCENE OUT [--module MODULE]...  (OUT "-" writes to out). */
int runSaveCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

/* play SCENE --script FILE [--module MODULE]... [--out DIR] [--quiet]
 *      [--trace]. */
int runPlayCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

/* Whether the process's standard error is a terminal. */
bool stderrIsTerminal();

}  // namespace cwhost

#endif /* CAGEWARP_HOST_CLI_SCENE_H */
