// The reference host's own maths, which every end-to-end test stands on,
// checked where a mistake cannot hide: interpolation away from midpoints,
// world placement under rotation with non-uniform scale through a parent
// chain, and the defaults of channels, all as a plug-in reads them.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "host_fixture.h"

using cwhost::ItemKind;
using cwhost::Vec3;

namespace {

constexpr double kPi = std::numbers::pi;

class MathsTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    info = service<LWItemInfo>(LWITEMINFO_GLOBAL);
    env = service<LWEnvelopeFuncs>(LWENVELOPEFUNCS_GLOBAL);
    chan = service<LWChannelInfo>(LWCHANNELINFO_GLOBAL);
  }

  Vec3 param(LWItemID id, int32_t which, double time) {
    double out[3] = {7, 7, 7};
    info->param(id, which, time, out);
    return Vec3{out[0], out[1], out[2]};
  }

  const LWItemInfo* info = nullptr;
  const LWEnvelopeFuncs* env = nullptr;
  const LWChannelInfo* chan = nullptr;
};

void expectNear(const Vec3& a, const Vec3& b, double tolerance = 1e-12) {
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(a[i], b[i], tolerance) << "component " << i;
}

// 3 x 3 matrices as rows, written from the conventions the host documents
// (heading turns +Z towards +X, pitch +Z towards -Y, bank +X towards +Y;
// local = translate . Ry(h) Rx(p) Rz(b) . scale), independently of the
// host's code.
using Matrix = std::array<Vec3, 3>;

Matrix multiply(const Matrix& a, const Matrix& b) {
  Matrix r{};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      for (int k = 0; k < 3; ++k) r[i][j] += a[i][k] * b[k][j];
  return r;
}

Vec3 apply(const Matrix& m, const Vec3& v) {
  return Vec3{m[0][0] * v[0] + m[0][1] * v[1] + m[0][2] * v[2], m[1][0] * v[0] + m[1][1] * v[1] + m[1][2] * v[2],
              m[2][0] * v[0] + m[2][1] * v[1] + m[2][2] * v[2]};
}

Matrix linearPart(const Vec3& hpb, const Vec3& scale) {
  const double h = hpb[0], p = hpb[1], b = hpb[2];
  const Matrix heading{Vec3{std::cos(h), 0, std::sin(h)}, Vec3{0, 1, 0}, Vec3{-std::sin(h), 0, std::cos(h)}};
  const Matrix pitch{Vec3{1, 0, 0}, Vec3{0, std::cos(p), -std::sin(p)}, Vec3{0, std::sin(p), std::cos(p)}};
  const Matrix bank{Vec3{std::cos(b), -std::sin(b), 0}, Vec3{std::sin(b), std::cos(b), 0}, Vec3{0, 0, 1}};
  const Matrix s{Vec3{scale[0], 0, 0}, Vec3{0, scale[1], 0}, Vec3{0, 0, scale[2]}};
  return multiply(multiply(multiply(heading, pitch), bank), s);
}

Vec3 unit(const Vec3& v) {
  const double l = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  return Vec3{v[0] / l, v[1] / l, v[2] / l};
}

TEST_F(MathsTest, KeysInterpolateFromTheEarlierKeyTowardsTheLaterOne) {
  const LWItemID null = host.addItem(ItemKind::Null, "N");
  const LWEnvelopeID e = env->create(info->chanGroup(null), "Curve", LWET_NUMBER);
  // Unequal spans and values, keys made out of order: samples a quarter
  // and nine tenths of the way tell the direction of every span.
  env->createKey(e, 3.0, -2.0);
  env->createKey(e, 0.0, 0.0);
  env->createKey(e, 1.0, 10.0);
  EXPECT_DOUBLE_EQ(env->evaluate(e, 0.25), 2.5);
  EXPECT_DOUBLE_EQ(env->evaluate(e, 1.5), 7.0);
  EXPECT_DOUBLE_EQ(env->evaluate(e, 2.5), 1.0);
  EXPECT_DOUBLE_EQ(env->evaluate(e, 1.0), 10.0);
  // Outside the keys the nearest key's value holds.
  EXPECT_DOUBLE_EQ(env->evaluate(e, -5.0), 0.0);
  EXPECT_DOUBLE_EQ(env->evaluate(e, 1e6), -2.0);
  // A placement channel the same way, seen as the item's position.
  host.setPlacementKey(null, cwhost::kPositionY, 2.0, 8.0);
  EXPECT_DOUBLE_EQ(param(null, LWIP_POSITION, 0.5)[1], 2.0);
  EXPECT_DOUBLE_EQ(param(null, LWIP_POSITION, 1.5)[1], 6.0);
  // Through the channel as well as through its envelope.
  const LWChannelID channel = host.findChannel(info->chanGroup(null), "Curve");
  EXPECT_DOUBLE_EQ(chan->channelEvaluate(channel, 0.75), 7.5);
}

TEST_F(MathsTest, ChannelsStartAtTheirDefaults) {
  const LWItemID null = host.addItem(ItemKind::Null, "N");
  const LWChanGroupID group = info->chanGroup(null);
  const int32_t types[] = {LWET_DISTANCE, LWET_DISTANCE, LWET_DISTANCE, LWET_ANGLE, LWET_ANGLE,
                           LWET_ANGLE,    LWET_NUMBER,   LWET_NUMBER,   LWET_NUMBER};
  for (int c = 0; c < cwhost::kPlacementChannelCount; ++c) {
    SCOPED_TRACE(cwhost::kPlacementChannelNames[c]);
    const double natural = c >= cwhost::kScaleX ? 1.0 : 0.0;
    const LWChannelID channel = host.findChannel(group, cwhost::kPlacementChannelNames[c]);
    ASSERT_NE(channel, 0u);
    EXPECT_EQ(chan->channelType(channel), types[c]);
    // One key at time 0 holding the natural value, and that value without
    // keys too.
    const LWEnvelopeID e = chan->channelEnvelope(channel);
    const LWEnvKeyID key = env->nextKey(e, 0);
    ASSERT_NE(key, 0u);
    EXPECT_EQ(env->nextKey(e, key), 0u);
    double time = -1, value = -1;
    env->keyGet(e, key, LWKEY_TIME, &time);
    env->keyGet(e, key, LWKEY_VALUE, &value);
    EXPECT_EQ(time, 0.0);
    EXPECT_EQ(value, natural);
    env->destroyKey(e, key);
    EXPECT_EQ(env->evaluate(e, 4.0), natural);
  }
  expectNear(param(null, LWIP_SCALING, 1.0), {1, 1, 1});
  expectNear(param(null, LWIP_W_POSITION, 1.0), {0, 0, 0});
  // A plug-in's own envelope starts empty at 0.
  const LWEnvelopeID made = env->create(group, "Made", LWET_PERCENT);
  EXPECT_EQ(env->nextKey(made, 0), 0u);
  EXPECT_EQ(env->evaluate(made, 2.0), 0.0);
}

TEST_F(MathsTest, WorldPlacementRotatesAndScalesInOrderUpTheChain) {
  const LWItemID parent = host.addItem(ItemKind::Null, "Parent");
  const LWItemID child = host.addItem(ItemKind::Null, "Child");
  const LWItemID tip = host.addItem(ItemKind::Null, "Tip");
  ASSERT_TRUE(host.setParent(child, parent));
  ASSERT_TRUE(host.setParent(tip, child));

  // Right angles first, worked by hand: the parent turned 90 degrees in
  // heading and stretched (2, 1, 3); the child 1, 1, 1 from it, banked 90
  // degrees and stretched 4 along its own Y; the tip 1 along the child's X.
  host.placeItem(parent, {1, 2, 3}, {kPi / 2, 0, 0}, {2, 1, 3});
  host.placeItem(child, {1, 1, 1}, {0, 0, kPi / 2}, {1, 4, 1});
  host.placeItem(tip, {1, 0, 0});
  // (1, 1, 1) stretched is (2, 1, 3); turned, (3, 1, -2); moved, (4, 3, 1).
  expectNear(param(child, LWIP_W_POSITION, 0), {4, 3, 1});
  // The child's X banks to +Y, which the parent leaves as +Y.
  expectNear(param(tip, LWIP_W_POSITION, 0), {4, 4, 1});
  expectNear(param(child, LWIP_RIGHT, 0), {0, 1, 0});
  // Its Y banks to -X, stretches to -8 X, then turns to +Z.
  expectNear(param(child, LWIP_UP, 0), {0, 0, 1});
  expectNear(param(child, LWIP_FORWARD, 0), {1, 0, 0});

  // Angles that are not right: a non-uniform scale under a rotation
  // shears the child's frame; the world placement must still be the
  // product of the local ones, parent outermost.
  const Vec3 parentAngles{0.4, -0.3, 0.2}, parentScale{2, 0.5, 1.5}, parentPos{1, -2, 0.5};
  const Vec3 childAngles{-0.7, 0.25, 1.1}, childScale{0.75, 3, 1.25}, childPos{0.5, 0.25, -1};
  const Vec3 tipPos{0.3, -0.6, 0.9};
  host.placeItem(parent, parentPos, parentAngles, parentScale);
  host.placeItem(child, childPos, childAngles, childScale);
  host.placeItem(tip, tipPos);
  const Matrix p = linearPart(parentAngles, parentScale);
  const Matrix c = linearPart(childAngles, childScale);
  const Matrix world = multiply(p, c);
  auto plus = [](const Vec3& a, const Vec3& b) { return Vec3{a[0] + b[0], a[1] + b[1], a[2] + b[2]}; };
  const Vec3 childWorld = plus(parentPos, apply(p, childPos));
  expectNear(param(child, LWIP_W_POSITION, 0), childWorld);
  expectNear(param(tip, LWIP_W_POSITION, 0), plus(childWorld, apply(world, tipPos)));
  expectNear(param(child, LWIP_RIGHT, 0), unit(Vec3{world[0][0], world[1][0], world[2][0]}));
  expectNear(param(child, LWIP_UP, 0), unit(Vec3{world[0][1], world[1][1], world[2][1]}));
  expectNear(param(child, LWIP_FORWARD, 0), unit(Vec3{world[0][2], world[1][2], world[2][2]}));
  // The local values read back as set.
  expectNear(param(child, LWIP_POSITION, 0), childPos);
  expectNear(param(child, LWIP_ROTATION, 0), childAngles);
  expectNear(param(child, LWIP_SCALING, 0), childScale);
}

}  // namespace
