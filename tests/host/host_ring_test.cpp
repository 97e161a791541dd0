// The communication ring: delivery order, synchrony, and clients leaving or
// joining while a message is delivered.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host_fixture.h"

namespace {

struct Client {
  const char* name;
  std::vector<std::string>* trace;
  const LWComRing* ring;
  Client* victim = nullptr;   // detached by this client when it hears code 2
  Client* newcomer = nullptr; // attached by this client when it hears code 3
};

void listen(void* clientData, void*, int32_t code, void* data) {
  auto* c = static_cast<Client*>(clientData);
  c->trace->push_back(std::string(c->name) + ":" + std::to_string(code));
  if (data != nullptr) ++*static_cast<int32_t*>(data);  // the reply is there when send returns
  if (code == 2 && c->victim != nullptr) c->ring->detach("T", c->victim);
  if (code == 2 && c->victim == c) c->victim = nullptr;
  if (code == 3 && c->newcomer != nullptr) c->ring->attach("T", c->newcomer, listen);
  if (code == 4) c->ring->send("U", 40, nullptr);  // nested delivery
}

class RingTest : public HostTest {
 protected:
  const LWComRing* ring() { return service<LWComRing>(LWCOMRING_GLOBAL); }
  std::vector<std::string> trace;
};

}  // namespace

TEST_F(RingTest, DeliversSynchronouslyInAttachOrder) {
  Client a{"a", &trace, ring()}, b{"b", &trace, ring()}, c{"c", &trace, ring()};
  ASSERT_EQ(ring()->attach("T", &b, listen), 1);
  ring()->attach("T", &a, listen);
  ring()->attach("Other", &c, listen);
  int32_t replies = 0;
  ring()->send("T", 7, &replies);
  EXPECT_EQ(replies, 2);
  EXPECT_EQ(trace, (std::vector<std::string>{"b:7", "a:7"}));
  ring()->send("Nobody", 1, &replies);  // no clients: the payload is untouched
  EXPECT_EQ(replies, 2);
  EXPECT_EQ(ring()->attach(nullptr, &a, listen), 0);
  EXPECT_EQ(ring()->attach("T", &a, nullptr), 0);
}

TEST_F(RingTest, ClientsMayDetachDuringDelivery) {
  Client a{"a", &trace, ring()}, b{"b", &trace, ring()}, c{"c", &trace, ring()};
  ring()->attach("T", &a, listen);
  ring()->attach("T", &b, listen);
  ring()->attach("T", &c, listen);
  a.victim = &b;  // a removes b before b's turn: b is skipped
  c.victim = &c;  // c removes itself during its own turn
  ring()->send("T", 2, nullptr);
  EXPECT_EQ(trace, (std::vector<std::string>{"a:2", "c:2"}));
  EXPECT_EQ(host.ringClientCount("T"), 1u);
  trace.clear();
  ring()->send("T", 5, nullptr);
  EXPECT_EQ(trace, std::vector<std::string>{"a:5"});
}

TEST_F(RingTest, ClientsAttachedDuringDeliveryWaitForTheNextMessage) {
  Client a{"a", &trace, ring()}, n{"n", &trace, ring()};
  a.newcomer = &n;
  ring()->attach("T", &a, listen);
  ring()->send("T", 3, nullptr);
  EXPECT_EQ(trace, std::vector<std::string>{"a:3"});
  trace.clear();
  a.newcomer = nullptr;
  ring()->send("T", 5, nullptr);
  EXPECT_EQ(trace, (std::vector<std::string>{"a:5", "n:5"}));
}

TEST_F(RingTest, NestedSendsCompleteBeforeTheOuterOneGoesOn) {
  Client a{"a", &trace, ring()}, b{"b", &trace, ring()}, u{"u", &trace, ring()};
  ring()->attach("T", &a, listen);
  ring()->attach("T", &b, listen);
  ring()->attach("U", &u, listen);
  ring()->send("T", 4, nullptr);
  EXPECT_EQ(trace, (std::vector<std::string>{"a:4", "u:40", "b:4", "u:40"}));
}

TEST_F(RingTest, DetachTakesTheFirstEntryOfThatClientOnly) {
  Client a{"a", &trace, ring()};
  ring()->attach("T", &a, listen);
  ring()->attach("T", &a, listen);
  ring()->detach("T", &a);
  ring()->detach("Unknown", &a);
  ring()->send("T", 1, nullptr);
  EXPECT_EQ(trace, std::vector<std::string>{"a:1"});
}

TEST_F(RingTest, PluginInstancesTalkThroughTheRing) {
  const LWItemID n1 = host.addItem(cwhost::ItemKind::Null, "A");
  const LWItemID n2 = host.addItem(cwhost::ItemKind::Null, "B");
  host.applyServer(n1, LWCLASS_CUSTOMOBJ_HANDLER, "Test_Custom");
  host.applyServer(n2, LWCLASS_CUSTOMOBJ_HANDLER, "Test_Custom");
  LWItemID list[4] = {0, 0, 0, 0};
  host.ringSend("TEST_RING", 3, list);
  EXPECT_EQ(list[0], n1);
  EXPECT_EQ(list[1], n2);
  // Code 2 makes every instance count and then detach itself mid-delivery.
  int32_t count = 0;
  host.ringSend("TEST_RING", 2, &count);
  EXPECT_EQ(count, 2);
  EXPECT_EQ(host.ringClientCount("TEST_RING"), 0u);
}
