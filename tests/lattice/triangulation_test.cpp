// Triangulation of polygons: every triangle inside the outline, the areas
// adding up to the polygon's, every outline edge in exactly one triangle
// and every inner edge in two.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <map>
#include <utility>
#include <vector>

#include "lattice/triangulation.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

using Point = std::array<double, 3>;
using Polygon = std::vector<Point>;

// Twice the signed area of a polygon given in the X-Y plane.
double signedArea2(const Polygon& p) {
  double sum = 0;
  for (size_t i = 0; i < p.size(); ++i) {
    const Point& a = p[i];
    const Point& b = p[(i + 1) % p.size()];
    sum += a[0] * b[1] - b[0] * a[1];
  }
  return sum;
}

bool insidePolygon(const Polygon& p, double x, double y) {
  bool in = false;
  for (size_t i = 0, j = p.size() - 1; i < p.size(); j = i++) {
    if ((p[i][1] > y) != (p[j][1] > y) &&
        x < (p[j][0] - p[i][0]) * (y - p[i][1]) / (p[j][1] - p[i][1]) + p[i][0])
      in = !in;
  }
  return in;
}

struct Result {
  int ok = 0;
  std::vector<std::array<int32_t, 3>> triangles;
};

// Triangulates in the X-Y plane (the plane the Edit tool would choose for
// a flat polygon there), with the flips.
Result triangulate(TCDTriangulationData* data, const Polygon& polygon) {
  data->axisU[0] = 1, data->axisU[1] = 0, data->axisU[2] = 0;
  data->axisV[0] = 0, data->axisV[1] = 1, data->axisV[2] = 0;
  data->origin[0] = data->origin[1] = data->origin[2] = 0;
  Result r;
  const auto* points = reinterpret_cast<const double(*)[3]>(polygon.data());
  if (!createTCDTriangulationDataForFastPoints(data, points, static_cast<int32_t>(polygon.size()))) return r;
  r.ok = tcTriangulation(data);
  if (r.ok) spinTDCTTrigons(data);
  for (const TCDTriangle* t = data->triangleList; t != nullptr; t = t->next) {
    r.triangles.push_back({t->corners[0]->index, t->corners[1]->index, t->corners[2]->index});
  }
  return r;
}

void expectSoundTriangulation(const Polygon& polygon, const Result& r) {
  const int32_t n = static_cast<int32_t>(polygon.size());
  ASSERT_EQ(r.ok, 1);
  ASSERT_EQ(r.triangles.size(), static_cast<size_t>(n - 2));
  double areaSum = 0;
  std::map<std::pair<int32_t, int32_t>, int> uses;
  for (const auto& t : r.triangles) {
    const Polygon tri = {polygon[t[0]], polygon[t[1]], polygon[t[2]]};
    const double a2 = signedArea2(tri);
    // Every triangle turns the way the polygon does (none folded over)
    // and its centroid lies inside the outline.
    EXPECT_GT(a2 * signedArea2(polygon), 0) << t[0] << " " << t[1] << " " << t[2];
    areaSum += std::fabs(a2);
    const double cx = (tri[0][0] + tri[1][0] + tri[2][0]) / 3, cy = (tri[0][1] + tri[1][1] + tri[2][1]) / 3;
    EXPECT_TRUE(insidePolygon(polygon, cx, cy)) << cx << ", " << cy;
    for (int k = 0; k < 3; ++k) {
      const int32_t x = t[k], y = t[(k + 1) % 3];
      ++uses[{std::min(x, y), std::max(x, y)}];
    }
  }
  EXPECT_NEAR(areaSum, std::fabs(signedArea2(polygon)), 1e-9 * std::fabs(signedArea2(polygon)));
  for (const auto& [edge, count] : uses) {
    const bool outline = (edge.second - edge.first == 1) || (edge.first == 0 && edge.second == n - 1);
    EXPECT_EQ(count, outline ? 1 : 2) << edge.first << "-" << edge.second;
  }
  for (int32_t i = 0; i < n; ++i) {
    const auto key = std::make_pair(std::min(i, (i + 1) % n), std::max(i, (i + 1) % n));
    EXPECT_EQ(uses.count(key), 1u) << "outline edge " << i << " has no triangle";
  }
}

}  // namespace

TEST(Triangulation, ConvexConcaveAndCollinearPolygons) {
  TCDTriangulationData data{};
  const Polygon triangle = {{0, 0, 0}, {2, 0, 0}, {0, 1, 0}};
  const Polygon squareCcw = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
  const Polygon squareCw = {{0, 0, 0}, {0, 1, 0}, {1, 1, 0}, {1, 0, 0}};
  Polygon pentagon;
  for (int k = 0; k < 5; ++k) pentagon.push_back({std::cos(k * 2 * kPi / 5), std::sin(k * 2 * kPi / 5), 0});
  const Polygon lShape = {{0, 0, 0}, {2, 0, 0}, {2, 1, 0}, {1, 1, 0}, {1, 2, 0}, {0, 2, 0}};
  // Corners in a line along every side: each side of the square halved.
  const Polygon collinear = {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {2, 1, 0}, {2, 2, 0},
                             {1, 2, 0}, {0, 2, 0}, {0, 1, 0}};
  // A 40-corner star, alternately far and near: 20 notches.
  Polygon star;
  for (int k = 0; k < 40; ++k) {
    const double r = k % 2 ? 0.4 : 1.0 + 0.01 * k;
    star.push_back({r * std::cos(k * 2 * kPi / 40), r * std::sin(k * 2 * kPi / 40), 0});
  }
  // A comb of 5 teeth: deep notches, many reflex corners.
  Polygon comb = {{0, 0, 0}, {9, 0, 0}};
  for (int tooth = 4; tooth >= 0; --tooth) {
    const double x = 2.0 * tooth;
    comb.push_back({x + 1, 3, 0});
    comb.push_back({x, 3, 0});
    if (tooth > 0) {
      comb.push_back({x, 1, 0});
      comb.push_back({x - 1, 1, 0});
    }
  }
  const std::vector<const Polygon*> all = {&triangle, &squareCcw, &squareCw, &pentagon, &lShape, &collinear, &star, &comb};
  for (const Polygon* p : all) {
    SCOPED_TRACE(p->size());
    expectSoundTriangulation(*p, triangulate(&data, *p));
  }
  // The flips settle: a second pass over the star finds nothing to flip.
  const Result settled = triangulate(&data, star);
  spinTDCTTrigons(&data);
  std::vector<std::array<int32_t, 3>> again;
  for (const TCDTriangle* t = data.triangleList; t != nullptr; t = t->next) {
    again.push_back({t->corners[0]->index, t->corners[1]->index, t->corners[2]->index});
  }
  EXPECT_EQ(again, settled.triangles);
  EXPECT_GE(data.capacity, 40);
  destroyTCDTriangulationData(&data);
  EXPECT_EQ(data.capacity, 0);
  EXPECT_EQ(data.vertices, nullptr);
}

// No ear anywhere (all corners on one line, a bow tie): 0 and no reading
// past the ring; the record is reusable afterwards.
TEST(Triangulation, DegenerateRingsGiveUp) {
  TCDTriangulationData data{};
  const Polygon line = {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}, {1.5, 0, 0}};
  EXPECT_EQ(triangulate(&data, line).ok, 0);
  const Polygon bow = {{0, 0, 0}, {2, 2, 0}, {2, 0, 0}, {0, 2, 0}, {-1, 1, 0}};
  const Result r = triangulate(&data, bow);
  EXPECT_LE(r.triangles.size(), 3u);
  const Polygon pentagon = {{0, 0, 0}, {2, 0, 0}, {2, 1, 0}, {1, 2, 0}, {0, 1, 0}};
  expectSoundTriangulation(pentagon, triangulate(&data, pentagon));
  EXPECT_EQ(createTCDTriangulationDataForFastPoints(&data, nullptr, 2), 0);
  EXPECT_EQ(tcTriangulation(&data), 0);
  destroyTCDTriangulationData(&data);
}

// The plane's corner: a convex, most right-angled corner, found across the
// wrap from the last corner to the first; coincident corners are skipped.
TEST(Triangulation, PlaneCornerSearchWraps) {
  // The only right angle is at the last corner (its next corner is 0).
  const double wrap[5][3] = {{3, 0, 0}, {4, 2, 0}, {1, 3, 0}, {0, 2, 0}, {0, 0, 0}};
  EXPECT_EQ(searchFineZeroIndexOfPolyForFastPoints(wrap, 5, nullptr), 4);
  // The same ring standing in the X-Z plane and reversed.
  const double reversed[5][3] = {{0, 0, 0}, {0, 0, 2}, {1, 0, 3}, {4, 0, 2}, {3, 0, 0}};
  EXPECT_EQ(searchFineZeroIndexOfPolyForFastPoints(reversed, 5, nullptr), 0);
  // An L with a reflex corner at 3: the chosen corner is convex.
  const double l[6][3] = {{0, 0, 0}, {2, 0, 0}, {2, 1, 0}, {1, 1, 0}, {1, 2, 0}, {0, 2, 0}};
  const int32_t k = searchFineZeroIndexOfPolyForFastPoints(l, 6, nullptr);
  EXPECT_NE(k, 3);
  const double up[3] = {0, 0, 1}, down[3] = {0, 0, -1};
  EXPECT_EQ(searchFineZeroIndexOfPolyForFastPoints(l, 6, down), 3);  // the corner turning the other way
  EXPECT_NE(searchFineZeroIndexOfPolyForFastPoints(l, 6, up), 3);
  const double twin[5][3] = {{0, 0, 0}, {0, 0, 0}, {2, 0, 0}, {2, 2, 0}, {0, 2, 0}};
  const int32_t t = searchFineZeroIndexOfPolyForFastPoints(twin, 5, nullptr);
  EXPECT_TRUE(t == 2 || t == 3 || t == 4) << t;
  EXPECT_EQ(searchFineZeroIndexOfPolyForFastPoints(twin, 2, nullptr), 0);
}
