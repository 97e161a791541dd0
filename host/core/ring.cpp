// The communication ring: topics, clients in attach order, synchronous
// delivery that survives clients detaching while a message is delivered.
#include <algorithm>

#include "host/core/internal.h"

namespace cwhost {

int32_t Host::Internal::ringAttach(const char* topic, void* client, LWComRingEventFunc* callback) {
  Host* h = Host::current();
  if (h == nullptr || topic == nullptr || callback == nullptr) return 0;
  std::unique_ptr<RingTopic>& slot = h->ring_[topic];
  if (slot == nullptr) {
    slot = std::make_unique<RingTopic>();
    slot->name = topic;
  }
  slot->entries.push_back(RingEntry{h->nextRingSerial_++, client, callback});
  return 1;
}

void Host::Internal::ringDetach(const char* topic, void* client) {
  Host* h = Host::current();
  if (h == nullptr || topic == nullptr) return;
  auto found = h->ring_.find(topic);
  if (found == h->ring_.end()) return;
  std::vector<RingEntry>& entries = found->second->entries;
  auto it = std::find_if(entries.begin(), entries.end(), [client](const RingEntry& e) { return e.client == client; });
  if (it != entries.end()) entries.erase(it);
  // The topic record stays: a delivery in progress may still hold it.
}

void Host::Internal::ringSend(const char* topic, int32_t code, void* data) {
  Host* h = Host::current();
  if (h == nullptr || topic == nullptr) return;
  h->ringSend(topic, code, data);
}

void Host::ringSend(const std::string& topic, int32_t code, void* data) {
  OperationScope scope(*this);
  auto found = ring_.find(topic);
  if (found == ring_.end()) return;
  RingTopic* record = found->second.get();
  // Deliver to the clients attached now, in attach order; each is looked up
  // again by its serial just before its turn, so a client detached by an
  // earlier callback is skipped and one attached meanwhile waits for the
  // next message.
  std::vector<uint64_t> serials;
  serials.reserve(record->entries.size());
  for (const RingEntry& e : record->entries) serials.push_back(e.serial);
  for (uint64_t serial : serials) {
    auto it = std::find_if(record->entries.begin(), record->entries.end(),
                           [serial](const RingEntry& e) { return e.serial == serial; });
    if (it == record->entries.end()) continue;
    const RingEntry entry = *it;
    entry.callback(entry.client, record, code, data);
  }
}

size_t Host::ringClientCount(const std::string& topic) const {
  auto found = ring_.find(topic);
  return found == ring_.end() ? 0 : found->second->entries.size();
}

}  // namespace cwhost
