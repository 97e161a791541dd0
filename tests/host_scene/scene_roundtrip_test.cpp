// Scenes through the host and back: byte-for-byte round trips, blocks bit
// for bit, the order of the load, plug-in envelopes, identifiers kept or
// changed, short and long blocks, and loads undone when a server refuses.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "host/files/scene_file.h"
#include "scene_fixture.h"

using namespace cwhost;

namespace {

uint32_t bitsOf(float f) {
  uint32_t u = 0;
  std::memcpy(&u, &f, sizeof u);
  return u;
}

// Loads a scene into a host of its own and saves it; "" when either fails.
std::string loadAndSave(const std::string& scene, const std::string& out) {
  Host host;
  std::string error;
  EXPECT_GE(host.loadModule(CAGEWARP_SCENE_MODULE, &error), 0) << error;
  EXPECT_TRUE(loadScene(host, scene, nullptr, &error)) << error;
  EXPECT_TRUE(saveScene(host, out, &error)) << error;
  return readFile(out);
}

const Channel* channelNamed(const Host& host, LWItemID item, const std::string& name) {
  const Scene& scene = host.scene();
  const ChannelGroup& group = scene.groups.at(host.item(item)->group);
  for (LWChannelID id : group.channels)
    if (scene.channels.at(id).name == name) return &scene.channels.at(id);
  return nullptr;
}

size_t channelsNamedLike(const Host& host, LWItemID item, const std::string& prefix) {
  const Scene& scene = host.scene();
  size_t n = 0;
  for (LWChannelID id : scene.groups.at(host.item(item)->group).channels)
    n += scene.channels.at(id).name.rfind(prefix, 0) == 0 ? 1 : 0;
  return n;
}

// A scene of a null carrying an echo block, with the values given.
std::string echoScene(const std::string& blockLines) {
  return "cagewarp-scene 1\n"
         "item null 10000001 \"Null\"\n"
         "  server CustomObjHandler \"Scene_Echo\"\n" +
         blockLines +
         "  end\n"
         "end\n";
}

}  // namespace

TEST_F(SceneTest, DemoSceneRoundTripsByteForByte) {
  const std::string original = readFile(dataPath("demo.cws"));
  ASSERT_FALSE(original.empty());
  std::string error;
  ASSERT_TRUE(loadScene(host, dataPath("demo.cws"), nullptr, &error)) << error;
  EXPECT_EQ(sceneAsText(CAGEWARP_SCENE_DATA), original);
}

TEST(SceneRoundTrip, SaveLoadSaveGivesTheSameBytesInAnotherFolder) {
  const std::filesystem::path dir = scratchFolder();
  std::filesystem::create_directories(dir / "a");
  const std::string first = loadAndSave(dataPath("demo.cws"), (dir / "a" / "first.cws").string());
  // Mesh paths now lead from the new folder back to the data folder (when
  // both are on one drive; across drives there is only the absolute path).
  const std::filesystem::path data = std::filesystem::absolute(CAGEWARP_SCENE_DATA);
  if (std::filesystem::absolute(dir).root_name() == data.root_name()) {
    EXPECT_NE(first.find("mesh \"../"), std::string::npos);
  } else {
    EXPECT_NE(first.find("mesh \"" + data.root_name().generic_string()), std::string::npos) << first;
  }
  const std::string second = loadAndSave((dir / "a" / "first.cws").string(), (dir / "a" / "second.cws").string());
  EXPECT_EQ(first, second);
  EXPECT_FALSE(first.empty());
}

TEST_F(SceneTest, BlocksComeBackBitForBit) {
  std::string error;
  ASSERT_TRUE(loadScene(host, dataPath("demo.cws"), nullptr, &error)) << error;
  const std::vector<uint64_t> echoes = host.itemInstances(0x10000001, LWCLASS_CUSTOMOBJ_HANDLER);
  ASSERT_EQ(echoes.size(), 1u);
  const Block block = host.saveInstance(echoes[0]);
  ASSERT_EQ(block.size(), 10u);
  EXPECT_EQ(block[0], BlockValue::makeStr("ffiiursss"));
  ASSERT_EQ(block[1].kind, BlockValue::Kind::FP);
  EXPECT_EQ(bitsOf(block[1].fp), 0x4001EB85u);
  EXPECT_EQ(bitsOf(block[2].fp), 0xE0AD78ECu);
  EXPECT_EQ(block[3], BlockValue::makeI4(-1));
  EXPECT_EQ(block[4], BlockValue::makeI4(7));
  EXPECT_EQ(block[5], BlockValue::makeU4(0xFFFFFFFFu));
  EXPECT_EQ(block[6], BlockValue::makeU4(0x30000001u));
  EXPECT_EQ(block[7], BlockValue::makeStr("name"));
  EXPECT_EQ(block[8], BlockValue::makeStr(""));
  EXPECT_EQ(block[9], BlockValue::makeStr("tab\there \"quoted\" caf\xC3\xA9"));
  // One write call, one line.
  const std::string text = sceneAsText(CAGEWARP_SCENE_DATA);
  EXPECT_NE(text.find("    f 2.03 -1e+20\n    i -1 7\n    u 0xFFFFFFFF 0x30000001\n"), std::string::npos) << text;
}

TEST_F(SceneTest, ItemsKeepTheirIdentifiersAndSettingsLoad) {
  SceneLoadResult result;
  std::string error;
  ASSERT_TRUE(loadScene(host, dataPath("demo.cws"), &result, &error)) << error;
  EXPECT_EQ(result.items, (std::vector<LWItemID>{0x30000001, 0x10000001, 0x10000002}));
  EXPECT_TRUE(result.changedIds.empty());
  const Scene& scene = host.scene();
  EXPECT_EQ(scene.order, result.items);
  EXPECT_EQ(host.item(0x10000001)->parent, 0x30000001u);
  EXPECT_EQ(host.item(0x30000001)->kind, ItemKind::Camera);
  EXPECT_EQ(host.item(0x30000001)->camera.width, 320);
  EXPECT_EQ(host.item(0x10000002)->mesh->points.size(), 4u);
  EXPECT_EQ(scene.time.framesPerSecond, 24.0);
  EXPECT_EQ(scene.time.previewEnd, 3);
  ASSERT_EQ(scene.viewports.size(), 2u);
  EXPECT_EQ(scene.viewports[1].type, LWVIEW_CAMERA);
  EXPECT_EQ(scene.viewports[1].viewItem, 0x30000001u);
  EXPECT_EQ(scene.selection, (std::vector<LWItemID>{0x10000001}));
  // The camera's placement came through its channels.
  const Vec3 cam = host.itemParam(0x30000001, LWIP_W_POSITION, 0.0);
  EXPECT_EQ(cam, (Vec3{0, 1, -5}));
}

TEST_F(SceneTest, AChannelOfTheFileReplacesTheKeysANewItemComesWith) {
  ASSERT_EQ(loadText("cagewarp-scene 1\nitem null 10000001 \"N\"\n  channel \"Position.Y\"\n    key 1 5\n  end\n"
                     "  channel \"Scale.Z\"\n  end\nend\n"),
            "");
  const Envelope* y = host.envelope(host.placementEnvelope(0x10000001, kPositionY));
  ASSERT_EQ(y->keys.size(), 1u);
  EXPECT_EQ(y->keys[0].time, 1.0);
  EXPECT_EQ(host.itemParam(0x10000001, LWIP_POSITION, 0.0), (Vec3{0, 5, 0}));
  EXPECT_TRUE(host.envelope(host.placementEnvelope(0x10000001, kScaleZ))->keys.empty());
  // Channels left out keep the key at time 0 a new item gets.
  EXPECT_EQ(host.envelope(host.placementEnvelope(0x10000001, kPositionX))->keys.size(), 1u);
  // Saved, only the channel that differs from a new item's is written.
  const std::string text = sceneAsText(dir.string());
  EXPECT_NE(text.find("channel \"Position.Y\"\n    key 1 5\n  end\n"), std::string::npos) << text;
  EXPECT_EQ(text.find("Position.X"), std::string::npos) << text;
  EXPECT_EQ(text.find("Scale.Z"), std::string::npos) << text;
}

TEST_F(SceneTest, ServersAreCreatedThenHandedTheirBlockThenTime) {
  std::string error;
  ASSERT_TRUE(loadScene(host, dataPath("demo.cws"), nullptr, &error)) << error;
  const long create = logIndex("create Null");
  const long load = logIndex("load 9 values, next read 0");
  const long newTime = logIndex("newtime 0 0");
  ASSERT_GE(create, 0);
  EXPECT_GT(load, create);
  EXPECT_GT(newTime, load);
}

TEST_F(SceneTest, ServerEnvelopesAreTheServersOwnAndOtherChannelsComeFromTheFile) {
  std::string error;
  ASSERT_TRUE(loadScene(host, dataPath("demo.cws"), nullptr, &error)) << error;
  // The echo made "Echo" itself; the file's copy did not push it to
  // "Echo(2)".
  EXPECT_EQ(channelsNamedLike(host, 0x10000001, "Echo"), 1u);
  const Channel* echo = channelNamed(host, 0x10000001, "Echo");
  ASSERT_NE(echo, nullptr);
  const Envelope* echoEnv = host.envelope(echo->envelope);
  ASSERT_EQ(echoEnv->keys.size(), 1u);
  EXPECT_EQ(echoEnv->keys[0].value, 9.0);
  const Channel* extra = channelNamed(host, 0x10000001, "Extra");
  ASSERT_NE(extra, nullptr);
  EXPECT_EQ(extra->type, LWET_NUMBER);
  const Envelope* extraEnv = host.envelope(extra->envelope);
  EXPECT_EQ(extraEnv->defaultValue, 3.0);
  ASSERT_EQ(extraEnv->keys.size(), 1u);
  EXPECT_EQ(extraEnv->keys[0].time, 0.5);
  EXPECT_EQ(extraEnv->keys[0].value, 7.0);
  const Envelope* x = host.envelope(host.placementEnvelope(0x10000001, kPositionX));
  ASSERT_EQ(x->keys.size(), 2u);
  EXPECT_EQ(x->keys[1].value, 2.5);
  EXPECT_EQ(x->keys[1].tension, 0.5);
}

TEST_F(SceneTest, ANewIdentifierReachesTheLoadedHandlersThroughChangeId) {
  SceneLoadResult first, second;
  std::string error;
  ASSERT_TRUE(loadScene(host, dataPath("demo.cws"), &first, &error)) << error;
  host.clearRecords();
  // The same file again: every identifier is taken, so all are new.
  ASSERT_TRUE(loadScene(host, dataPath("demo.cws"), &second, &error)) << error;
  ASSERT_EQ(second.changedIds.size(), 3u);
  const std::vector<LWItemID> fileIds{0x30000001, 0x10000001, 0x10000002};
  for (const auto& [from, to] : second.changedIds) {
    EXPECT_NE(std::find(fileIds.begin(), fileIds.end(), from), fileIds.end());
    // A new identifier never equals one of the file's: no chains of pairs.
    EXPECT_EQ(std::find(fileIds.begin(), fileIds.end(), to), fileIds.end());
    EXPECT_EQ(to >> 28, from >> 28);
  }
  const LWItemID camera = second.items[0], null = second.items[1];
  EXPECT_EQ(host.item(null)->parent, camera);
  EXPECT_EQ(host.scene().viewports[1].viewItem, camera);
  char changed[64];
  std::snprintf(changed, sizeof changed, "changeID ref 30000001->%llx", static_cast<unsigned long long>(camera));
  EXPECT_TRUE(logged(changed));
  // The new echo saves the new camera; the first one still its own.
  const Block again = host.saveInstance(host.itemInstances(null, LWCLASS_CUSTOMOBJ_HANDLER)[0]);
  EXPECT_EQ(again[6], BlockValue::makeU4(static_cast<uint32_t>(camera)));
  const Block before = host.saveInstance(host.itemInstances(0x10000001, LWCLASS_CUSTOMOBJ_HANDLER)[0]);
  EXPECT_EQ(before[6], BlockValue::makeU4(0x30000001u));
  EXPECT_EQ(host.scene().order.size(), 6u);
}

TEST_F(SceneTest, AnIdentifierOfTheWrongKindIsReplaced) {
  SceneLoadResult result;
  const std::string error = loadText(
      "cagewarp-scene 1\n"
      "item camera 10000009 \"Cam\"\nend\n"
      "item null 10000001 \"Null\"\n"
      "  server CustomObjHandler \"Scene_Echo\"\n    s \"r\"\n    u 0x10000009\n  end\nend\n",
      "scene.cws", &result);
  ASSERT_EQ(error, "");
  ASSERT_EQ(result.changedIds.size(), 1u);
  EXPECT_EQ(result.changedIds[0].first, 0x10000009u);
  EXPECT_EQ(result.changedIds[0].second >> 28, 3u);
  const Block block = host.saveInstance(host.itemInstances(0x10000001, LWCLASS_CUSTOMOBJ_HANDLER)[0]);
  EXPECT_EQ(block[1], BlockValue::makeU4(static_cast<uint32_t>(result.changedIds[0].second)));
}

// Every field of every key, and a channel's type and default, come back
// exactly: values that have no short decimal, negative zero aside from
// zero, and keys that differ in one field only.
TEST_F(SceneTest, EveryKeyFieldAndChannelSettingSurvivesSaveAndLoad) {
  const LWItemID item = host.addItem(ItemKind::Null, "Keys");
  const LWEnvelopeID curve = host.createEnvelope(host.item(item)->group, "Curve", LWET_ANGLE);
  host.envelope(curve)->defaultValue = 0.1 + 0.2;
  const std::vector<EnvelopeKey> keys{
      {0, -1.5, 0.1 + 0.2, 1, -0.5, 0.25, 1e-300},
      {0, 0.0, -0.0, 0, 0, 0, 0},
      {0, 1.0 / 3.0, 1e300, 0, 0, 0, -2},
      {0, 2.5, -7.0, 3, 0, 0, 0},
  };
  for (const EnvelopeKey& k : keys) {
    const LWEnvKeyID id = host.createKey(curve, k.time, k.value);
    host.setKeyField(curve, id, LWKEY_SHAPE, k.shape);
    host.setKeyField(curve, id, LWKEY_TENSION, k.tension);
    host.setKeyField(curve, id, LWKEY_CONTINUITY, k.continuity);
    host.setKeyField(curve, id, LWKEY_BIAS, k.bias);
  }
  // A placement channel with a default of its own and no keys.
  Envelope* scale = host.envelope(host.placementEnvelope(item, kScaleY));
  scale->keys.clear();
  scale->defaultValue = 2.75;
  const std::string saved = sceneAsText(dir.string());

  SceneLoadResult result;
  ASSERT_EQ(loadText(saved, "scene.cws", &result), "");
  const LWItemID loaded = result.items[0];
  const Channel* channel = channelNamed(host, loaded, "Curve");
  ASSERT_NE(channel, nullptr);
  EXPECT_EQ(channel->type, LWET_ANGLE);
  const Envelope* env = host.envelope(channel->envelope);
  EXPECT_EQ(env->defaultValue, 0.1 + 0.2);
  ASSERT_EQ(env->keys.size(), keys.size());
  for (size_t i = 0; i < keys.size(); ++i) {
    SCOPED_TRACE(i);
    const EnvelopeKey& got = env->keys[i];
    EXPECT_EQ(got.time, keys[i].time);
    EXPECT_EQ(std::signbit(got.value), std::signbit(keys[i].value));
    EXPECT_EQ(got.value, keys[i].value);
    EXPECT_EQ(got.shape, keys[i].shape);
    EXPECT_EQ(got.tension, keys[i].tension);
    EXPECT_EQ(got.continuity, keys[i].continuity);
    EXPECT_EQ(got.bias, keys[i].bias);
  }
  const Envelope* scaleBack = host.envelope(host.placementEnvelope(loaded, kScaleY));
  EXPECT_TRUE(scaleBack->keys.empty());
  EXPECT_EQ(scaleBack->defaultValue, 2.75);
  EXPECT_EQ(host.itemParam(loaded, LWIP_SCALING, 0.0)[1], 2.75);
}

// Identifiers with another kind's top digit are renumbered; the numbers
// handed out must not be any identifier of the file, or the (file, new)
// pairs chain and a handler's reference walks on to the wrong item.
TEST_F(SceneTest, RenumberedItemsNeverTakeAnIdentifierOfTheFile) {
  SceneLoadResult result;
  const std::string error = loadText(
      "cagewarp-scene 1\n"
      "item null 10000001 \"Holder\"\n"
      "  server CustomObjHandler \"Scene_Echo\"\n    s \"r\"\n    u 0x30000001\n  end\nend\n"
      "item null 30000001 \"Null with a camera's digit\"\nend\n"
      "item camera 10000002 \"Camera with an object's digit\"\nend\n",
      "scene.cws", &result);
  ASSERT_EQ(error, "");
  const std::vector<LWItemID> fileIds{0x10000001, 0x30000001, 0x10000002};
  ASSERT_EQ(result.changedIds.size(), 2u);
  for (const auto& [from, to] : result.changedIds)
    EXPECT_EQ(std::find(fileIds.begin(), fileIds.end(), to), fileIds.end()) << std::hex << from << " -> " << to;
  // The holder's reference follows its own item, the null, not the camera.
  const LWItemID null = result.items[1];
  EXPECT_EQ(host.item(null)->name, "Null with a camera's digit");
  const Block block = host.saveInstance(host.itemInstances(0x10000001, LWCLASS_CUSTOMOBJ_HANDLER)[0]);
  EXPECT_EQ(block[1], BlockValue::makeU4(static_cast<uint32_t>(null)));
}

// A channel the user made keeps its name and keys through save and load,
// even when a server of the item makes a channel of that name itself (the
// echo, like the Lattice object, takes the first free name).  Older files,
// whose channels carry no "user", load as they always did (the demo scene
// above).
TEST_F(SceneTest, AUsersChannelIsNeverReplacedByAServersChannelOfItsName) {
  const LWItemID item = host.addItem(ItemKind::Null, "Holder");
  const LWEnvelopeID mine = host.createEnvelope(host.item(item)->group, "Echo", LWET_DISTANCE);
  host.createKey(mine, 0.0, 5.0);
  host.createKey(mine, 1.0, 6.0);
  std::string why;
  ASSERT_NE(host.applyServer(item, LWCLASS_CUSTOMOBJ_HANDLER, "Scene_Echo", &why), 0u) << why;
  ASSERT_NE(channelNamed(host, item, "Echo(2)"), nullptr);
  const std::string saved = sceneAsText(dir.string());
  EXPECT_NE(saved.find("channel \"Echo\" type 3 user\n"), std::string::npos) << saved;
  EXPECT_NE(saved.find("channel \"Echo(2)\" type 2\n"), std::string::npos) << saved;

  SceneLoadResult result;
  ASSERT_EQ(loadText(saved, "scene.cws", &result), "");
  const LWItemID loaded = result.items[0];
  const Channel* user = channelNamed(host, loaded, "Echo");
  ASSERT_NE(user, nullptr);
  EXPECT_EQ(user->type, LWET_DISTANCE);
  const Envelope* env = host.envelope(user->envelope);
  ASSERT_EQ(env->keys.size(), 2u);
  EXPECT_EQ(env->keys[1].time, 1.0);
  EXPECT_EQ(env->keys[1].value, 6.0);
  EXPECT_EQ(channelsNamedLike(host, loaded, "Echo"), 2u);
  EXPECT_TRUE(channelNamed(host, loaded, "Echo(2)")->fromPlugin);
  EXPECT_FALSE(user->fromPlugin);
}

TEST_F(SceneTest, ABlockThatEndsEarlyEndsTheReads) {
  ASSERT_EQ(loadText(echoScene("    s \"fis\"\n    f 1.5\n")), "");
  EXPECT_TRUE(logged("load short 1 of 3"));
  EXPECT_TRUE(logged("load 1 values, next read 0"));
  const Block block = host.saveInstance(host.itemInstances(0x10000001, LWCLASS_CUSTOMOBJ_HANDLER)[0]);
  EXPECT_EQ(block, (Block{BlockValue::makeStr("f"), BlockValue::makeFP(1.5f)}));
}

TEST_F(SceneTest, ExtraBlockValuesAreIgnored) {
  ASSERT_EQ(loadText(echoScene("    s \"f\"\n    f 1.5\n    i 5\n    s \"more\"\n")), "");
  EXPECT_TRUE(logged("load 1 values, next read 1"));
  const Block block = host.saveInstance(host.itemInstances(0x10000001, LWCLASS_CUSTOMOBJ_HANDLER)[0]);
  EXPECT_EQ(block, (Block{BlockValue::makeStr("f"), BlockValue::makeFP(1.5f)}));
}

TEST_F(SceneTest, AnEmptyBlockLoads) {
  ASSERT_EQ(loadText(echoScene("")), "");
  EXPECT_TRUE(logged("load empty"));
}

TEST_F(SceneTest, AServerThatRefusesUndoesTheWholeLoad) {
  const LWItemID keep = host.addItem(ItemKind::Null, "Keep");
  host.setFramesPerSecond(30);
  const size_t groups = host.scene().groups.size();
  const size_t viewports = host.scene().viewports.size();
  writeFile(dir / "quad.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
  const std::string scene =
      "cagewarp-scene 1\nfps 12\n"
      "item null 10000001 \"Null\"\n"
      "  server CustomObjHandler \"Scene_Echo\"\n    s \"i\"\n    i 1\n  end\nend\n"
      "item object 10000002 \"Tri\"\n  mesh \"quad.obj\"\n"
      "  server DisplacementHandler \"Scene_Fail\"\n  end\nend\n";
  const std::string error = loadText(scene);
  EXPECT_NE(error.find("scene.cws:11: the DisplacementHandler server \"Scene_Fail\" was not applied"),
            std::string::npos)
      << error;
  EXPECT_NE(error.find("Couldn't allocate instance data."), std::string::npos) << error;
  // The echo made before the failure was destroyed with its item.
  EXPECT_TRUE(logged("create Null"));
  EXPECT_TRUE(logged("destroy"));
  EXPECT_EQ(host.scene().order, std::vector<LWItemID>{keep});
  EXPECT_EQ(host.scene().items.size(), 1u);
  EXPECT_EQ(host.scene().groups.size(), groups);
  EXPECT_EQ(host.scene().viewports.size(), viewports);
  EXPECT_EQ(host.scene().time.framesPerSecond, 30.0);
  EXPECT_TRUE(host.instances().empty());
}

TEST_F(SceneTest, ARefusedBlockUndoesTheWholeLoad) {
  const std::string error = loadText(echoScene("    s \"x\"\n"));
  EXPECT_NE(error.find("scene.cws:3: the CustomObjHandler server \"Scene_Echo\" refused its block: "
                       "Echo refuses this block."),
            std::string::npos)
      << error;
  EXPECT_TRUE(host.scene().items.empty());
  EXPECT_TRUE(host.instances().empty());
}

TEST_F(SceneTest, AServerNoModuleOffersIsRefusedBeforeAnythingIsMade) {
  const std::string error = loadText(
      "cagewarp-scene 1\nitem null 10000001 \"Null\"\n  server CustomObjHandler \"VKS_Nothing\"\n  end\nend\n");
  EXPECT_NE(error.find("scene.cws:3: no loaded module offers the CustomObjHandler server \"VKS_Nothing\""),
            std::string::npos)
      << error;
  EXPECT_TRUE(host.scene().items.empty());
  EXPECT_TRUE(log().empty());
}
