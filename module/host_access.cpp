#include "module/host_access.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

// Lengths below this count as zero, as everywhere in the plug-in.
constexpr double kZeroLength = 1e-7;

void setIdentityPlacement(ItemPlacement* out) {
  *out = ItemPlacement{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
}

void normalizeAxis(double v[3]) {
  const double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  for (int i = 0; i < 3; ++i) v[i] = length < kZeroLength ? 0.0 : v[i] / length;
}

int formatLine(char* line, const char* format, va_list args) CAGEWARP_PRINTF(2, 0);

// 1 when the whole line fitted, else 0 (a cut command must never run).
int formatLine(char* line, const char* format, va_list args) {
  if (format == nullptr) return 0;
  const int written = std::vsnprintf(line, HOST_COMMAND_SIZE, format, args);
  return written >= 0 && written < HOST_COMMAND_SIZE ? 1 : 0;
}

}  // namespace

void* getHostService(LWGlobalFunc* global, const char* name) {
  if (global == nullptr || name == nullptr) return nullptr;
  return global(name, LWGF_TRANSIENT);
}

int getItemPlacementAtTime(const LWItemInfo* info, LWItemID item, double time, ItemPlacement* out) {
  if (out == nullptr) return 0;
  setIdentityPlacement(out);
  if (info == nullptr || info->param == nullptr || item == 0) return 0;
  info->param(item, LWIP_W_POSITION, time, out->position);
  info->param(item, LWIP_RIGHT, time, out->right);
  info->param(item, LWIP_UP, time, out->up);
  info->param(item, LWIP_FORWARD, time, out->forward);
  normalizeAxis(out->right);
  normalizeAxis(out->up);
  normalizeAxis(out->forward);
  return 1;
}

LWItemID getFirstSelectedItem(const LWInterfaceInfo* iface) {
  if (iface == nullptr || iface->selItems == nullptr) return 0;
  const LWItemID* selected = iface->selItems();
  return selected != nullptr ? selected[0] : 0;
}

int32_t findServerIndexOnItem(const LWItemInfo* info, LWItemID item, const char* className,
                              const char* serverName) {
  if (info == nullptr || info->server == nullptr || item == 0 || className == nullptr ||
      serverName == nullptr)
    return 0;
  for (int32_t index = 1;; ++index) {
    const char* name = info->server(item, className, index);
    if (name == nullptr) return 0;
    if (std::strcmp(name, serverName) == 0) return index;
  }
}

LWChannelID findChannelInGroup(const LWChannelInfo* chan, LWChanGroupID group, const char* name) {
  if (chan == nullptr || chan->nextChannel == nullptr || chan->channelName == nullptr || group == 0 ||
      name == nullptr)
    return 0;
  for (LWChannelID channel = chan->nextChannel(group, 0); channel != 0;
       channel = chan->nextChannel(group, channel)) {
    const char* channelName = chan->channelName(channel);
    if (channelName != nullptr && std::strcmp(channelName, name) == 0) return channel;
  }
  return 0;
}

LWEnvelopeID findEnvelopeInGroup(const LWChannelInfo* chan, LWChanGroupID group, const char* name) {
  const LWChannelID channel = findChannelInGroup(chan, group, name);
  if (channel == 0 || chan->channelEnvelope == nullptr) return 0;
  return chan->channelEnvelope(channel);
}

LWEnvKeyID getFirstEnvelopeKey(const LWEnvelopeFuncs* env, LWEnvelopeID envelope) {
  return getNextEnvelopeKey(env, envelope, 0);
}

LWEnvKeyID getNextEnvelopeKey(const LWEnvelopeFuncs* env, LWEnvelopeID envelope, LWEnvKeyID key) {
  if (env == nullptr || env->nextKey == nullptr || envelope == 0) return 0;
  return env->nextKey(envelope, key);
}

static int getKeyField(const LWEnvelopeFuncs* env, LWEnvelopeID envelope, LWEnvKeyID key, int32_t tag,
                       double* out) {
  if (env == nullptr || env->keyGet == nullptr || envelope == 0 || key == 0 || out == nullptr) return 0;
  double value = 0.0;
  if (env->keyGet(envelope, key, tag, &value) == 0) return 0;
  *out = value;
  return 1;
}

int getEnvelopeKeyTime(const LWEnvelopeFuncs* env, LWEnvelopeID envelope, LWEnvKeyID key, double* out) {
  return getKeyField(env, envelope, key, LWKEY_TIME, out);
}

int getEnvelopeKeyValue(const LWEnvelopeFuncs* env, LWEnvelopeID envelope, LWEnvKeyID key, double* out) {
  return getKeyField(env, envelope, key, LWKEY_VALUE, out);
}

int setEnvelopeKeyValue(const LWEnvelopeFuncs* env, LWEnvelopeID envelope, LWEnvKeyID key, double value) {
  if (env == nullptr || env->keySet == nullptr || envelope == 0 || key == 0) return 0;
  return env->keySet(envelope, key, LWKEY_VALUE, value) != 0 ? 1 : 0;
}

LWEnvKeyID createEnvelopeKey(const LWEnvelopeFuncs* env, LWEnvelopeID envelope, double time, double value) {
  if (env == nullptr || env->createKey == nullptr || envelope == 0) return 0;
  return env->createKey(envelope, time, value);
}

void deleteEnvelopeKey(const LWEnvelopeFuncs* env, LWEnvelopeID envelope, LWEnvKeyID key) {
  if (env == nullptr || env->destroyKey == nullptr || envelope == 0 || key == 0) return;
  env->destroyKey(envelope, key);
}

int attachToRing(const LWComRing* ring, const char* topic, void* client, LWComRingEventFunc* callback) {
  if (ring == nullptr || ring->attach == nullptr || topic == nullptr || callback == nullptr) return 0;
  return ring->attach(topic, client, callback) != 0 ? 1 : 0;
}

void detachFromRing(const LWComRing* ring, const char* topic, void* client) {
  if (ring == nullptr || ring->detach == nullptr || topic == nullptr) return;
  ring->detach(topic, client);
}

void sendRingMessage(const LWComRing* ring, const char* topic, int32_t code, void* data) {
  if (ring == nullptr || ring->send == nullptr || topic == nullptr) return;
  ring->send(topic, code, data);
}

int issueCommand(const LWCommandFuncs* commands, const char* line) {
  if (commands == nullptr || commands->evaluate == nullptr || line == nullptr) return 0;
  return commands->evaluate(line) != 0 ? 1 : 0;
}

int issueCommandFormat(const LWCommandFuncs* commands, const char* format, ...) {
  char line[HOST_COMMAND_SIZE];
  va_list args;
  va_start(args, format);
  const int fitted = formatLine(line, format, args);
  va_end(args);
  return fitted != 0 ? issueCommand(commands, line) : 0;
}

int issueGenericCommandFormat(const LWLayoutGeneric* generic, const char* format, ...) {
  if (generic == nullptr || generic->evaluate == nullptr) return 0;
  char line[HOST_COMMAND_SIZE];
  va_list args;
  va_start(args, format);
  const int fitted = formatLine(line, format, args);
  va_end(args);
  if (fitted == 0) return 0;
  return generic->evaluate(generic->data, line) != 0 ? 1 : 0;
}

void notifyInstanceChanged(const LWInstUpdate* update, const char* className, LWInstance instance) {
  if (update == nullptr || update->update == nullptr || className == nullptr) return;
  update->update(className, instance);
}
