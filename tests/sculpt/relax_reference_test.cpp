// The Box lattice's relaxation against a plain reference written here from
// its formulas, patch by patch and interior point by surface point, with
// nothing kept from one pass to the next: whatever the relaxation reuses,
// reorders or runs in vector lanes must give the same cage.
#include <array>
#include <cmath>
#include <random>
#include <unordered_map>
#include <vector>

#include "lattice/deform_kernel.h"
#include "module/vecmath.h"
#include "sculpt_fixture.h"
#include "tool/relax.h"

namespace {

using V3 = std::array<double, 3>;

V3 sub(const V3& a, const V3& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
double dot(const V3& a, const V3& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
V3 cross(const V3& a, const V3& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
V3 axpy(const V3& p, double s, const V3& d) { return {p[0] + s * d[0], p[1] + s * d[1], p[2] + s * d[2]}; }
V3 unit(V3 v) {
  normalize3D(v.data());
  return v;
}

// The relaxation of relax.h, from scratch: S start positions, W present
// ones, both by mesh point index; fills W.
class Reference {
 public:
  Reference(const LatticeData* l, bool fixOutOfRange) : l_(l) {
    for (int32_t n = 0; n < l->meshPointCount; ++n) {
      const MeshPoint* p = &l->meshPoints[n];
      s_.push_back({p->startPosition[0], p->startPosition[1], p->startPosition[2]});
      w_.push_back({p->world[0], p->world[1], p->world[2]});
      fixed_.push_back(fixOutOfRange && p->weight == 0.0);
    }
    int32_t q = 0;
    for (const MeshPolygon* m = l->polygonList; m != nullptr; m = m->next) quad_[m] = q++;
  }

  void run(uint32_t iterations, double stiffness) {
    std::vector<const MeshPoint*> work;
    for (const MeshPoint* p = l_->outerPointList; p != nullptr; p = p->next) {
      bool take = !fixed_[at(p)];
      for (int32_t k = 0; k < p->ringCount; ++k) take = take || !fixed_[at(p->ring[k])];
      if (take) work.push_back(p);
    }
    const std::vector<V3> restNormals = quadNormals(s_);
    for (uint32_t pass = 1; pass < iterations; ++pass) {
      const std::vector<V3> nowNormals = quadNormals(w_);
      std::vector<V3> a(w_.size(), V3{}), b(w_.size(), V3{});
      std::vector<double> weightSum(w_.size(), 0.0);
      for (const MeshPoint* v : work) {
        const int32_t n = v->ringCount;
        if (n == 0) continue;
        const V3 nr = pointNormal(v, restNormals), nc = pointNormal(v, nowNormals);
        V3 rr{}, rc{};
        for (int32_t k = 0; k < n; ++k) {
          for (int e = 0; e < 3; ++e) {
            rr[e] += s_[at(v->ring[k])][e] / n;
            rc[e] += w_[at(v->ring[k])][e] / n;
          }
        }
        const V3 br = axpy(s_[at(v)], dot(sub(rr, s_[at(v)]), nr), nr);
        const V3 bc = axpy(w_[at(v)], dot(sub(rc, w_[at(v)]), nc), nc);
        const V3 tr1 = unit(cross(nr, sub(s_[at(v->ring[0])], br))), tr2 = cross(tr1, nr);
        const V3 tc1 = unit(cross(nc, sub(w_[at(v->ring[0])], bc))), tc2 = cross(tc1, nc);
        double turn = 0.0;
        for (int32_t k = 1; k < n; ++k) {
          const V3 dr = sub(s_[at(v->ring[k])], br), dc = sub(w_[at(v->ring[k])], bc);
          double rest[2] = {dot(dr, tr2), dot(dr, tr1)}, now[2] = {dot(dc, tc2), dot(dc, tc1)};
          normalize2D(rest);
          normalize2D(now);
          const double sine = rest[0] * now[1] - rest[1] * now[0];
          const double angle = std::fabs(std::atan2(sine, rest[0] * now[0] + rest[1] * now[1]));
          turn += sine >= 0.0 ? angle : -angle;
        }
        turn /= n;
        // V's rest offset turned and placed in the present frame.
        auto target = [&](const V3& start) {
          const V3 d = sub(start, br);
          const double ra = dot(d, tr2), rb = dot(d, tr1);
          const double ta = ra * std::cos(turn) - rb * std::sin(turn);
          const double tb = ra * std::sin(turn) + rb * std::cos(turn);
          return axpy(axpy(axpy(bc, dot(d, nr), nc), tb, tc1), ta, tc2);
        };
        for (int32_t k = 0; k < n; ++k) {
          const int32_t r = at(v->ring[k]);
          const V3 d = sub(s_[r], br);
          const double weight = 1.0 / (std::hypot(dot(d, tr2), dot(d, tr1)) + 2e-6);
          const V3 t = target(s_[r]);
          for (int e = 0; e < 3; ++e) b[r][e] += (t[e] - w_[r][e]) * weight;
          weightSum[r] += weight;
        }
        const V3 t = target(s_[at(v)]);
        for (int e = 0; e < 3; ++e) a[at(v)][e] += t[e] - w_[at(v)][e];
      }
      for (const MeshPoint* p : work) {
        const int32_t i = at(p);
        if (fixed_[i] || weightSum[i] == 0.0) continue;
        for (int e = 0; e < 3; ++e) w_[i][e] += (b[i][e] / weightSum[i] + a[i][e]) * 0.5 * stiffness;
      }
    }
    placeInterior();
  }

  const V3& world(int32_t n) const { return w_[n]; }

 private:
  int32_t at(const MeshPoint* p) const { return static_cast<int32_t>(p - l_->meshPoints); }

  std::vector<V3> quadNormals(const std::vector<V3>& pos) const {
    std::vector<V3> out(quad_.size());
    for (const auto& [q, n] : quad_) {
      getQuadNormal(pos[at(q->corners[0])].data(), pos[at(q->corners[1])].data(), pos[at(q->corners[2])].data(),
                    pos[at(q->corners[3])].data(), out[n].data());
    }
    return out;
  }

  V3 pointNormal(const MeshPoint* p, const std::vector<V3>& quadNormal) const {
    V3 sum{};
    for (int32_t m = 0; m < p->polygonCount; ++m) sum = axpy(sum, 1.0, quadNormal[quad_.at(p->polygons[m])]);
    return unit(sum);
  }

  // Each surface point's frame at the start turned onto its present normal
  // carries every interior point's offset; targets weighted by distance^-3.
  void placeInterior() {
    const std::vector<V3> restNormals = quadNormals(s_), nowNormals = quadNormals(w_);
    struct Carrier {
      V3 s, w, u, v, n, u2, v2, n2;
    };
    std::vector<Carrier> carriers;
    for (const MeshPoint* o = l_->outerPointList; o != nullptr; o = o->next) {
      Carrier c;
      c.s = s_[at(o)];
      c.w = w_[at(o)];
      c.n = pointNormal(o, restNormals);
      const V3 now = pointNormal(o, nowNormals);
      getLocalAxis(c.n.data(), c.u.data(), c.v.data());
      double axis[3], angle = 0.0;
      if (getRotateAngleAndAxis(c.n.data(), now.data(), axis, &angle) != 0) {
        c.u2 = c.u, c.v2 = c.v, c.n2 = c.n;
      } else {
        double q[4], qc[4];
        getQuaternion(q, qc, axis, angle);
        transformQuaternion(q, qc, c.u.data(), c.u2.data());
        c.v2 = cross(now, c.u2);
        c.n2 = now;
      }
      carriers.push_back(c);
    }
    for (const MeshPoint* p = l_->innerPointList; p != nullptr; p = p->next) {
      const V3& s = s_[at(p)];
      V3 sum{};
      double weights = 0.0;
      for (const Carrier& c : carriers) {
        const V3 d = sub(s, c.s);
        const double weight = std::pow(1.0 / (std::sqrt(dot(d, d)) + 4e-6), 3);
        const V3 t = axpy(axpy(axpy(c.w, dot(d, c.u), c.u2), dot(d, c.v), c.v2), dot(d, c.n), c.n2);
        sum = axpy(sum, weight, sub(t, s));
        weights += weight;
      }
      w_[at(p)] = axpy(s, 1.0 / weights, sum);
    }
  }

  const LatticeData* l_;
  std::vector<V3> s_, w_;
  std::vector<bool> fixed_;
  std::unordered_map<const MeshPolygon*, int32_t> quad_;
};

// The start shape: the rest cage bent along X and twisted about Y, both
// unevenly; the present shape: the start swept sideways by a bulge near one
// corner and turned a little, so that patches turn by different amounts
// both ways.  A crumpled cage has its present points thrown about by up to
// a cell besides, so that ring points turn by large angles whose sums pass
// a half turn.
void shapeCage(LatticeData* l, bool crumpled) {
  std::mt19937 random(11);
  std::uniform_real_distribution<double> throw_(-0.2, 0.2);
  for (int32_t n = 0; n < l->meshPointCount; ++n) {
    MeshPoint* p = &l->meshPoints[n];
    const double x = p->rest[0], y = p->rest[1], z = p->rest[2];
    const double twist = 0.5 * y + 0.2 * y * y;
    const double bx = x * std::cos(twist) - z * std::sin(twist) + 0.15 * y * y;
    const double bz = x * std::sin(twist) + z * std::cos(twist) + 0.1 * x * x * x;
    p->startPosition[0] = bx;
    p->startPosition[1] = y + 0.05 * std::sin(3.0 * x);
    p->startPosition[2] = bz;
    const double bulge = std::exp(-((x - 0.3) * (x - 0.3) + (y - 0.4) * (y - 0.4) + z * z) * 3.0);
    p->world[0] = bx + 0.4 * bulge + 0.03 * p->startPosition[1];
    p->world[1] = p->startPosition[1] - 0.25 * bulge * z;
    p->world[2] = bz + 0.3 * bulge * x - 0.03 * bx;
    if (crumpled) {
      for (int a = 0; a < 3; ++a) p->world[a] += throw_(random);
    }
    p->weight = x < -0.45 ? 0.0 : 1.0;  // one side out of the brush
  }
}

}  // namespace

TEST_F(SculptTest, BoxRelaxationMatchesItsFormulasOnEveryKernel) {
  const int original = getDeformKernel();
  struct Case {
    int32_t sx, sy, sz;
    bool fix, crumpled;
  };
  // Interior points: 5 x 7 x 4 has 72, 8 x 6 x 6 has 175 (not a whole
  // number of vectors of four), 6 x 4 x 5 has 60 (of eight); in the first,
  // points out of the brush are fixed.
  for (const Case& c : {Case{5, 7, 4, true, false}, Case{8, 6, 6, false, false}, Case{6, 4, 5, false, true}}) {
    for (int kernel = 0; kernel < DEFORM_KERNEL_COUNT; ++kernel) {
      if (!deformKernelSupported(kernel)) continue;
      SCOPED_TRACE(::testing::Message() << c.sx << "x" << c.sy << "x" << c.sz << (c.crumpled ? " crumpled " : " ") << deformKernelName(kernel));
      ASSERT_EQ(setDeformKernel(kernel), 1);
      LatticePtr box = makeBox(c.sx, c.sy, c.sz, 1.0, 1.2, 0.9);
      shapeCage(box.get(), c.crumpled);
      state.fixPointsOutOfRange = c.fix ? 1 : 0;
      Reference reference(box.get(), c.fix);
      reference.run(25, 0.305);
      relaxLatticeMeshDistortion3D(&state, box.get(), 25, 0.305);
      int32_t moved = 0;
      for (int32_t n = 0; n < box->meshPointCount; ++n) {
        const MeshPoint* p = &box->meshPoints[n];
        expectNear3(p->world, reference.world(n).data(), 1e-12, "relaxed point");
        moved += std::fabs(p->world[0] - p->startPosition[0]) > 1e-3 ? 1 : 0;
      }
      EXPECT_GT(moved, box->meshPointCount / 2);  // the case relaxes for real
    }
  }
  setDeformKernel(original);
}
