/*
 * script_session.h -- what the parts of a playing script share (host/script
 * only): the session record, and the panel and expectation steps that
 * script_run.cpp dispatches to.
 *
 * Every step function checks its whole line before it acts and returns
 * false with what went wrong in *why (without the file and line, which the
 * caller adds); a step that returns false after its check has changed
 * nothing.
 */
#ifndef CAGEWARP_HOST_SCRIPT_SESSION_H
#define CAGEWARP_HOST_SCRIPT_SESSION_H

#include <deque>
#include <string>
#include <vector>

#include "host/host.h"
#include "host/render/render.h"
#include "host/script/script.h"
#include "host/script/script_run.h"

namespace cwhost {

/* A queued answer for the next modal dialog. */
struct ScriptDialogAnswer {
  bool accept = false;                                  /* OK (1) or Cancel (0) */
  std::vector<std::pair<std::string, TextToken>> pairs; /* controls to fill first */
  int32_t line = 0;                                     /* the line that queued it */
};

/* A queued answer for the next question. */
struct ScriptQueuedReply {
  ScriptReply reply = ScriptReply::Yes;
  int32_t line = 0;
};

/* The pointer button held since a press line, if any. */
struct ScriptPress {
  bool held = false;
  int32_t viewport = -1;
  ScriptPosition at;     /* where the press was */
  uint32_t flags = 0;    /* LWTOOLF_ bits of the press */
  int32_t line = 0;
};

struct ScriptSession {
  Host* host = nullptr;
  const Script* script = nullptr;
  const PlayOptions* options = nullptr;
  PlayReport* report = nullptr;
  ScriptPress press;
  std::deque<ScriptDialogAnswer> dialogs;
  std::deque<ScriptQueuedReply> replies;
  /* Problems the dialog handlers met while the current line ran (a
   * dialog's control that was missing or refused its value); they fail the
   * line once it returns. */
  std::vector<std::string> lineProblems;
};

/* The first item of that name in scene order, or null. */
const Item* findItemNamed(const Host& host, const std::string& name);

/* panel set / choose / press / click / close (script_panels.cpp). */
bool runPanelAction(ScriptSession& session, const ScriptAction& action, std::string* why);
/* What rasters left on an open classic panel (its surface) as a picture
 * of the panel's size (script_panels.cpp).  False with the reason when no
 * open classic panel has that title or nothing was ever drawn into it. */
bool panelPicture(Host& host, const std::string& title, Image* out, std::string* why);
/* Answers a modal classic panel / XPanel from the queued dialog answers. */
int32_t answerBlockingPanel(ScriptSession& session, LWPanelID panel);
int32_t answerBlockingXPanel(ScriptSession& session, LWXPanelID panel);
/* Reads a control's value and compares it with an expected value token
 * (script_panels.cpp). */
bool controlHasValue(ScriptSession& session, const std::string& title, const std::string& label,
                     const TextToken& expected, double tolerance, std::string* why);

/* Every expect line (script_expect.cpp). */
bool checkExpectation(ScriptSession& session, const ScriptAction& action, std::string* why);

}  // namespace cwhost

#endif /* CAGEWARP_HOST_SCRIPT_SESSION_H */
