// The activation checks of every server family, against the reference
// host's global function: wrong versions, each required service withheld,
// optional services, and what the caches keep.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "host_fixture.h"
#include "module/activation.h"
#include "module/server_table.h"

namespace {

using AcquireFunc = int32_t (*)(int32_t, LWGlobalFunc*, const void*);

struct FamilyCase {
  const char* label;
  AcquireFunc acquire;
  int32_t accepted;
  std::vector<const char*> required;
  std::vector<const char*> optional;
};

// Required services per activation (the tool's info services are those of
// the host's default build, 3211).
std::vector<FamilyCase> familyCases() {
  return {
      {"lattice handler", acquireLatticeHandlerServices, 5,
       {"LW Item Info 5", "Scene Objects 6", "Channel Info 2", "Animation Envelopes", "Instance Update",
        "LW Communication Ring", "LW Command Interface"},
       {"LW Viewport Info 4"}},
      {"lattice interface", acquireLatticeInterfaceServices, 4,
       {"Scene Objects 6", "Instance Update", "LWXPanel", "LW Command Interface"},
       {}},
      {"lattice add", acquireLatticeAddServices, 2,
       {"LW Interface Info 7", "LW Viewport Info 4", "LW Item Info 5", "LW Camera Info 5", "Channel Info 2",
        "Animation Envelopes", "LW Communication Ring"},
       {}},
      {"deformer handler", acquireDeformerHandlerServices, 5,
       {"LW Communication Ring", "Instance Update"},
       {"Product Info"}},
      {"deformer interface", acquireDeformerInterfaceServices, 4, {"Instance Update", "LWXPanel"}, {}},
      {"edit tool", acquireEditToolServices, 1,
       {"Product Info", "Info Messages 2", "LWPanelServices", "RasterServices", "LW Viewport Info 4",
        "LW Interface Info 7", "LW Scene Info 6", "LW Item Info 9", "LW Object Info 14", "Channel Info 2",
        "Animation Envelopes", "MultiThreading Utilities 2", "LW Command Interface", "LW Communication Ring"},
       {}},
  };
}

// A snapshot of every cache, to see that a failed activation changed
// nothing.
struct CacheSnapshot {
  LatticeServices lattice;
  DeformerServices deformer;
  ToolServices tool;
  const char* itemInfoName;
  const char* objectInfoName;
};

CacheSnapshot snapshot() {
  return {stLatticeServices, stDeformerServices, stToolServices, servName_LWITEMINFO, servName_LWOBJECTINFO};
}

bool sameBytes(const CacheSnapshot& a, const CacheSnapshot& b) {
  return std::memcmp(&a.lattice, &b.lattice, sizeof a.lattice) == 0 &&
         std::memcmp(&a.deformer, &b.deformer, sizeof a.deformer) == 0 &&
         std::memcmp(&a.tool, &b.tool, sizeof a.tool) == 0 && a.itemInfoName == b.itemInfoName &&
         a.objectInfoName == b.objectInfoName;
}

int localRecord = 0;  // any non-null local record will do for the checks

}  // namespace

class ActivationTest : public HostTest {};

TEST_F(ActivationTest, WrongVersionsAreRefusedFirst) {
  for (const FamilyCase& family : familyCases()) {
    // Succeed once so that the caches hold something a failure could spoil.
    ASSERT_EQ(family.acquire(family.accepted, host.globalFunction(), &localRecord), LWAFUNC_OK) << family.label;
    const CacheSnapshot before = snapshot();
    for (int32_t version : {family.accepted - 1, family.accepted + 1, 0, -1, 1000}) {
      EXPECT_EQ(family.acquire(version, host.globalFunction(), &localRecord), LWAFUNC_BADVERSION)
          << family.label << " version " << version;
      // The version decides before anything else: even with no global
      // function and no local record the answer is a bad version.
      EXPECT_EQ(family.acquire(version, nullptr, nullptr), LWAFUNC_BADVERSION) << family.label;
    }
    EXPECT_TRUE(sameBytes(before, snapshot())) << family.label;
  }
}

TEST_F(ActivationTest, EachMissingRequiredServiceGivesBadGlobal) {
  for (const FamilyCase& family : familyCases()) {
    for (const char* service : family.required) {
      resetAll();
      const CacheSnapshot before = snapshot();
      host.withholdService(service);
      EXPECT_EQ(family.acquire(family.accepted, host.globalFunction(), &localRecord), LWAFUNC_BADGLOBAL)
          << family.label << " without " << service;
      EXPECT_TRUE(sameBytes(before, snapshot())) << family.label << " without " << service;
      host.offerService(service);
    }
    EXPECT_EQ(family.acquire(family.accepted, nullptr, &localRecord), LWAFUNC_BADGLOBAL) << family.label;
    EXPECT_EQ(family.acquire(family.accepted, host.globalFunction(), nullptr), LWAFUNC_BADGLOBAL) << family.label;
  }
}

TEST_F(ActivationTest, OptionalServicesMayBeMissing) {
  for (const FamilyCase& family : familyCases()) {
    for (const char* service : family.optional) {
      resetAll();
      host.withholdService(service);
      EXPECT_EQ(family.acquire(family.accepted, host.globalFunction(), &localRecord), LWAFUNC_OK)
          << family.label << " without " << service;
      host.offerService(service);
    }
  }
  // The lattice handler keeps a null viewport service then.
  resetAll();
  host.withholdService("LW Viewport Info 4");
  ASSERT_EQ(acquireLatticeHandlerServices(5, host.globalFunction(), &localRecord), LWAFUNC_OK);
  EXPECT_EQ(stLatticeServices.viewportInfo, nullptr);
  EXPECT_EQ(stLatticeServices.comRing, hostRecord("LW Communication Ring"));
  // A host without "Product Info" is an old host for the deformer.
  host.withholdService("Product Info");
  ASSERT_EQ(acquireDeformerHandlerServices(5, host.globalFunction(), &localRecord), LWAFUNC_OK);
  EXPECT_EQ(stDeformerServices.buildNumber, 0u);
}

TEST_F(ActivationTest, SuccessKeepsTheHostsRecordsAndGlobal) {
  ASSERT_EQ(acquireLatticeHandlerServices(5, host.globalFunction(), &localRecord), LWAFUNC_OK);
  const LatticeServices& l = stLatticeServices;
  EXPECT_EQ(l.global, host.globalFunction());
  EXPECT_EQ(l.itemInfo, hostRecord("LW Item Info 5"));
  EXPECT_EQ(l.sceneObjects, hostRecord("Scene Objects 6"));
  EXPECT_EQ(l.channelInfo, hostRecord("Channel Info 2"));
  EXPECT_EQ(l.envelopeFuncs, hostRecord("Animation Envelopes"));
  EXPECT_EQ(l.instUpdate, hostRecord("Instance Update"));
  EXPECT_EQ(l.comRing, hostRecord("LW Communication Ring"));
  EXPECT_EQ(l.commandFuncs, hostRecord("LW Command Interface"));
  EXPECT_EQ(l.viewportInfo, hostRecord("LW Viewport Info 4"));
  // Services of the other activations of the family are not fetched here.
  EXPECT_EQ(l.xpanelFuncs, nullptr);
  EXPECT_EQ(l.cameraInfo, nullptr);

  // The panel and the command add theirs to the same set.
  ASSERT_EQ(acquireLatticeInterfaceServices(4, host.globalFunction(), &localRecord), LWAFUNC_OK);
  ASSERT_EQ(acquireLatticeAddServices(2, host.globalFunction(), &localRecord), LWAFUNC_OK);
  EXPECT_EQ(l.xpanelFuncs, hostRecord("LWXPanel"));
  EXPECT_EQ(l.cameraInfo, hostRecord("LW Camera Info 5"));
  EXPECT_EQ(l.interfaceInfo, hostRecord("LW Interface Info 7"));
  EXPECT_EQ(l.itemInfo, hostRecord("LW Item Info 5"));

  // Families keep separate sets.
  EXPECT_EQ(stDeformerServices.global, nullptr);
  EXPECT_EQ(stToolServices.global, nullptr);
  ASSERT_EQ(acquireDeformerInterfaceServices(4, host.globalFunction(), &localRecord), LWAFUNC_OK);
  EXPECT_EQ(stDeformerServices.global, host.globalFunction());
  EXPECT_EQ(stDeformerServices.xpanelFuncs, hostRecord("LWXPanel"));
  EXPECT_EQ(stDeformerServices.comRing, nullptr);
}

TEST_F(ActivationTest, RefetchKeepsRecordsTheHostNoLongerOffers) {
  EXPECT_EQ(refetchLatticeServices(), 0);  // nothing kept yet
  EXPECT_EQ(refetchDeformerServices(), 0);
  EXPECT_EQ(refetchToolServices(), 0);
  EXPECT_EQ(stLatticeServices.comRing, nullptr);

  ASSERT_EQ(acquireLatticeHandlerServices(5, host.globalFunction(), &localRecord), LWAFUNC_OK);
  ASSERT_EQ(acquireDeformerHandlerServices(5, host.globalFunction(), &localRecord), LWAFUNC_OK);
  ASSERT_EQ(acquireEditToolServices(1, host.globalFunction(), &localRecord), LWAFUNC_OK);
  host.withholdService("LW Communication Ring");
  EXPECT_EQ(refetchLatticeServices(), 1);
  EXPECT_EQ(refetchDeformerServices(), 1);
  EXPECT_EQ(refetchToolServices(), 1);
  EXPECT_EQ(stLatticeServices.comRing, hostRecord("LW Communication Ring"));
  EXPECT_EQ(stDeformerServices.comRing, hostRecord("LW Communication Ring"));
  EXPECT_EQ(stToolServices.comRing, hostRecord("LW Communication Ring"));
  // Refetching fills what the family's later activations will use.
  EXPECT_EQ(stLatticeServices.cameraInfo, hostRecord("LW Camera Info 5"));
}

TEST_F(ActivationTest, ToolPicksItsInfoServicesByBuild) {
  host.setBuildNumber(3210);
  // An old host needs no newer services.
  host.withholdService("LW Item Info 9");
  host.withholdService("LW Object Info 14");
  ASSERT_EQ(acquireEditToolServices(1, host.globalFunction(), &localRecord), LWAFUNC_OK);
  EXPECT_STREQ(servName_LWITEMINFO, "LW Item Info 5");
  EXPECT_STREQ(servName_LWOBJECTINFO, "LW Object Info 7");
  EXPECT_EQ(stToolServices.itemInfo, hostRecord("LW Item Info 5"));
  EXPECT_EQ(stToolServices.objectInfo, hostRecord("LW Object Info 7"));
  EXPECT_EQ(stToolServices.buildNumber, 3210u);

  // From 3211 on the newer ones are required, and a refusal leaves the old
  // names and build in place.
  host.setBuildNumber(3211);
  EXPECT_EQ(acquireEditToolServices(1, host.globalFunction(), &localRecord), LWAFUNC_BADGLOBAL);
  EXPECT_STREQ(servName_LWITEMINFO, "LW Item Info 5");
  EXPECT_EQ(stToolServices.buildNumber, 3210u);
  host.offerService("LW Item Info 9");
  host.offerService("LW Object Info 14");
  host.withholdService("LW Item Info 5");
  host.withholdService("LW Object Info 7");
  ASSERT_EQ(acquireEditToolServices(1, host.globalFunction(), &localRecord), LWAFUNC_OK);
  EXPECT_STREQ(servName_LWITEMINFO, "LW Item Info 9");
  EXPECT_STREQ(servName_LWOBJECTINFO, "LW Object Info 14");
  EXPECT_EQ(stToolServices.itemInfo, hostRecord("LW Item Info 9"));
  EXPECT_EQ(stToolServices.buildNumber, 3211u);

  // The deformer reads the build at its activation too.
  ASSERT_EQ(acquireDeformerHandlerServices(5, host.globalFunction(), &localRecord), LWAFUNC_OK);
  EXPECT_EQ(stDeformerServices.buildNumber, 3211u);
  host.setBuildNumber(3210);
  ASSERT_EQ(acquireDeformerHandlerServices(5, host.globalFunction(), &localRecord), LWAFUNC_OK);
  EXPECT_EQ(stDeformerServices.buildNumber, 3210u);

  resetToolServices();
  EXPECT_STREQ(servName_LWITEMINFO, "LW Item Info 5");
  EXPECT_EQ(stToolServices.global, nullptr);
}

TEST_F(ActivationTest, GenericChecksInOrder) {
  EXPECT_EQ(checkActivation(3, 3, host.globalFunction(), &localRecord), LWAFUNC_OK);
  EXPECT_EQ(checkActivation(2, 3, nullptr, nullptr), LWAFUNC_BADVERSION);
  EXPECT_EQ(checkActivation(3, 3, nullptr, &localRecord), LWAFUNC_BADGLOBAL);
  EXPECT_EQ(checkActivation(3, 3, host.globalFunction(), nullptr), LWAFUNC_BADGLOBAL);

  ServiceFetch fetch = {host.globalFunction(), 0};
  const LWComRing* ringRecord = nullptr;
  const LWCameraInfo* camera = reinterpret_cast<const LWCameraInfo*>(&localRecord);
  host.withholdService("LW Camera Info 5");
  fetchInto(&fetch, LWCOMRING_GLOBAL, &ringRecord, SERVICE_REQUIRED);
  fetchInto(&fetch, LWCAMERAINFO_GLOBAL, &camera, SERVICE_OPTIONAL);
  EXPECT_EQ(ringRecord, hostRecord("LW Communication Ring"));
  EXPECT_EQ(camera, nullptr);  // a missing service clears the slot
  EXPECT_EQ(serviceFetchResult(&fetch), LWAFUNC_OK);
  fetchInto(&fetch, LWCAMERAINFO_GLOBAL, &camera, SERVICE_REQUIRED);
  fetchInto(&fetch, "No Such Service", &camera, SERVICE_REQUIRED);
  EXPECT_EQ(fetch.missingRequired, 2);
  EXPECT_EQ(serviceFetchResult(&fetch), LWAFUNC_BADGLOBAL);

  ServiceFetch noHost = {nullptr, 0};
  EXPECT_EQ(fetchService(&noHost, LWCOMRING_GLOBAL, SERVICE_OPTIONAL), nullptr);
  EXPECT_EQ(serviceFetchResult(&noHost), LWAFUNC_BADGLOBAL);
}
