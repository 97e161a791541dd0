// Channels and envelopes: keys, linear evaluation, event delivery, and the
// user's own timeline edits (delete, undo, copy).
#include <algorithm>
#include <cmath>

#include "host/core/internal.h"

namespace cwhost {

namespace {

std::vector<EnvelopeKey>::iterator keyIter(Envelope& env, LWEnvKeyID key) {
  return std::find_if(env.keys.begin(), env.keys.end(), [key](const EnvelopeKey& k) { return k.id == key; });
}

}  // namespace

Envelope* Host::envelope(LWEnvelopeID id) {
  auto it = scene_.envelopes.find(id);
  return it == scene_.envelopes.end() ? nullptr : &it->second;
}

const Envelope* Host::envelope(LWEnvelopeID id) const {
  auto it = scene_.envelopes.find(id);
  return it == scene_.envelopes.end() ? nullptr : &it->second;
}

LWChannelID Host::findChannel(LWChanGroupID group, const std::string& name) const {
  auto found = scene_.groups.find(group);
  if (found == scene_.groups.end()) return 0;
  for (LWChannelID id : found->second.channels) {
    auto channel = scene_.channels.find(id);
    if (channel != scene_.channels.end() && channel->second.name == name) return id;
  }
  return 0;
}

double Host::evaluateEnvelope(LWEnvelopeID id, double time) const {
  const Envelope* env = envelope(id);
  if (env == nullptr) return 0.0;
  const std::vector<EnvelopeKey>& keys = env->keys;
  if (keys.empty()) return env->defaultValue;
  if (time <= keys.front().time) return keys.front().value;
  if (time >= keys.back().time) return keys.back().value;
  auto after = std::upper_bound(keys.begin(), keys.end(), time,
                                [](double t, const EnvelopeKey& k) { return t < k.time; });
  const EnvelopeKey& b = *after;
  const EnvelopeKey& a = *(after - 1);
  const double s = (time - a.time) / (b.time - a.time);
  return a.value + (b.value - a.value) * s;
}

void Host::fireEnvelopeEvent(LWEnvelopeID id, int32_t event, LWEnvKeyID key) {
  const Envelope* env = envelope(id);
  EnvelopeEventRecord record;
  record.envelope = id;
  record.event = event;
  record.key = key;
  if (env == nullptr || env->callback == nullptr) {
    envelopeEvents_.push_back(record);
    return;
  }
  record.delivered = true;
  envelopeEvents_.push_back(record);
  LWEnvEventFunc* callback = env->callback;
  void* data = env->callbackData;
  OperationScope scope(*this);
  callback(data, id, event, key);
}

LWEnvelopeID Host::createEnvelope(LWChanGroupID groupID, const std::string& name, int32_t type) {
  auto group = scene_.groups.find(groupID);
  if (group == scene_.groups.end() || name.empty()) return 0;
  Channel channel;
  channel.id = ids_.other(kTagChannel);
  channel.name = name;
  channel.type = type;
  channel.group = groupID;
  Envelope env;
  env.id = ids_.other(kTagEnvelope);
  env.channel = channel.id;
  channel.envelope = env.id;
  group->second.channels.push_back(channel.id);
  const LWEnvelopeID id = env.id;
  scene_.envelopes.emplace(id, std::move(env));
  scene_.channels.emplace(channel.id, std::move(channel));
  return id;
}

void Host::destroyEnvelope(LWEnvelopeID id) {
  OperationScope scope(*this);
  Envelope* env = envelope(id);
  if (env == nullptr) return;
  auto channel = scene_.channels.find(env->channel);
  // The item's own placement channels stay as long as the item.
  if (channel != scene_.channels.end() && channel->second.placement) return;
  fireEnvelopeEvent(id, LWEEVNT_DESTROY, 0);
  env = envelope(id);
  if (env == nullptr) return;  // destroyed again from inside its own event
  const LWChannelID channelID = env->channel;
  scene_.envelopes.erase(id);
  channel = scene_.channels.find(channelID);
  if (channel != scene_.channels.end()) {
    auto group = scene_.groups.find(channel->second.group);
    if (group != scene_.groups.end()) {
      std::vector<LWChannelID>& list = group->second.channels;
      list.erase(std::remove(list.begin(), list.end(), channelID), list.end());
    }
    scene_.channels.erase(channel);
  }
  undoStack_.erase(std::remove_if(undoStack_.begin(), undoStack_.end(),
                                  [id](const DeletedKey& d) { return d.envelope == id; }),
                   undoStack_.end());
}

LWEnvKeyID Host::createKey(LWEnvelopeID id, double time, double value) {
  OperationScope scope(*this);
  Envelope* env = envelope(id);
  if (env == nullptr || !std::isfinite(time)) return 0;
  // The first key not before time - epsilon is the only candidate for the
  // same time (keys are in ascending order): a search, not a walk, so that
  // keying a long channel costs n log n.
  auto at = std::lower_bound(env->keys.begin(), env->keys.end(), time - kKeyTimeEpsilon,
                             [](const EnvelopeKey& k, double t) { return k.time < t; });
  if (at != env->keys.end() && std::fabs(at->time - time) <= kKeyTimeEpsilon) {
    at->value = value;
    const LWEnvKeyID key = at->id;
    queueRefresh();  // a new value is as much an edit as a new key
    fireEnvelopeEvent(id, LWEEVNT_KEY_VALUE, key);
    return key;
  }
  EnvelopeKey key;
  key.id = ids_.other(kTagKey);
  key.time = time;
  key.value = value;
  auto pos = std::upper_bound(env->keys.begin(), env->keys.end(), time,
                              [](double t, const EnvelopeKey& k) { return t < k.time; });
  env->keys.insert(pos, key);
  queueRefresh();
  fireEnvelopeEvent(id, LWEEVNT_KEY_INSERT, key.id);
  return key.id;
}

void Host::destroyKey(LWEnvelopeID id, LWEnvKeyID key) {
  OperationScope scope(*this);
  Envelope* env = envelope(id);
  if (env == nullptr || keyIter(*env, key) == env->keys.end()) return;
  // The key is still there while the callback reads it.
  fireEnvelopeEvent(id, LWEEVNT_KEY_DELETE, key);
  env = envelope(id);
  if (env == nullptr) return;
  auto it = keyIter(*env, key);
  if (it != env->keys.end()) env->keys.erase(it);
  queueRefresh();
}

bool Host::setKeyField(LWEnvelopeID id, LWEnvKeyID key, int32_t tag, double value) {
  OperationScope scope(*this);
  Envelope* env = envelope(id);
  if (env == nullptr) return false;
  auto it = keyIter(*env, key);
  if (it == env->keys.end()) return false;
  switch (tag) {
    case LWKEY_VALUE:
      it->value = value;
      queueRefresh();
      fireEnvelopeEvent(id, LWEEVNT_KEY_VALUE, key);
      return true;
    case LWKEY_TIME: {
      if (!std::isfinite(value)) return false;
      for (const EnvelopeKey& other : env->keys) {
        if (other.id != key && std::fabs(other.time - value) <= kKeyTimeEpsilon) return false;
      }
      EnvelopeKey moved = *it;
      moved.time = value;
      env->keys.erase(it);
      auto pos = std::upper_bound(env->keys.begin(), env->keys.end(), value,
                                  [](double t, const EnvelopeKey& k) { return t < k.time; });
      env->keys.insert(pos, moved);
      queueRefresh();
      fireEnvelopeEvent(id, LWEEVNT_KEY_TIME, key);
      return true;
    }
    case LWKEY_SHAPE: it->shape = value; return true;
    case LWKEY_TENSION: it->tension = value; return true;
    case LWKEY_CONTINUITY: it->continuity = value; return true;
    case LWKEY_BIAS: it->bias = value; return true;
    default: return false;
  }
}

std::optional<double> Host::keyField(LWEnvelopeID id, LWEnvKeyID key, int32_t tag) const {
  const Envelope* env = envelope(id);
  if (env == nullptr) return std::nullopt;
  auto it = std::find_if(env->keys.begin(), env->keys.end(), [key](const EnvelopeKey& k) { return k.id == key; });
  if (it == env->keys.end()) return std::nullopt;
  switch (tag) {
    case LWKEY_VALUE: return it->value;
    case LWKEY_TIME: return it->time;
    case LWKEY_SHAPE: return it->shape;
    case LWKEY_TENSION: return it->tension;
    case LWKEY_CONTINUITY: return it->continuity;
    case LWKEY_BIAS: return it->bias;
    default: return std::nullopt;
  }
}

LWEnvKeyID Host::findKey(LWEnvelopeID id, double time) const {
  const Envelope* env = envelope(id);
  if (env == nullptr) return 0;
  for (const EnvelopeKey& k : env->keys) {
    if (std::fabs(k.time - time) <= kKeyTimeEpsilon) return k.id;
  }
  return 0;
}

namespace {

const EnvelopeKey* userKeyAt(const Envelope& env, double time) {
  for (const EnvelopeKey& k : env.keys) {
    if (std::fabs(k.time - time) <= kUserKeyTimeEpsilon) return &k;
  }
  return nullptr;
}

}  // namespace

bool Host::userDeleteKey(LWEnvelopeID id, double time) {
  OperationScope scope(*this);
  const Envelope* env = envelope(id);
  if (env == nullptr) return false;
  const EnvelopeKey* key = userKeyAt(*env, time);
  if (key == nullptr) return false;
  undoStack_.push_back(DeletedKey{id, *key});
  destroyKey(id, key->id);
  return true;
}

bool Host::userUndo() {
  OperationScope scope(*this);
  while (!undoStack_.empty()) {
    const DeletedKey deleted = undoStack_.back();
    undoStack_.pop_back();
    Envelope* env = envelope(deleted.envelope);
    if (env == nullptr) continue;
    if (findKey(deleted.envelope, deleted.key.time) != 0) continue;  // the slot was refilled meanwhile
    // The key comes back as it was (time, value, shape) under a fresh
    // identifier, so plug-ins recognise it by its value, as in the host
    // program.
    EnvelopeKey key = deleted.key;
    key.id = ids_.other(kTagKey);
    auto pos = std::upper_bound(env->keys.begin(), env->keys.end(), key.time,
                                [](double t, const EnvelopeKey& k) { return t < k.time; });
    env->keys.insert(pos, key);
    queueRefresh();
    fireEnvelopeEvent(deleted.envelope, LWEEVNT_KEY_INSERT, key.id);
    return true;
  }
  return false;
}

bool Host::userCopyKey(LWEnvelopeID id, double from, double to) {
  OperationScope scope(*this);
  const Envelope* env = envelope(id);
  if (env == nullptr || !std::isfinite(to)) return false;
  const EnvelopeKey* source = userKeyAt(*env, from);
  if (source == nullptr) return false;
  if (std::fabs(source->time - to) <= kUserKeyTimeEpsilon) return false;
  EnvelopeKey copy = *source;
  if (const EnvelopeKey* there = userKeyAt(*env, to)) destroyKey(id, there->id);
  env = envelope(id);
  if (env == nullptr) return false;
  copy.id = ids_.other(kTagKey);
  copy.time = to;
  Envelope* target = envelope(id);
  auto pos = std::upper_bound(target->keys.begin(), target->keys.end(), to,
                              [](double t, const EnvelopeKey& k) { return t < k.time; });
  target->keys.insert(pos, copy);
  queueRefresh();
  fireEnvelopeEvent(id, LWEEVNT_KEY_INSERT, copy.id);
  return true;
}

}  // namespace cwhost
