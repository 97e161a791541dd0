// What the Deformers answer on their ring topic.

#include <cstring>

#include "deformer_fixture.h"
#include "module/ring.h"

namespace {

class DeformerRing : public DeformerHost {
 protected:
  void SetUp() override {
    DeformerHost::SetUp();
    objectA = addObject({{0, 0, 0}}, {}, "A");
    objectB = addObject({{0, 0, 0}}, {}, "B");
    keyA = applyDeformer(objectA);
    keyB = applyDeformer(objectB);
    setGroup(keyA, "legs_#(3)");
    setGroup(keyB, "arms");
  }

  RingQuery send(int32_t code, RingQuery query) {
    host.ringSend(RING_TOPIC_DEFORMER, code, &query);
    return query;
  }

  static RingQuery query(const char* name = "", LWItemID item = 0, int32_t value = 0) {
    RingQuery q;
    std::memset(&q, 0, sizeof q);
    snprintf(q.name, sizeof q.name, "%s", name);
    q.item = item;
    q.value = value;
    return q;
  }

  LWItemID objectA = 0, objectB = 0;
  uint64_t keyA = 0, keyB = 0;
};

TEST_F(DeformerRing, CountsFindsAndCollects) {
  EXPECT_EQ(send(DEFORMER_EVENT_COUNT, query()).count, 2);
  EXPECT_EQ(send(DEFORMER_EVENT_FIND_ITEM, query("", objectB)).found, deformer(keyB));
  EXPECT_EQ(send(DEFORMER_EVENT_FIND_ITEM, query("", 12345)).found, nullptr);

  DeformerInstance* list[2] = {nullptr, nullptr};
  RingQuery all = query();
  all.list = list;
  all.limit = 1;  // room for one only: the second must not be written
  all = send(DEFORMER_EVENT_COLLECT, all);
  EXPECT_EQ(all.count, 1);
  EXPECT_EQ(list[0], deformer(keyA));
  EXPECT_EQ(list[1], nullptr);

  RingQuery group = query("arms");
  group.list = list;
  group.limit = 2;
  group = send(DEFORMER_EVENT_COLLECT_GROUP, group);
  EXPECT_EQ(group.count, 1);
  EXPECT_EQ(list[0], deformer(keyB));
}

TEST_F(DeformerRing, FindForApplyTellsWhetherARenameIsNeeded) {
  RingQuery same = send(DEFORMER_EVENT_FIND_FOR_APPLY, query("arms", objectB, 1));
  EXPECT_EQ(same.found, deformer(keyB));
  EXPECT_EQ(same.value, 0);
  RingQuery other = send(DEFORMER_EVENT_FIND_FOR_APPLY, query("feet", objectB, 1));
  EXPECT_EQ(other.found, deformer(keyB));
  EXPECT_EQ(other.value, 1);
  // A value of 0 asks for nothing.
  EXPECT_EQ(send(DEFORMER_EVENT_FIND_FOR_APPLY, query("arms", objectB, 0)).found, nullptr);
}

TEST_F(DeformerRing, HighestIndexOfABase) {
  EXPECT_EQ(send(DEFORMER_EVENT_HIGHEST_INDEX, query("legs", 0, 1)).value, 3);
  EXPECT_EQ(send(DEFORMER_EVENT_HIGHEST_INDEX, query("legs", 0, 5)).value, 5);
  EXPECT_EQ(send(DEFORMER_EVENT_HIGHEST_INDEX, query("arms", 0, 0)).value, 0);
}

TEST_F(DeformerRing, IgnoresUnknownCodesAndMissingRecords) {
  RingQuery q = send(4, query("arms", objectB, 9));
  EXPECT_EQ(q.count, 0);
  EXPECT_EQ(q.found, nullptr);
  EXPECT_EQ(q.value, 9);
  for (int32_t code : {0, 1, 2, 3, 5, 20, 10}) host.ringSend(RING_TOPIC_DEFORMER, code, nullptr);
  EXPECT_STREQ(deformer(keyA)->groupName, "legs_#(3)");
}

}  // namespace
