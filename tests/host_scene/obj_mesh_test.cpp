// OBJ meshes: what is read, what is written, weight maps in "#cw" lines,
// and a clear error with the line number for every malformed file.
#include "host/files/obj_mesh.h"

#include <gtest/gtest.h>

#include <cstring>

#include "sdk/lwmeshes.h"

using namespace cwhost;

namespace {

std::shared_ptr<Mesh> parse(const std::string& text) {
  std::string error;
  std::shared_ptr<Mesh> mesh = parseObjMesh(text, "m.obj", &error);
  EXPECT_NE(mesh, nullptr) << error;
  return mesh;
}

std::string parseError(const std::string& text) {
  std::string error;
  EXPECT_EQ(parseObjMesh(text, "m.obj", &error), nullptr) << text;
  return error;
}

}  // namespace

TEST(ObjMesh, ReadsPointsPolygonsOfAnySizeLinesAndTypes) {
  const std::shared_ptr<Mesh> mesh = parse(
      "# comment\n"
      "o thing\ng group\ns off\nusemtl x\nvt 0 0\nvn 0 0 1\n"
      "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0 1.0\nv 2 2 2 0.5 0.5 0.5\n"
      "f 1 2 3\n"
      "f 1/1/1 2//1 3/1 4\n"
      "f -5 -4 -3 -2 -1\n"
      "l 1 3 5\n"
      "p 2 4\n"
      "#cw polytype SUBD\n"
      "f 1 2 3 4\n"
      "#cw polytype FACE\n"
      "f 2 3 4  # trailing comment\n");
  ASSERT_NE(mesh, nullptr);
  ASSERT_EQ(mesh->points.size(), 5u);
  EXPECT_EQ(mesh->points[4], (Vec3{2, 2, 2}));
  ASSERT_EQ(mesh->polygons.size(), 9u);
  EXPECT_EQ(mesh->polygons[0].vertices, (std::vector<int32_t>{0, 1, 2}));
  EXPECT_EQ(mesh->polygons[1].vertices, (std::vector<int32_t>{0, 1, 2, 3}));
  EXPECT_EQ(mesh->polygons[2].vertices, (std::vector<int32_t>{0, 1, 2, 3, 4}));
  // A line of three points is two two-point polygons; p gives one-point ones.
  EXPECT_EQ(mesh->polygons[3].vertices, (std::vector<int32_t>{0, 2}));
  EXPECT_EQ(mesh->polygons[4].vertices, (std::vector<int32_t>{2, 4}));
  EXPECT_EQ(mesh->polygons[5].vertices, (std::vector<int32_t>{1}));
  EXPECT_EQ(mesh->polygons[6].vertices, (std::vector<int32_t>{3}));
  EXPECT_EQ(mesh->polygons[0].type, LWPOLTYPE_FACE);
  EXPECT_EQ(mesh->polygons[7].type, LWPOLTYPE_SUBD);
  EXPECT_EQ(mesh->polygons[8].type, LWPOLTYPE_FACE);
}

TEST(ObjMesh, WeightMapsHoldOnlyThePointsGiven) {
  const std::shared_ptr<Mesh> mesh = parse(
      "v 0 0 0\nv 1 0 0\nv 2 0 0\n"
      "#cw weightmap \"Weight\"\n#cw weight 1 0.5\n#cw weight -1 2.03\n"
      "#cw weightmap \"Other map\"\n#cw weight 2 -1e-8\n"
      "#cw weightmap \"Weight\"\n#cw weight 2 0\n"
      "#cwnot a directive\n");
  ASSERT_EQ(mesh->vmaps.size(), 2u);
  const VertexMap& w = mesh->vmaps[0];
  EXPECT_EQ(w.type, LWVMAP_WGHT);
  EXPECT_EQ(w.name, "Weight");
  EXPECT_EQ(w.dimension, 1);
  ASSERT_EQ(w.values.size(), 3u);
  EXPECT_EQ(w.values.at(0), std::vector<float>{0.5f});
  EXPECT_EQ(w.values.at(2), std::vector<float>{2.03f});
  EXPECT_EQ(w.values.at(1), std::vector<float>{0.0f});
  EXPECT_EQ(mesh->vmaps[1].values.size(), 1u);
  EXPECT_EQ(mesh->vmaps[1].values.count(0), 0u);
}

TEST(ObjMesh, WrittenTextReadsBackToTheSameMesh) {
  const std::shared_ptr<Mesh> mesh = parse(
      "v 0.1 -0.2 1e-30\nv 1 0 0\nv 1 1 0\nv 0 1 0\n"
      "f 1 2 3 4\nl 1 3\np 2\n#cw polytype CURV\nf 1 2 3\nl 2 4\n#cw polytype FACE\nf 4 3 2\n"
      "#cw weightmap \"W \\\"x\\\"\"\n#cw weight 3 0.3\n#cw weight 1 0.7\n");
  const std::string text = objMeshText(*mesh, {});
  const std::shared_ptr<Mesh> back = parse(text);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->points, mesh->points);
  ASSERT_EQ(back->polygons.size(), mesh->polygons.size());
  for (size_t i = 0; i < mesh->polygons.size(); ++i) {
    EXPECT_EQ(back->polygons[i].vertices, mesh->polygons[i].vertices) << i;
    EXPECT_EQ(back->polygons[i].type, mesh->polygons[i].type) << i;
  }
  ASSERT_EQ(back->vmaps.size(), 1u);
  EXPECT_EQ(back->vmaps[0].name, "W \"x\"");
  EXPECT_EQ(back->vmaps[0].values, mesh->vmaps[0].values);
  EXPECT_EQ(objMeshText(*back, {}), text);
}

TEST(ObjMesh, WritesGivenPositionsKeepingPolygons) {
  const std::shared_ptr<Mesh> mesh = parse("v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
  const std::shared_ptr<Mesh> moved = parse(objMeshText(*mesh, {{0, 0.5, 0}, {1, 0.25, 0}, {0, 1, 3}}));
  EXPECT_EQ(moved->points[0], (Vec3{0, 0.5, 0}));
  EXPECT_EQ(moved->points[2], (Vec3{0, 1, 3}));
  EXPECT_EQ(moved->polygons[0].vertices, mesh->polygons[0].vertices);
}

TEST(ObjMesh, MalformedFilesNameTheLineAndWhatWasExpected) {
  struct Case {
    std::string text;
    std::string line;      // "m.obj:N:"
    std::string fragment;  // part of the message
  };
  const std::string junk("\x89PNG\r\n\x1a\n\x00\x00\x00\rIHDR", 16);
  const Case cases[] = {
      {"v 1 2\n", "m.obj:1:", "three coordinates"},
      {"v 0 0 0\nv 1 x 0\n", "m.obj:2:", "finite number"},
      {"v 0 0 0\nv 1 nan 0\n", "m.obj:2:", "finite number"},
      {"v 0 0 0\nf 1 2 3\n", "m.obj:2:", "point index 2 is out of range (1 points"},
      {"v 0 0 0\nf 1 0\n", "m.obj:2:", "expected a point index"},
      {"v 0 0 0\nf 1 -2\n", "m.obj:2:", "out of range"},
      {"v 0 0 0\nf 1 99999999999999\n", "m.obj:2:", "expected a point index"},
      {"v 0 0 0\nf 1 2147483647\n", "m.obj:2:", "out of range"},
      {"v 0 0 0\nf\n", "m.obj:2:", "at least one point index"},
      {"v 0 0 0\nl 1\n", "m.obj:2:", "at least two point indexes"},
      {"v 0 0 0\nf a b c\n", "m.obj:2:", "expected a point index"},
      {"v 0 0 0\nvx 1\n", "m.obj:2:", "expected an OBJ statement"},
      {"v 0 0 0\ncstype bspline\n", "m.obj:2:", "expected an OBJ statement"},
      {"#cw polytype WHAT\n", "m.obj:1:", "polygon type"},
      {"#cw\n", "m.obj:1:", "polytype, weightmap or weight"},
      {"#cw frobnicate\n", "m.obj:1:", "polytype, weightmap or weight"},
      {"v 0 0 0\n#cw weight 1 0.5\n", "m.obj:2:", "before any"},
      {"v 0 0 0\n#cw weightmap Weight\n", "m.obj:2:", "quoted"},
      {"v 0 0 0\n#cw weightmap \"W\"\n#cw weight 2 0.5\n", "m.obj:3:", "out of range"},
      {"v 0 0 0\n#cw weightmap \"W\"\n#cw weight 1 inf\n", "m.obj:3:", "finite weight"},
      {"v 0 0 0\n#cw weightmap \"W\"\n#cw weight 1 0.5\n#cw weight 1 0.6\n", "m.obj:4:", "already has a value"},
      {"v 0 0 0\n#cw weightmap \"W\n", "m.obj:2:", "not closed"},
      {junk, "m.obj:3:", "binary data"},
      {"\x89\xFF\xFE garbage\n", "m.obj:1:", "expected an OBJ statement"},
  };
  for (const Case& c : cases) {
    const std::string error = parseError(c.text);
    EXPECT_EQ(error.rfind(c.line, 0), 0u) << error;
    EXPECT_NE(error.find(c.fragment), std::string::npos) << error;
  }
}

TEST(ObjMesh, MissingFileIsNamed) {
  std::string error;
  EXPECT_EQ(readObjMesh("/no/such/folder/mesh.obj", &error), nullptr);
  EXPECT_NE(error.find("/no/such/folder/mesh.obj: no such file"), std::string::npos) << error;
}
