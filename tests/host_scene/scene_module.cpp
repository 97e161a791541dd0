// A small plug-in module for the scene-file tests.  It includes sdk/ alone
// and reports its callbacks through "Info Messages 2" as info("SM", what).
//
//   CustomObjHandler "Scene_Echo": its block is a type string (letters f i
//     u s r x) followed by one value per letter; it saves back exactly what
//     it loaded, grouping runs of one kind into one write call.  'r' is a
//     U4 item identifier it keeps up to date through change-ID and lists in
//     use-items; 'x' makes the load refuse the block.  On create it makes an
//     envelope "Echo" (or "Echo(2)" ... when taken) in its item's group; on
//     load it puts one key there, at time 0, valued the number of values read.
//   DisplacementHandler "Scene_Weight": block = map name (Str), amount (FP);
//     moves every point +Y by amount * (1 + time) * its weight in that map
//     (1 without the map; a point with no value in the map stays).  World
//     coordinates.
//   DisplacementHandler "Scene_Fail": creation fails.
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "sdk/lwsdk.h"

#if defined(_WIN32)
#define SM_EXPORT __declspec(dllexport)
#define SM_PRINTF __attribute__((format(gnu_printf, 1, 2)))
#else
#define SM_EXPORT __attribute__((visibility("default")))
#define SM_PRINTF __attribute__((format(printf, 1, 2)))
#endif

namespace {

LWGlobalFunc* stGlobal = nullptr;

template <class T>
const T* service(const char* name) {
  return stGlobal != nullptr ? static_cast<const T*>(stGlobal(name, LWGF_TRANSIENT)) : nullptr;
}

void say(const char* format, ...) SM_PRINTF;
void say(const char* format, ...) {
  char text[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  if (const LWMessageFuncs* msg = service<LWMessageFuncs>(LWMESSAGEFUNCS_GLOBAL)) msg->info("SM", text);
}

// ---------------------------------------------------------------- echo

constexpr int kMaxValues = 256;  // letters in a type string (the string read limit)
constexpr int kMaxText = 1024;   // bytes kept of a string value

struct EchoValue {
  float f;
  int32_t i;
  uint32_t u;
  char s[kMaxText];
};

struct Echo {
  LWItemID item;
  LWItemID used[3];
  LWEnvelopeID envelope;
  char types[kMaxValues];
  int count;  // values read
  EchoValue values[kMaxValues];
};

bool hasChannel(const LWChannelInfo* chan, LWChanGroupID group, const char* name) {
  for (LWChannelID c = chan->nextChannel(group, 0); c != 0; c = chan->nextChannel(group, c)) {
    const char* channelName = chan->channelName(c);
    if (channelName != nullptr && std::strcmp(channelName, name) == 0) return true;
  }
  return false;
}

LWInstance echoCreate(void*, LWItemID item, LWError* error) {
  auto* self = static_cast<Echo*>(std::calloc(1, sizeof(Echo)));
  if (self == nullptr) {
    *error = "Couldn't allocate instance data.";
    return nullptr;
  }
  self->item = item;
  const LWItemInfo* info = service<LWItemInfo>(LWITEMINFO_GLOBAL);
  const LWChannelInfo* chan = service<LWChannelInfo>(LWCHANNELINFO_GLOBAL);
  const LWEnvelopeFuncs* env = service<LWEnvelopeFuncs>(LWENVELOPEFUNCS_GLOBAL);
  if (info != nullptr && chan != nullptr && env != nullptr) {
    const LWChanGroupID group = info->chanGroup(item);
    char name[32] = "Echo";
    for (int n = 2; hasChannel(chan, group, name) && n < 100; ++n) std::snprintf(name, sizeof name, "Echo(%d)", n);
    self->envelope = env->create(group, name, LWET_NUMBER);
  }
  say("create %s", info != nullptr ? info->name(item) : "?");
  return self;
}

void echoDestroy(LWInstance inst) {
  auto* self = static_cast<Echo*>(inst);
  if (const LWEnvelopeFuncs* env = service<LWEnvelopeFuncs>(LWENVELOPEFUNCS_GLOBAL))
    if (self->envelope != 0) env->destroy(self->envelope);
  say("destroy");
  std::free(self);
}

LWError echoLoad(LWInstance inst, const LWLoadState* state) {
  auto* self = static_cast<Echo*>(inst);
  self->count = 0;
  if (state->readStr(state->readData, self->types, kMaxValues) == 0) {
    say("load empty");
    return nullptr;
  }
  const int letters = static_cast<int>(std::strlen(self->types));
  for (int n = 0; n < letters; ++n) {
    EchoValue& v = self->values[n];
    int32_t got = 0;
    switch (self->types[n]) {
      case 'f':
        got = state->readFP(state->readData, &v.f, 1);
        break;
      case 'i':
        got = state->readI4(state->readData, &v.i, 1);
        break;
      case 'u':
      case 'r':
        got = state->readU4(state->readData, &v.u, 1);
        break;
      case 's':
        got = state->readStr(state->readData, v.s, kMaxText);
        break;
      case 'x':
        return "Echo refuses this block.";
      default:
        break;
    }
    if (got == 0) {
      // A block that ends early ends the reading; what was read stays.
      say("load short %d of %d", n, letters);
      self->types[n] = '\0';
      break;
    }
    if (self->types[n] == 'r') self->used[0] = v.u;
    ++self->count;
  }
  int32_t extra = 0;
  const int32_t more = state->readI4(state->readData, &extra, 1);
  say("load %d values, next read %d", self->count, more);
  if (const LWEnvelopeFuncs* env = service<LWEnvelopeFuncs>(LWENVELOPEFUNCS_GLOBAL))
    if (self->envelope != 0) env->createKey(self->envelope, 0.0, self->count);
  return nullptr;
}

LWError echoSave(LWInstance inst, const LWSaveState* state) {
  auto* self = static_cast<Echo*>(inst);
  state->writeStr(state->writeData, self->types);
  int n = 0;
  while (n < self->count) {
    // One write call per run of one kind.
    const char kind = self->types[n] == 'r' ? 'u' : self->types[n];
    int end = n;
    while (end < self->count && (self->types[end] == 'r' ? 'u' : self->types[end]) == kind && kind != 's') ++end;
    if (kind == 's') end = n + 1;
    float f[kMaxValues];
    int32_t i[kMaxValues];
    uint32_t u[kMaxValues];
    for (int k = n; k < end; ++k) {
      f[k - n] = self->values[k].f;
      i[k - n] = self->values[k].i;
      u[k - n] = self->values[k].u;
    }
    switch (kind) {
      case 'f':
        state->writeFP(state->writeData, f, end - n);
        break;
      case 'i':
        state->writeI4(state->writeData, i, end - n);
        break;
      case 'u':
        state->writeU4(state->writeData, u, end - n);
        break;
      case 's':
        state->writeStr(state->writeData, self->values[n].s);
        break;
      default:
        break;
    }
    n = end;
  }
  say("save %d values", self->count);
  return nullptr;
}

const char* echoDescribe(LWInstance) { return "Scene Echo"; }

const LWItemID* echoUseItems(LWInstance inst) {
  auto* self = static_cast<Echo*>(inst);
  self->used[1] = 0;
  // Refresh the reference from the values: the first 'r' is the item used.
  self->used[0] = 0;
  for (int n = 0; n < self->count; ++n) {
    if (self->types[n] == 'r') {
      self->used[0] = self->values[n].u;
      break;
    }
  }
  return self->used;
}

void echoChangeID(LWInstance inst, const LWItemID* pairs) {
  auto* self = static_cast<Echo*>(inst);
  for (; pairs[0] != 0; pairs += 2) {
    if (pairs[0] == self->item) {
      say("changeID item %llx->%llx", static_cast<unsigned long long>(pairs[0]),
          static_cast<unsigned long long>(pairs[1]));
      self->item = pairs[1];
    }
    for (int n = 0; n < self->count; ++n) {
      if (self->types[n] == 'r' && self->values[n].u == pairs[0]) {
        say("changeID ref %llx->%llx", static_cast<unsigned long long>(pairs[0]),
            static_cast<unsigned long long>(pairs[1]));
        self->values[n].u = static_cast<uint32_t>(pairs[1]);
      }
    }
  }
}

LWError echoNewTime(LWInstance, LWFrame frame, LWTime time) {
  say("newtime %d %g", frame, time);
  return nullptr;
}

void echoEvaluate(LWInstance, const LWCustomObjAccess*) {}
uint32_t echoFlags(LWInstance) { return 0; }

int32_t activateEcho(int32_t version, LWGlobalFunc* global, void* local, void*) {
  if (version != LWCUSTOMOBJ_HANDLER_VERSION) return LWAFUNC_BADVERSION;
  stGlobal = global;
  auto* handler = static_cast<LWCustomObjHandler*>(local);
  *handler->inst = LWInstanceFuncs{echoCreate, echoDestroy, echoLoad, echoSave, nullptr, echoDescribe};
  if (handler->item != nullptr) *handler->item = LWItemFuncs{echoUseItems, echoChangeID};
  if (handler->rend != nullptr) *handler->rend = LWRenderFuncs{nullptr, nullptr, echoNewTime};
  handler->evaluate = echoEvaluate;
  handler->flags = echoFlags;
  return LWAFUNC_OK;
}

// ---------------------------------------------------------------- weight

struct Weight {
  char map[256];
  float amount;
  double time;
};

LWInstance weightCreate(void*, LWItemID, LWError* error) {
  auto* self = static_cast<Weight*>(std::calloc(1, sizeof(Weight)));
  if (self == nullptr) *error = "Couldn't allocate instance data.";
  return self;
}
void weightDestroy(LWInstance inst) { std::free(inst); }

LWError weightLoad(LWInstance inst, const LWLoadState* state) {
  auto* self = static_cast<Weight*>(inst);
  state->readStr(state->readData, self->map, static_cast<int32_t>(sizeof self->map));
  state->readFP(state->readData, &self->amount, 1);
  return nullptr;
}

LWError weightSave(LWInstance inst, const LWSaveState* state) {
  auto* self = static_cast<Weight*>(inst);
  state->writeStr(state->writeData, self->map);
  state->writeFP(state->writeData, &self->amount, 1);
  return nullptr;
}

LWError weightNewTime(LWInstance inst, LWFrame, LWTime time) {
  static_cast<Weight*>(inst)->time = time;
  return nullptr;
}

void weightEvaluate(LWInstance inst, LWDisplacementAccess* access) {
  auto* self = static_cast<Weight*>(inst);
  double weight = 1.0;
  if (self->map[0] != '\0' && access->info != nullptr) {
    const LWVMapID map = access->info->pntVLookup(access->info, LWVMAP_WGHT, self->map);
    if (map != 0) {
      float value = 0;
      if (access->info->pntVIDGet(access->info, access->point, map, &value) == 0) return;
      weight = value;
    }
  }
  access->source[1] += static_cast<double>(self->amount) * (1.0 + self->time) * weight;
}

uint32_t weightFlags(LWInstance) { return LWDMF_WORLD; }

LWInstance failCreate(void*, LWItemID, LWError* error) {
  *error = "Couldn't allocate instance data.";
  return nullptr;
}

int32_t activateDisplacement(int32_t version, LWGlobalFunc* global, void* local,
                             LWInstance (*create)(void*, LWItemID, LWError*)) {
  if (version != LWDISPLACEMENT_HANDLER_VERSION) return LWAFUNC_BADVERSION;
  stGlobal = global;
  auto* handler = static_cast<LWDisplacementHandler*>(local);
  *handler->inst = LWInstanceFuncs{create, weightDestroy, weightLoad, weightSave, nullptr, nullptr};
  if (handler->rend != nullptr) *handler->rend = LWRenderFuncs{nullptr, nullptr, weightNewTime};
  handler->evaluate = weightEvaluate;
  handler->flags = weightFlags;
  return LWAFUNC_OK;
}

int32_t activateWeight(int32_t version, LWGlobalFunc* global, void* local, void*) {
  return activateDisplacement(version, global, local, weightCreate);
}
int32_t activateFail(int32_t version, LWGlobalFunc* global, void* local, void*) {
  return activateDisplacement(version, global, local, failCreate);
}

const LWServerRecord kServers[] = {{LWCLASS_CUSTOMOBJ_HANDLER, "Scene_Echo", activateEcho, nullptr},
                                   {LWCLASS_DISPLACEMENT_HANDLER, "Scene_Weight", activateWeight, nullptr},
                                   {LWCLASS_DISPLACEMENT_HANDLER, "Scene_Fail", activateFail, nullptr},
                                   {nullptr, nullptr, nullptr, nullptr}};

void* startup() { return &stGlobal; }
void shutdown(void*) {}

}  // namespace

extern "C" {
SM_EXPORT LWModuleDescriptor _mod_descrip = {LWMODULE_SYNC, LWMODULE_VERSION, 0, startup, shutdown, kServers};
}
