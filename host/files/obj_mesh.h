/*
 * obj_mesh.h -- object meshes in Wavefront OBJ files, with the host's weight
 * maps and polygon types carried in comment lines that plain OBJ readers
 * skip.
 *
 * What is read:
 *   v X Y Z [...]    a point (further numbers, a w or a colour, are ignored)
 *   f A B C ...      a polygon of any size (1 point or more); each vertex is
 *                    a point index, 1 for the first point, negative counting
 *                    back from the last point so far; "A/T/N" forms keep A
 *   l A B C ...      a line: one two-point polygon per segment (A-B, B-C)
 *   p A B ...        one one-point polygon per index
 *   vt vn vp o g s usemtl mtllib   skipped
 *   #cw polytype TYPE        polygons that follow have this LWPOLTYPE_ tag
 *                            (FACE, CURV, PTCH, SUBD, MBAL, BONE); FACE at
 *                            the start
 *   #cw weightmap "NAME"     the weight map ("WGHT", dimension 1) that the
 *                            #cw weight lines after it fill (made on first
 *                            mention; a later mention selects it again)
 *   #cw weight INDEX VALUE   the point's value in that map (a finite float,
 *                            written so that it reads back bit for bit);
 *                            a point without such a line has no value
 *   other comments           skipped
 * Point indexes must name a point already read.  Anything else is an error
 * naming the file, the line and what was expected.
 *
 * What is written (writeObjMesh): the points (given positions, shortest
 * round-trip decimals), the polygons in mesh order (two-point polygons as
 * "l", one-point ones as "p", others as "f", with a polytype line whenever
 * the type changes), then each weight map with its values in point order.
 * Reading the written text gives the same mesh.
 */
#ifndef CAGEWARP_HOST_OBJ_MESH_H
#define CAGEWARP_HOST_OBJ_MESH_H

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/core/scene.h"

namespace cwhost {

/* Reads a mesh from OBJ text.  `name` is what error messages call the
 * file.  Returns the mesh (filename left empty), or null with
 * "NAME:LINE: what was expected" in *error. */
std::shared_ptr<Mesh> parseObjMesh(std::string_view text, const std::string& name, std::string* error);

/* Reads an OBJ file; the mesh's filename is `path`.  Null with the reason in
 * *error (missing or unreadable file, or a parse error as above). */
std::shared_ptr<Mesh> readObjMesh(const std::string& path, std::string* error);

/* The OBJ text of a mesh with its points at `positions` (the mesh's own
 * points when positions is empty; otherwise one entry per point). */
std::string objMeshText(const Mesh& mesh, const std::vector<Vec3>& positions);

/* Writes objMeshText to a file (through a temporary, see writeTextFile).
 * False with the reason in *error. */
bool writeObjMesh(const std::string& path, const Mesh& mesh, const std::vector<Vec3>& positions, std::string* error);

}  // namespace cwhost

#endif /* CAGEWARP_HOST_OBJ_MESH_H */
