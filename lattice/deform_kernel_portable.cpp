// The portable kernel: deform_kernel.inl over four plain doubles, for the
// processors that have no kernel of their own.  Built for every processor,
// so that its results are tested wherever the tests run; it is standard
// C++ with no intrinsics, and the compiler may pair up its lanes itself.
// A mask lane is 1.0 for true and 0.0 for false.

#include "lattice/deform_kernel_set.h"

#include <cmath>
#include <cstring>

namespace {
namespace portable {

struct Vd {
  double v[4];
};

// Applies f lane by lane.
template <typename F>
inline Vd perLane(F f) {
  Vd r;
  for (int n = 0; n < 4; ++n) r.v[n] = f(n);
  return r;
}

// The four doubles from p on, copied as bytes: the world kernel reads an
// item axis four wide, its fourth double being the next field's first.
inline Vd loadu(const double* p) {
  Vd r;
  std::memcpy(r.v, p, sizeof r.v);
  return r;
}
inline void storeu(double* p, Vd v) { std::memcpy(p, v.v, sizeof v.v); }
inline void store3(double* p, Vd v) {
  p[0] = v.v[0];
  p[1] = v.v[1];
  p[2] = v.v[2];
}
inline Vd broadcast(double x) { return {{x, x, x, x}}; }
inline Vd set4(double a, double b, double c, double d) { return {{a, b, c, d}}; }
inline Vd operator+(Vd a, Vd b) { return perLane([&](int n) { return a.v[n] + b.v[n]; }); }
inline Vd operator-(Vd a, Vd b) { return perLane([&](int n) { return a.v[n] - b.v[n]; }); }
inline Vd operator*(Vd a, Vd b) { return perLane([&](int n) { return a.v[n] * b.v[n]; }); }
inline Vd operator/(Vd a, Vd b) { return perLane([&](int n) { return a.v[n] / b.v[n]; }); }
inline Vd mulAdd(Vd a, Vd b, Vd c) { return a * b + c; }
inline Vd sqrtv(Vd a) { return perLane([&](int n) { return std::sqrt(a.v[n]); }); }
inline Vd maxv(Vd a, Vd b) { return perLane([&](int n) { return a.v[n] > b.v[n] ? a.v[n] : b.v[n]; }); }
inline Vd minv(Vd a, Vd b) { return perLane([&](int n) { return a.v[n] < b.v[n] ? a.v[n] : b.v[n]; }); }
inline Vd greater(Vd a, Vd b) { return perLane([&](int n) { return a.v[n] > b.v[n] ? 1.0 : 0.0; }); }
inline double laneSum(Vd a) { return (a.v[0] + a.v[1]) + (a.v[2] + a.v[3]); }
inline Vd notZero(Vd a) { return perLane([&](int n) { return a.v[n] != 0.0 ? 1.0 : 0.0; }); }
inline Vd both(Vd a, Vd b) { return perLane([&](int n) { return a.v[n] != 0.0 && b.v[n] != 0.0 ? 1.0 : 0.0; }); }
inline Vd withLane1(Vd a, Vd b) { return {{a.v[0], b.v[1], a.v[2], a.v[3]}}; }
inline Vd maskOf(bool on) { return broadcast(on ? 1.0 : 0.0); }
inline Vd select(Vd m, Vd a, Vd b) { return perLane([&](int n) { return m.v[n] != 0.0 ? a.v[n] : b.v[n]; }); }
template <int L>
inline Vd laneOf(Vd a) {
  return broadcast(a.v[L]);
}
inline Vd nextLane(Vd a) { return {{a.v[1], a.v[2], a.v[3], a.v[3]}}; }
inline void transpose4(Vd& a, Vd& b, Vd& c, Vd& d) {
  const Vd r[4] = {a, b, c, d};
  a = perLane([&](int n) { return r[n].v[0]; });
  b = perLane([&](int n) { return r[n].v[1]; });
  c = perLane([&](int n) { return r[n].v[2]; });
  d = perLane([&](int n) { return r[n].v[3]; });
}

// The compiler may fuse products into sums here, as it may in the scalar
// code: kernels that must round every operation on its own leave the work
// to the scalar code.
constexpr bool kSeparateRounding = false;
inline Vd rounded(Vd a) { return a; }
#include "lattice/deform_kernel.inl"

}  // namespace portable
}  // namespace

const DeformKernelSet kDeformKernelPortable = DEFORM_KERNEL_SET_OF(portable);
