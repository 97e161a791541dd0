/*
 * host.h -- the reference host: a headless, deterministic stand-in for the
 * animation program, driving plug-in modules through the SDK only.
 *
 * One Host exists at a time (the SDK's service functions take no context,
 * so they act on the current host); constructing a second one while the
 * first lives is refused with std::logic_error.
 *
 * Re-entrancy: plug-ins call back into the host from inside callbacks
 * (commands, ring messages, envelope edits).  Every public operation may be
 * called from inside a callback.  Refreshes and redraws asked for inside a
 * callback ("RefreshNow", "RedrawNow", instance updates, dirty tools) are
 * queued and carried out when the outermost host operation returns, when
 * auto refresh is on (the default); `settle()` carries them out now.
 *
 * Identifiers: items keep 32-bit identifiers (type in the top nibble),
 * never reused in a run; stale identifiers answer as the SDK says
 * ("(none)", LWI_NONE, zeros).
 */
#ifndef CAGEWARP_HOST_HOST_H
#define CAGEWARP_HOST_HOST_H

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "host/panels/panels.h"
#include "host/core/records.h"
#include "host/core/scene.h"
#include "sdk/lwsdk.h"

namespace cwhost {

/* ---- loaded modules ---- */

struct ServerInfo {
  std::string className;
  std::string name;
  LWActivateFunc* activate = nullptr;
  std::vector<std::pair<uint32_t, std::string>> tags; /* (tag word, text) */
  size_t module = 0;                                  /* index in Host::modules() */
};

struct Module {
  std::string path;
  void* handle = nullptr;      /* dlopen / LoadLibrary handle */
  uint32_t sysSync = 0, sysVersion = 0, sysMachine = 0;
  void* startupValue = nullptr;
  void (*shutdown)(void*) = nullptr;
  std::vector<ServerInfo> servers;
  bool loaded = false;
};

/* ---- handler instances ---- */

/* The callback blocks the host hands a handler activation; heap-allocated
 * so their addresses stay put. */
struct HandlerBlocks {
  LWInstanceFuncs inst{};
  LWItemFuncs item{};
  LWRenderFuncs rend{};
  LWCustomObjHandler custom{};
  LWDisplacementHandler displacement{};
};

struct Instance {
  uint64_t key = 0;              /* the host's handle of the instance; never reused */
  std::string className;         /* LWCLASS_CUSTOMOBJ_HANDLER or LWCLASS_DISPLACEMENT_HANDLER */
  std::string serverName;
  LWItemID item = 0;
  LWInstance instance = nullptr; /* what create returned */
  std::unique_ptr<HandlerBlocks> blocks;
  bool initialised = false;      /* init called, cleanup not yet */
  bool hasNewTime = false;       /* newTime called at least once */
  double lastNewTime = 0.0;      /* time of the last newTime */
  const LWInstanceFuncs* instFuncs() const { return &blocks->inst; }
  const LWItemFuncs* itemFuncs() const;   /* null when not supplied */
  const LWRenderFuncs* rendFuncs() const; /* null when not supplied */
  bool custom() const;
};

/* An interface opened by "EditServer". */
struct OpenInterface {
  std::string className;   /* the interface class */
  std::string serverName;
  uint64_t instanceKey = 0;
  int32_t result = 0;      /* the activation's LWAFUNC_ code */
  LWXPanelID panel = nullptr;
  bool open = false;
};

/* An affine placement: x' = m x + t. */
struct Affine {
  std::array<Vec3, 3> m{Vec3{1, 0, 0}, Vec3{0, 1, 0}, Vec3{0, 0, 1}}; /* rows */
  Vec3 t{0, 0, 0};
  Vec3 apply(const Vec3& p) const;
  Vec3 column(int c) const { return Vec3{m[0][c], m[1][c], m[2][c]}; }
  Affine then(const Affine& outer) const; /* outer applied after this */
  Affine inverse() const;
};

/* Load and save states over blocks (the host's LWLoadState /
 * LWSaveState).  The states keep pointers to block / reader, which must
 * outlive their use. */
void makeSaveState(LWSaveState& state, Block& block);
void makeLoadState(LWLoadState& state, BlockReader& reader);

class Host {
 public:
  Host();
  ~Host();
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;

  /* The host the SDK functions act on; null when none exists. */
  static Host* current();

  /* ================= configuration ================= */

  /* Stop / resume offering a global service by name: the global function
   * returns null for a withheld one. */
  void withholdService(const std::string& name);
  void offerService(const std::string& name);
  bool offersService(const std::string& name) const;
  /* The names of every service the host knows. */
  static const std::vector<std::string>& serviceNames();

  /* "Product Info": the whole product word, or just its build number (bits
   * 4..15; the default build is 3211). */
  void setProductValue(uint32_t value) { productInfo_.value = value; }
  void setBuildNumber(uint32_t build);
  uint32_t productValue() const { return productInfo_.value; }
  /* "Locale Info": 1033 by default. */
  void setLocale(uint32_t value) { localeInfo_.value = value; }

  /* Whether handler activations get the item-function and render-function
   * blocks (a host may leave them out). */
  void setSupplyItemFuncs(bool on) { supplyItemFuncs_ = on; }
  void setSupplyRenderFuncs(bool on) { supplyRenderFuncs_ = on; }

  /* Queued refreshes run when the outermost operation ends (default on). */
  void setAutoRefresh(bool on) { autoRefresh_ = on; }
  bool autoRefresh() const { return autoRefresh_; }

  /* Answers to questions ("Info Messages 2" okCancel / yesNo /
   * yesNoCancel), used in order; when the script is empty the default
   * answer is given (1 unless set). */
  void scriptAnswer(int32_t answer) { answers_.push_back(answer); }
  void setDefaultAnswer(int32_t answer) { defaultAnswer_ = answer; }
  /* Asked for a question when no scripted answer is queued: given the
   * question (kind, title, texts; answer not yet set), returns the answer in
   * that kind's codes, or nullopt for the default answer. */
  using QuestionHandler = std::function<std::optional<int32_t>(const MessageRecord& question)>;
  void setQuestionHandler(QuestionHandler handler) { questionHandler_ = std::move(handler); }

  /* Called for every blocking panel open (LWPANF_BLOCKING, xpanel post):
   * fill its controls as a user would and return 1 (OK) or 0 (Cancel).
   * Without a handler blocking panels are cancelled. */
  void setBlockingPanelHandler(std::function<int32_t(LWPanelID)> handler) { blockingPanel_ = std::move(handler); }
  void setBlockingXPanelHandler(std::function<int32_t(LWXPanelID)> handler) { blockingXPanel_ = std::move(handler); }

  /* The global function to hand to activations. */
  LWGlobalFunc* globalFunction() const;

  /* ================= modules ================= */

  /* Loads a module: opens the library, checks the descriptor, calls
   * startup, lists its servers.  Returns the module's index, or -1 with the
   * reason in *error (not a library, no descriptor, bad sync word, bad
   * version, startup refused, duplicate server). */
  int32_t loadModule(const std::string& path, std::string* error);
  /* Destroys every instance, stops the tool, calls every shutdown and
   * closes the libraries (also done by the destructor). */
  void unloadModules();
  const std::vector<Module>& modules() const { return modules_; }
  /* The server of that class and name among the loaded modules, or null. */
  const ServerInfo* findServer(const std::string& className, const std::string& name) const;
  /* Calls the server's activation with a local record; returns its code. */
  int32_t activate(const ServerInfo& server, int32_t version, void* local);

  /* ================= scene ================= */

  Scene& scene() { return scene_; }
  const Scene& scene() const { return scene_; }
  Item* item(LWItemID id);
  const Item* item(LWItemID id) const;
  /* The live item whose identifier equals id, or (for ids given as 32-bit
   * values) whose low 32 bits equal it; null when none. */
  Item* resolveItem(LWItemID id);

  /* Adds an item at the end of the scene order, with its channel group and
   * nine placement channels.  `wanted`: an identifier to keep when it is
   * free and never issued before in this run (else a new one is made).
   * Cameras get the "Perspective" handler.  Returns the identifier. */
  LWItemID addItem(ItemKind kind, const std::string& name, LWItemID wanted = 0);
  /* An object with a mesh (shared, never changed by the host). */
  LWItemID addObject(const std::string& name, std::shared_ptr<Mesh> mesh, LWItemID wanted = 0);
  /* Removes an item: destroys its instances, its channel group (envelope
   * destroy events first), reparents its children to its parent and drops
   * it from the selection.  Its identifier becomes stale. */
  void removeItem(LWItemID id);
  /* Clones an item (name + " (2)" and so on): channels and keys copied,
   * every server applied again (create) then copied from the source
   * (copy).  Returns the new item, or 0. */
  LWItemID cloneItem(LWItemID id);
  void renameItem(LWItemID id, const std::string& name);
  /* Parents child to parent (0 = none).  Refused (false) for stale items or
   * a cycle.  keepWorld: the child's keys are offset so its world
   * placement at the current time stays (as with the parent-in-place
   * option). */
  bool setParent(LWItemID child, LWItemID parent, bool keepWorld = false);
  /* Replaces the selection (stale ids are skipped). */
  void select(const std::vector<LWItemID>& items);
  const std::vector<LWItemID>& selection() const { return scene_.selection; }
  /* General flags (LWGENF_). */
  void setGeneralFlags(uint32_t flags) { scene_.generalFlags = flags; }

  /* Placement parameter (LWIP_) at a time: zeros for stale items. */
  Vec3 itemParam(LWItemID id, int32_t param, double time) const;
  /* The item's world placement at a time (identity for stale items). */
  Affine worldPlacement(LWItemID id, double time) const;
  Affine localPlacement(LWItemID id, double time) const;

  /* ================= channels, envelopes, keys ================= */

  LWEnvelopeID placementEnvelope(LWItemID id, PlacementChannel channel) const;
  /* Sets a key of a placement channel (replacing one at that time). */
  LWEnvKeyID setPlacementKey(LWItemID id, PlacementChannel channel, double time, double value);
  /* Sets an item's constant placement: position, rotation (h, p, b in
   * radians) and scale, as keys at time 0. */
  void placeItem(LWItemID id, const Vec3& position, const Vec3& rotation = {0, 0, 0},
                 const Vec3& scale = {1, 1, 1});
  Envelope* envelope(LWEnvelopeID id);
  const Envelope* envelope(LWEnvelopeID id) const;
  LWChannelID findChannel(LWChanGroupID group, const std::string& name) const;
  double evaluateEnvelope(LWEnvelopeID id, double time) const;

  /* Envelope operations as the SDK performs them (events included). */
  LWEnvelopeID createEnvelope(LWChanGroupID group, const std::string& name, int32_t type);
  void destroyEnvelope(LWEnvelopeID id);
  LWEnvKeyID createKey(LWEnvelopeID id, double time, double value);
  void destroyKey(LWEnvelopeID id, LWEnvKeyID key);
  bool setKeyField(LWEnvelopeID id, LWEnvKeyID key, int32_t tag, double value);
  std::optional<double> keyField(LWEnvelopeID id, LWEnvKeyID key, int32_t tag) const;
  LWEnvKeyID findKey(LWEnvelopeID id, double time) const;

  /* The user's edits in the host's own timeline.  Delete: the key at that
   * time (within 1e-6 s) goes (delete event) and is remembered for undo.
   * Undo: the last deletion comes back with its time and value (insert
   * event).  Copy: a key with the value of the key at `from` is made at
   * `to`, replacing a key there (delete event, then insert event).  Each
   * returns false, changing nothing, when there is nothing to act on. */
  bool userDeleteKey(LWEnvelopeID id, double time);
  bool userUndo();
  bool userCopyKey(LWEnvelopeID id, double from, double to);

  /* ================= time ================= */

  /* Sets the current time and calls newTime on every instance (creation
   * order); queues a refresh. */
  void setTime(double seconds);
  void goToFrame(double frame);
  double currentTime() const { return scene_.time.currentTime; }
  void setFramesPerSecond(double fps);
  void setPreviewRange(LWFrame start, LWFrame end, LWFrame step = 1);
  /* The frame of a time: the whole frame at or before it. */
  LWFrame frameOf(double seconds) const;

  /* ================= handlers ================= */

  /* Applies a handler server (class LWCLASS_CUSTOMOBJ_HANDLER or
   * LWCLASS_DISPLACEMENT_HANDLER) to an item: activation, create, init.
   * Returns the instance key, or 0 with the reason in *error. */
  uint64_t applyServer(LWItemID id, const std::string& className, const std::string& serverName,
                       std::string* error = nullptr);
  /* Removes the index-th (1 = first) server of a class from the item:
   * cleanup, destroy.  False when there is none. */
  bool removeServer(LWItemID id, const std::string& className, int32_t index);
  Instance* instance(uint64_t key);
  /* Instance keys in creation order, of one class or (empty) all. */
  std::vector<uint64_t> instances(const std::string& className = "") const;
  /* The item's instances of a class, in application order. */
  std::vector<uint64_t> itemInstances(LWItemID id, const std::string& className) const;
  /* The key of the instance whose plug-in record is `instance`, or 0. */
  uint64_t findInstance(LWInstance instance) const;

  /* Save / load an instance's block through the states. */
  Block saveInstance(uint64_t key, std::string* error = nullptr);
  bool loadInstance(uint64_t key, const Block& block, std::string* error = nullptr);
  /* Sends changeID with the (old, new) pairs to every instance with an
   * item-function block. */
  void changeItemIDs(const std::vector<std::pair<LWItemID, LWItemID>>& pairs);
  /* The instance's describe text ("" when it gives none). */
  std::string describeInstance(uint64_t key);
  /* Asks an instance's useItems (empty when none). */
  std::vector<LWItemID> usedItems(uint64_t key);

  /* Deformation pass of one object / of every object carrying displacement
   * handlers: each instance gets newTime unless it already had one at the
   * current time, then evaluate for every point in mesh order, in the
   * space its flags ask for.  Results in Item::deformed / deformedWorld. */
  void deformObject(LWItemID id);
  void deformAll();

  /* Draws every viewport: for each, every custom-object instance in scene
   * order, then the active tool.  The primitives of the last pass are in
   * drawing(). */
  void drawViewports();
  const std::vector<DrawPrimitive>& drawing() const { return drawing_; }
  int32_t drawPasses() const { return drawPasses_; }

  /* Direct callback drivers for out-of-order tests. */
  void callInit(uint64_t key, int32_t mode);
  void callCleanup(uint64_t key);
  void callNewTime(uint64_t key, double time);
  /* Evaluate every point of the instance's object without newTime. */
  void callEvaluatePoints(uint64_t key);
  /* Draw one custom-object instance into one viewport. */
  void callDraw(uint64_t key, int32_t viewport);
  /* Destroy an instance without cleanup. */
  void destroyInstance(uint64_t key);

  /* ================= interfaces ================= */

  /* Opens the interface of the item's index-th server of a handler class
   * (what "EditServer" does).  False when there is none or its activation
   * failed (the result is recorded in interfaces()). */
  bool editServer(LWItemID id, const std::string& handlerClass, int32_t index, std::string* error = nullptr);
  const std::vector<OpenInterface>& interfaces() const { return interfaces_; }
  /* Closes an open interface (destroys its panel). */
  void closeInterface(size_t index);

  /* ================= tools and generics ================= */

  /* Activates a "LayoutTool" server (ending the current tool first).
   * False with the reason in *error when unknown or refused. */
  bool activateTool(const std::string& serverName, std::string* error = nullptr);
  /* Ends the active tool (done). */
  void endTool();
  const std::string& activeTool() const { return activeToolName_; }
  bool toolActive() const { return !activeToolName_.empty(); }
  LWInstance toolInstance() const { return toolLocal_.instance; }
  /* The property panel the active tool gave at activation (its panel
   * callback), or null. */
  LWXPanelID toolPanel() const { return toolPanel_; }
  const LWToolFuncs& toolFuncs() const { return toolFuncs_; }
  /* Pointer events.  toolDown returns the tool's answer (0 when no tool or
   * no down callback); move and up are sent only after a taken press. */
  int32_t toolDown(const LWToolEvent& event);
  void toolMove(const LWToolEvent& event);
  void toolUp(const LWToolEvent& event);
  void toolEvent(int32_t code);
  std::string toolHelp(const LWToolEvent& event);
  /* A tool event for a pointer at pixel (px, py) of a viewport, pressed at
   * (pressX, pressY): raw positions on the view plane (orthographic) or at
   * unit depth along the sight ray (perspective); the screen axes point
   * right and up and are one pixel long at the depth of the raw position. */
  LWToolEvent makeToolEvent(int32_t viewport, int32_t px, int32_t py, int32_t pressX, int32_t pressY,
                            uint32_t flags = 0) const;

  /* Runs a "LayoutGeneric" server.  False when unknown or its activation
   * returned non-zero (reason in *error). */
  bool runGeneric(const std::string& serverName, std::string* error = nullptr);

  /* ================= commands ================= */

  /* Runs a command line as the SDK's command interface does; every command
   * is recorded in commands(). */
  bool command(const std::string& line);
  const std::string& lastCommandError() const { return lastCommandError_; }

  /* ================= ring ================= */

  void ringSend(const std::string& topic, int32_t code, void* data);
  size_t ringClientCount(const std::string& topic) const;

  /* ================= refresh ================= */

  /* Carries out queued refreshes and redraws now. */
  void settle();
  int32_t refreshRequests() const { return refreshRequests_; }
  int32_t redrawRequests() const { return redrawRequests_; }

  /* ================= records ================= */

  const std::vector<CommandRecord>& commands() const { return commands_; }
  const std::vector<MessageRecord>& messages() const { return messages_; }
  const std::vector<UpdateRecord>& updates() const { return updates_; }
  const std::vector<EnvelopeEventRecord>& envelopeEvents() const { return envelopeEvents_; }
  void clearRecords();

  /* ================= panels (test drivers) ================= */

  XPanel* xpanel(LWXPanelID id);
  std::vector<LWXPanelID> xpanels() const;
  /* Reads a value as the panel shows it; nullopt for an unknown id. */
  std::optional<XValue> xpanelValue(LWXPanelID id, uint32_t valueID);
  /* Sets a value as a user would: set callback, then the change
   * notification (LWXPEVENT_VALUE) when it was taken.  Returns set's
   * answer (form panels: 1). */
  int32_t xpanelSetValue(LWXPanelID id, uint32_t valueID, const XValue& value);
  std::vector<std::string> xpanelChoices(LWXPanelID id, uint32_t controlID);
  bool xpanelEnabled(LWXPanelID id, uint32_t controlID);
  std::string xpanelTitle(LWXPanelID id);

  Panel* panel(LWPanelID id);
  std::vector<LWPanelID> panels() const;
  PanelControl* control(LWControlID id);
  /* The panel's first control with that label, or null. */
  LWControlID findControl(LWPanelID id, const std::string& label);
  /* A user presses a button / sets a value: the control's callback runs. */
  void pressControl(LWControlID id);
  void userSetControlInt(LWControlID id, int32_t value);
  void userSetControlFloat(LWControlID id, double value);
  void userSetControlText(LWControlID id, const std::string& text);
  void panelClick(LWPanelID id, uint32_t qualifiers, int32_t x, int32_t y);
  int32_t panelKey(LWPanelID id, uint32_t key);
  /* The user closes the window: close callback, then closed. */
  void userClosePanel(LWPanelID id);
  Raster* raster(LWRasterID id);

  /* ===== internal entry points of the SDK service functions ===== */
  struct Internal;

 private:
  friend struct Internal;
  class OperationScope;

  void fireEnvelopeEvent(LWEnvelopeID id, int32_t event, LWEnvKeyID key);
  void queueRefresh() { ++refreshRequests_; pendingRefresh_ = true; }
  void queueRedraw() { ++redrawRequests_; pendingRedraw_ = true; }
  void endOperation();
  bool runCommand(const std::string& line, std::string* error);
  void makeChannelGroup(Item& item);
  void destroyChannelGroup(LWChanGroupID group);
  uint64_t createInstance(LWItemID id, const ServerInfo& server, std::string* error);
  void destroyInstanceRecord(uint64_t key, bool cleanup);
  void evaluateObjectPoints(Item& object, bool ensureNewTime);
  /* Every point of `mesh` from input through the displacement handler of
   * instance `key` into output (which may be input), in the handler's
   * space: `into`, when given, carries input into it first.  When the
   * handler is destroyed from inside its evaluate, the points it did not
   * reach get their input carried into its space, so that output is all
   * in one space. */
  void runHandlerOverPoints(uint64_t key, const LWDisplacementHandler& handler, LWInstance instance,
                              const Affine* into, const Mesh& mesh, const Vec3* input, LWMeshInfo* info,
                              Vec3* output);
  void drawInto(int32_t viewport, Instance* inst);
  void drawTool(int32_t viewport);
  void ensureNewTime(Instance& inst);

  Scene scene_;
  IdSource ids_;
  std::set<std::string> withheld_;
  LWProductInfo productInfo_{};
  LWLocaleInfo localeInfo_{};
  bool supplyItemFuncs_ = true;
  bool supplyRenderFuncs_ = true;
  bool autoRefresh_ = true;
  std::deque<int32_t> answers_;
  int32_t defaultAnswer_ = 1;
  QuestionHandler questionHandler_;
  std::function<int32_t(LWPanelID)> blockingPanel_;
  std::function<int32_t(LWXPanelID)> blockingXPanel_;

  std::vector<Module> modules_;

  std::map<uint64_t, Instance> instances_;
  uint64_t nextInstanceKey_ = 1;
  uint64_t instanceChanges_ = 0; /* instances made or destroyed so far */

  std::vector<OpenInterface> interfaces_;

  std::string activeToolName_;
  LWLayoutTool toolLocal_{};
  LWToolFuncs toolFuncs_{};
  bool toolPressed_ = false;
  LWXPanelID toolPanel_ = nullptr;

  struct RingEntry {
    uint64_t serial = 0;
    void* client = nullptr;
    LWComRingEventFunc* callback = nullptr;
  };
  struct RingTopic {
    std::string name;
    std::vector<RingEntry> entries;
  };
  std::map<std::string, std::unique_ptr<RingTopic>> ring_;
  uint64_t nextRingSerial_ = 1;

  struct DeletedKey {
    LWEnvelopeID envelope = 0;
    EnvelopeKey key;
  };
  std::vector<DeletedKey> undoStack_;

  std::vector<DrawPrimitive> drawing_;
  int32_t drawPasses_ = 0;

  std::vector<CommandRecord> commands_;
  std::string lastCommandError_;
  std::vector<MessageRecord> messages_;
  std::vector<UpdateRecord> updates_;
  std::vector<EnvelopeEventRecord> envelopeEvents_;

  std::map<XPanel*, std::unique_ptr<XPanel>> xpanels_;
  std::map<Panel*, std::unique_ptr<Panel>> panels_;
  std::map<PanelControl*, Panel*> controls_;
  std::map<Raster*, std::unique_ptr<Raster>> rasters_;
  std::vector<std::unique_ptr<int32_t[]>> mtGroups_;

  int32_t depth_ = 0;            /* nesting of host operations */
  int32_t commandDepth_ = 0;     /* nesting of commands */
  bool pendingRefresh_ = false, pendingRedraw_ = false;
  bool settling_ = false;
  int32_t refreshRequests_ = 0, redrawRequests_ = 0;
  std::vector<LWItemID> selectionCache_; /* zero-closed copy for selItems */
};

}  // namespace cwhost

#endif /* CAGEWARP_HOST_HOST_H */
