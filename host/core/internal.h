/*
 * internal.h -- shared by the host's own sources only.
 */
#ifndef CAGEWARP_HOST_INTERNAL_H
#define CAGEWARP_HOST_INTERNAL_H

#include "host/host.h"

namespace cwhost {

// Marks one host operation; the outermost one carries out the refreshes
// that plug-ins queued inside it.
class Host::OperationScope {
 public:
  explicit OperationScope(Host& host) : host_(host) { ++host_.depth_; }
  ~OperationScope() {
    if (--host_.depth_ == 0) host_.endOperation();
  }
  OperationScope(const OperationScope&) = delete;
  OperationScope& operator=(const OperationScope&) = delete;

 private:
  Host& host_;
};

// Reach into the Host for the SDK's service functions, which take no
// context and act on Host::current().
struct Host::Internal {
  static std::vector<MessageRecord>& messages(Host& h) { return h.messages_; }
  static std::vector<UpdateRecord>& updates(Host& h) { return h.updates_; }
  // The answer to a question: the next scripted one, else the question
  // handler's, else the default.
  static int32_t nextAnswer(Host& h, const MessageRecord& question) {
    if (h.answers_.empty()) {
      if (h.questionHandler_) {
        if (const std::optional<int32_t> answer = h.questionHandler_(question)) return *answer;
      }
      return h.defaultAnswer_;
    }
    const int32_t answer = h.answers_.front();
    h.answers_.pop_front();
    return answer;
  }
  static const LWProductInfo* productInfo(Host& h) { return &h.productInfo_; }
  static const LWLocaleInfo* localeInfo(Host& h) { return &h.localeInfo_; }
  static std::vector<LWItemID>& selectionCache(Host& h) { return h.selectionCache_; }
  static void queueRefresh(Host& h) { h.queueRefresh(); }
  static void queueRedraw(Host& h) { h.queueRedraw(); }
  static void fireEnvelopeEvent(Host& h, LWEnvelopeID id, int32_t event, LWEnvKeyID key) {
    h.fireEnvelopeEvent(id, event, key);
  }
  static IdSource& ids(Host& h) { return h.ids_; }

  // Ring
  static int32_t ringAttach(const char* topic, void* client, LWComRingEventFunc* callback);
  static void ringDetach(const char* topic, void* client);
  static void ringSend(const char* topic, int32_t code, void* data);

  // Panels (panels_xpanel.cpp, panels_classic.cpp)
  static const LWXPanelFuncs* xpanelFuncs();
  static const LWPanelFuncs* panelFuncs();
  static const LWRasterFuncs* rasterFuncs();
  static void destroyXPanel(LWXPanelID panel);
  static std::map<XPanel*, std::unique_ptr<XPanel>>& xpanels(Host& h) { return h.xpanels_; }
  static std::map<Panel*, std::unique_ptr<Panel>>& panels(Host& h) { return h.panels_; }
  static std::map<PanelControl*, Panel*>& controls(Host& h) { return h.controls_; }
  static std::map<Raster*, std::unique_ptr<Raster>>& rasters(Host& h) { return h.rasters_; }
  static std::function<int32_t(LWPanelID)>& blockingPanel(Host& h) { return h.blockingPanel_; }
  static std::function<int32_t(LWXPanelID)>& blockingXPanel(Host& h) { return h.blockingXPanel_; }
  static std::vector<std::unique_ptr<int32_t[]>>& mtGroups(Host& h) { return h.mtGroups_; }
};

/* Exact-time tolerance of envelope keys, seconds. */
inline constexpr double kKeyTimeEpsilon = 1e-9;
/* Tolerance of the user's timeline edits, seconds (a click on a key). */
inline constexpr double kUserKeyTimeEpsilon = 1e-6;

}  // namespace cwhost

#endif /* CAGEWARP_HOST_INTERNAL_H */
