/*
 * cli.h -- the cagewarp-host command line, as a function so that tests and
 * later subcommands reach it without a process.
 */
#ifndef CAGEWARP_HOST_CLI_H
#define CAGEWARP_HOST_CLI_H

#include <iosfwd>

namespace cwhost {

/* Exit codes a shell script can rely on. */
enum CliExit { kExitOk = 0, kExitFailure = 1, kExitUsage = 2 };

/* Runs the program with its arguments (argv[0] is the program name);
 * regular output goes to out, diagnostics to err.  Returns the exit code. */
int runCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

}  // namespace cwhost

#endif /* CAGEWARP_HOST_CLI_H */
