// The plug-in's host access layer (module/host_access) against the
// reference host, and with every service missing.
#include <gtest/gtest.h>

#include <string>

#include "host/host.h"
#include "module/host_access.h"

using cwhost::Host;
using cwhost::ItemKind;

namespace {

class HostAccessTest : public ::testing::Test {
 protected:
  template <class T>
  const T* fetch(const char* name) {
    return getHostServiceAs<T>(host.globalFunction(), name);
  }
  Host host;
};

int32_t stHeard = 0;
void hear(void*, void*, int32_t code, void* data) {
  stHeard = code;
  if (data != nullptr) *static_cast<int32_t*>(data) = 1;
}

}  // namespace

TEST_F(HostAccessTest, FetchingCopesWithAbsence) {
  EXPECT_NE(fetch<LWItemInfo>(LWITEMINFO_GLOBAL), nullptr);
  host.withholdService(LWITEMINFO_GLOBAL);
  EXPECT_EQ(fetch<LWItemInfo>(LWITEMINFO_GLOBAL), nullptr);
  EXPECT_EQ(getHostService(nullptr, LWITEMINFO_GLOBAL), nullptr);
  EXPECT_EQ(getHostService(host.globalFunction(), nullptr), nullptr);
  EXPECT_EQ(getHostService(host.globalFunction(), "No Such Service"), nullptr);
}

TEST_F(HostAccessTest, PlacementReadsWorldFrameAtATime) {
  const LWItemID parent = host.addItem(ItemKind::Null, "P");
  const LWItemID child = host.addItem(ItemKind::Null, "C");
  host.setParent(child, parent);
  host.placeItem(parent, {1, 2, 3}, {0, 0, 0}, {3, 3, 3});
  host.setPlacementKey(child, cwhost::kPositionX, 0.0, 0.0);
  host.setPlacementKey(child, cwhost::kPositionX, 2.0, 2.0);
  ItemPlacement at{};
  ASSERT_EQ(getItemPlacementAtTime(fetch<LWItemInfo>(LWITEMINFO_GLOBAL), child, 1.0, &at), 1);
  EXPECT_DOUBLE_EQ(at.position[0], 1 + 3 * 1.0);  // the parent's scale applies to the offset
  EXPECT_DOUBLE_EQ(at.position[1], 2);
  EXPECT_DOUBLE_EQ(at.right[0], 1);  // axes stay unit
  EXPECT_DOUBLE_EQ(at.forward[2], 1);

  ItemPlacement none{};
  none.position[0] = 99;
  EXPECT_EQ(getItemPlacementAtTime(nullptr, child, 1.0, &none), 0);
  EXPECT_EQ(none.position[0], 0.0);
  EXPECT_EQ(none.up[1], 1.0);
  EXPECT_EQ(getItemPlacementAtTime(fetch<LWItemInfo>(LWITEMINFO_GLOBAL), 0, 1.0, &none), 0);
  EXPECT_EQ(getItemPlacementAtTime(fetch<LWItemInfo>(LWITEMINFO_GLOBAL), child, 1.0, nullptr), 0);
}

TEST_F(HostAccessTest, SelectionAndServers) {
  const LWInterfaceInfo* iface = fetch<LWInterfaceInfo>(LWINTERFACEINFO_GLOBAL);
  EXPECT_EQ(getFirstSelectedItem(iface), 0u);
  const LWItemID a = host.addItem(ItemKind::Null, "A");
  const LWItemID b = host.addItem(ItemKind::Camera, "B");
  host.select({b, a});
  EXPECT_EQ(getFirstSelectedItem(iface), b);
  EXPECT_EQ(getFirstSelectedItem(nullptr), 0u);
  const LWItemInfo* info = fetch<LWItemInfo>(LWITEMINFO_GLOBAL);
  EXPECT_EQ(findServerIndexOnItem(info, b, LWCLASS_CAMERA_HANDLER, "Perspective"), 1);
  EXPECT_EQ(findServerIndexOnItem(info, b, LWCLASS_CAMERA_HANDLER, "Orthographic"), 0);
  EXPECT_EQ(findServerIndexOnItem(nullptr, b, LWCLASS_CAMERA_HANDLER, "Perspective"), 0);
}

TEST_F(HostAccessTest, ChannelsAndKeys) {
  const LWItemID item = host.addItem(ItemKind::Null, "N");
  const LWChannelInfo* chan = fetch<LWChannelInfo>(LWCHANNELINFO_GLOBAL);
  const LWEnvelopeFuncs* env = fetch<LWEnvelopeFuncs>(LWENVELOPEFUNCS_GLOBAL);
  const LWChanGroupID group = fetch<LWItemInfo>(LWITEMINFO_GLOBAL)->chanGroup(item);
  EXPECT_NE(findChannelInGroup(chan, group, "Position.Y"), 0u);
  EXPECT_EQ(findChannelInGroup(chan, group, "Lattice"), 0u);
  const LWEnvelopeID lattice = env->create(group, "Lattice", LWET_PERCENT);
  env->create(group, "Lattice", LWET_PERCENT);  // a second of the same name: the first is found
  EXPECT_EQ(findEnvelopeInGroup(chan, group, "Lattice"), lattice);
  EXPECT_EQ(findEnvelopeInGroup(nullptr, group, "Lattice"), 0u);

  EXPECT_EQ(getFirstEnvelopeKey(env, lattice), 0u);
  const LWEnvKeyID k1 = createEnvelopeKey(env, lattice, 1.0, 1.5);
  const LWEnvKeyID k0 = createEnvelopeKey(env, lattice, 0.0, 1.25);
  EXPECT_EQ(getFirstEnvelopeKey(env, lattice), k0);
  EXPECT_EQ(getNextEnvelopeKey(env, lattice, k0), k1);
  EXPECT_EQ(getNextEnvelopeKey(env, lattice, k1), 0u);
  double t = -1, v = -1;
  EXPECT_EQ(getEnvelopeKeyTime(env, lattice, k1, &t), 1);
  EXPECT_EQ(t, 1.0);
  EXPECT_EQ(setEnvelopeKeyValue(env, lattice, k1, 2.5), 1);
  EXPECT_EQ(getEnvelopeKeyValue(env, lattice, k1, &v), 1);
  EXPECT_EQ(v, 2.5);
  deleteEnvelopeKey(env, lattice, k0);
  v = -7;
  EXPECT_EQ(getEnvelopeKeyValue(env, lattice, k0, &v), 0);  // gone: untouched
  EXPECT_EQ(v, -7);
  EXPECT_EQ(getEnvelopeKeyValue(nullptr, lattice, k1, &v), 0);
  EXPECT_EQ(createEnvelopeKey(nullptr, lattice, 3.0, 1.0), 0u);
  EXPECT_EQ(setEnvelopeKeyValue(env, 0, k1, 1.0), 0);
}

TEST_F(HostAccessTest, RingWrappers) {
  const LWComRing* ring = fetch<LWComRing>(LWCOMRING_GLOBAL);
  int client = 0;
  EXPECT_EQ(attachToRing(ring, "T", &client, hear), 1);
  int32_t reply = 0;
  sendRingMessage(ring, "T", 12, &reply);
  EXPECT_EQ(stHeard, 12);
  EXPECT_EQ(reply, 1);
  detachFromRing(ring, "T", &client);
  reply = 0;
  sendRingMessage(ring, "T", 13, &reply);
  EXPECT_EQ(reply, 0);
  // No ring: nothing happens and the payload keeps its preset.
  EXPECT_EQ(attachToRing(nullptr, "T", &client, hear), 0);
  sendRingMessage(nullptr, "T", 14, &reply);
  detachFromRing(nullptr, "T", &client);
  EXPECT_EQ(reply, 0);
}

TEST_F(HostAccessTest, CommandsAreFormattedAndRefusedWhenTooLong) {
  const LWCommandFuncs* commands = fetch<LWCommandFuncs>(LWCOMMANDINTERFACE_GLOBAL);
  EXPECT_EQ(issueCommandFormat(commands, "AddNull %s", "_Box Lattice"), 1);
  const LWItemID added = host.selection().at(0);
  EXPECT_EQ(issueCommandFormat(commands, "SelectItem %x", static_cast<unsigned>(added)), 1);
  EXPECT_EQ(issueCommand(commands, "NoSuchCommand"), 0);
  const std::string huge(HOST_COMMAND_SIZE, 'x');
  const size_t before = host.commands().size();
  EXPECT_EQ(issueCommandFormat(commands, "AddNull %s", huge.c_str()), 0);
  EXPECT_EQ(host.commands().size(), before);  // a cut line never runs
  EXPECT_EQ(issueCommand(nullptr, "RefreshNow"), 0);

  // The same through a generic's evaluator.
  LWLayoutGeneric generic{[](void* data, const char* line) -> int32_t {
                            return static_cast<Host*>(data)->command(line) ? 1 : 0;
                          },
                          &host};
  EXPECT_EQ(issueGenericCommandFormat(&generic, "GoToFrame %.20f", 15.0), 1);
  EXPECT_DOUBLE_EQ(host.currentTime(), 0.5);
  EXPECT_EQ(issueGenericCommandFormat(nullptr, "RefreshNow"), 0);
}

TEST_F(HostAccessTest, InstanceUpdatesReachTheHost) {
  int instance = 0;
  notifyInstanceChanged(fetch<LWInstUpdate>(LWINSTUPDATE_GLOBAL), LWCLASS_DISPLACEMENT_HANDLER, &instance);
  ASSERT_EQ(host.updates().size(), 1u);
  EXPECT_EQ(host.updates()[0].className, LWCLASS_DISPLACEMENT_HANDLER);
  EXPECT_EQ(host.updates()[0].instance, &instance);
  notifyInstanceChanged(nullptr, LWCLASS_DISPLACEMENT_HANDLER, &instance);
  EXPECT_EQ(host.updates().size(), 1u);
}
