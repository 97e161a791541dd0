/*
 * bend_example.h -- the "bend" example scene: what it holds and how it is
 * meant to move, in one place for the generator that writes it
 * (make_bend_example) and for the test that checks the scene does what the
 * generator meant.
 *
 * The scene (fps 24, frames 0 to 48):
 *   - "Tube": an open cylinder along Y (radius 0.3, from y = -1 to 1) of
 *     kTubeRings x kTubeSegments points, with the weight map "Bend": 0 at
 *     the bottom ring, rising smoothly to 1 at y = -0.2 and 1 above, so the
 *     foot stays planted while the rest bends;
 *   - "Bender": a Box lattice around the tube whose cage keys are the rest
 *     cage bent about the Z axis by the angles of kBendKeys (the key at 1 s
 *     a corner key: the bend swings back sharply there instead of easing);
 *   - "Camera" at (0, 0, -6) looking along +Z, and "Swirl": a Perspective
 *     Screen lattice, the camera's child 2 units in front of it, filling the
 *     camera's view, whose keys swirl the picture about its centre by the
 *     angles of kSwirlKeys (at rest until 1 s).
 * Every key is computed here from the bend and the swirl; nothing is typed
 * in by hand.
 */
#ifndef CAGEWARP_EXAMPLES_BEND_EXAMPLE_H
#define CAGEWARP_EXAMPLES_BEND_EXAMPLE_H

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace bend_example {

using Vec3 = std::array<double, 3>;

/* ---- timing ---------------------------------------------------------------- */

inline constexpr int32_t kFramesPerSecond = 24;
inline constexpr int32_t kFirstFrame = 0;
inline constexpr int32_t kLastFrame = 48;

/* ---- the tube -------------------------------------------------------------- */

inline constexpr int32_t kTubeRings = 41;    /* along Y, bottom first */
inline constexpr int32_t kTubeSegments = 48; /* around Y */
inline constexpr double kTubeRadius = 0.3;
inline constexpr double kTubeBottom = -1.0;
inline constexpr double kTubeTop = 1.0;
/* Where the weight has risen to 1. */
inline constexpr double kWeightFullAt = -0.2;
inline constexpr const char* kWeightMapName = "Bend";

/* Point n of the tube (ring n / kTubeSegments, bottom first). */
Vec3 tubePoint(int32_t n);
/* The point's value in the "Bend" map: 0 at the bottom ring, smoothly 1 at
 * kWeightFullAt and above. */
double tubeWeight(const Vec3& point);

/* ---- the Box lattice ----------------------------------------------------------- */

/* Rest size and segments; the lattice item sits at the origin, unrotated,
 * so lattice-local coordinates are world coordinates. */
inline constexpr std::array<double, 3> kBoxSize{0.9, 2.4, 0.9};
inline constexpr std::array<int32_t, 3> kBoxSegments{3, 8, 3};

struct BendKey {
  double time;  /* seconds */
  double angle; /* radians the top turns about Z relative to the foot; > 0 towards +X */
  int32_t corner;
};
inline constexpr std::array<BendKey, 5> kBendKeys{{
    {0.0, 0.0, 0},
    {0.5, 0.7853981633974483, 0},  /* a quarter of pi */
    {1.0, 1.5707963267948966, 1},  /* half pi, then back at once: a corner key */
    {1.5, -0.7853981633974483, 0},
    {2.0, 0.0, 0},
}};

/* The bend: the lattice's rest box bent about an axis parallel to Z through
 * its foot (y = -size Y / 2), so that a line along Y at x = 0 becomes an arc
 * of the same length turning by `angle`.  Z is unchanged. */
Vec3 bendPoint(const Vec3& point, double angle);

/* ---- camera and Screen lattice ------------------------------------------------------ */

inline constexpr Vec3 kCameraPosition{0.0, 0.0, -6.0};
/* 1 / tan(vertical field of view / 2), and the camera's frame. */
inline constexpr double kZoomFactor = 3.2;
inline constexpr int32_t kResolution[2] = {640, 480};
/* The Screen lattice's distance in front of the camera, and its segments. */
inline constexpr double kScreenDistance = 2.0;
inline constexpr std::array<int32_t, 2> kScreenSegments{8, 6};
/* Its size: the camera's view at kScreenDistance. */
std::array<double, 2> screenSize();

struct SwirlKey {
  double time;  /* seconds */
  double angle; /* radians the picture's centre turns (counter-clockwise as the camera sees it) */
};
inline constexpr std::array<SwirlKey, 4> kSwirlKeys{{
    {0.0, 0.0},
    {1.0, 0.0},
    {1.5, 0.6},
    {2.0, 0.0},
}};

/* The swirl of a point (u, v) of the lattice plane: turned about the centre
 * by angle x bump, the bump being 1 at the centre and falling to 0 at the
 * lattice border (and staying 0 outside), so the border does not move. */
std::array<double, 2> swirlPoint(double u, double v, double angle);

/* Where the generator means a world point of the tube, of weight `weight`,
 * to be at a time when both lattices sit on a key (bend `bendAngle`, swirl
 * `swirlAngle`): moved by weight x the bend, then swirled as the camera
 * sees it (projected on the Screen lattice's plane, swirled, carried back
 * to its depth).  The lattices interpolate their cages smoothly, so the
 * scene comes close to this, exactly only at cage points. */
Vec3 intendedPosition(const Vec3& point, double weight, double bendAngle, double swirlAngle);

/* ---- the files ---------------------------------------------------------------------- */

/* Where the mesh goes, relative to the scene file. */
inline constexpr const char* kMeshPath = "meshes/tube.obj";

/* The scene file's text (the reference host's scene format). */
std::string sceneText();
/* The tube's OBJ text, with its weight map. */
std::string tubeObjText();

/* Writes bend.cws and meshes/tube.obj into `dir` (made when missing).
 * Returns 1, or 0 with the reason in *error. */
int writeBendExample(const std::string& dir, std::string* error);

}  // namespace bend_example

#endif /* CAGEWARP_EXAMPLES_BEND_EXAMPLE_H */
