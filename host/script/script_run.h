/*
 * script_run.h -- playing a parsed script against the host's scene.
 *
 * Lines run in order, each as one user action: the host's own operation
 * ends after it (queued refreshes and redraws run), so a drag path is a
 * move event and a redraw cycle per position, as with a real pointer.
 *
 * Every line is checked whole before it acts: names resolve, values fit
 * their controls, positions lie where they must.  A line that fails its
 * check changes nothing; playing stops at the first line that fails (a
 * rejected line, an action the host or the plug-in refused, an expectation
 * not met) with "FILE:LINE: what was expected" in *error.  At the end, a
 * dialog or question answer that no dialog or question used, and a press
 * never released, fail the line that made them.
 *
 * While a script plays, the host's blocking-panel handlers and question
 * handler are the script's (restored to none afterwards): a modal dialog
 * takes the next queued `dialog` answer (without one it is cancelled, as
 * the host does), and a question the next queued `answer` (without one, the
 * host's default answer).
 */
#ifndef CAGEWARP_HOST_SCRIPT_RUN_H
#define CAGEWARP_HOST_SCRIPT_RUN_H

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "host/host.h"
#include "host/script/script.h"

namespace cwhost {

struct PlayOptions {
  std::string outDir = ".";    /* where relative output paths (render, write-obj, save) go; made when missing */
  std::ostream* trace = nullptr; /* when set, each line is reported as it runs */
};

struct PlayReport {
  int32_t actions = 0;            /* lines run, expectations included */
  int32_t expectations = 0;       /* expectations met */
  std::vector<std::string> files; /* files written, in order */
  int32_t failedLine = 0;         /* the line that stopped the script; 0 when none did */
};

/* Plays the script.  True when every line ran and every expectation was
 * met.  report may be null. */
bool playScript(Host& host, const Script& script, const PlayOptions& options, PlayReport* report,
                std::string* error);

}  // namespace cwhost

#endif /* CAGEWARP_HOST_SCRIPT_RUN_H */
