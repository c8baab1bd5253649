#pragma once
// Turns the scene's models into what their vertex and index buffers hold, and creates those buffers.
//
// Every OBJ model is flattened: one vertex per face corner, in file order, and the index list
// 0, 1, 2, ..., so vertex i belongs to corner i and nothing is shared between faces. The pod and
// room are further cut into named draw ranges and get per-vertex tangents for normal mapping.
//
// Assembly (the Assemble* functions) is plain CPU work and returns the lists; the show makes the two
// immutable buffers from them (show/ModelBuffers.h).
//
// Errors while assembling:
// - a model file that cannot be opened gives an empty model (nothing to draw) and a warning naming
//   the file on the warnings stream; the show goes on without it;
// - so does a readable file without faces (an empty file, say), with a warning of its own;
// - a face that is not a triangle, or a corner whose position, normal or (pod and room) texture
//   coordinate index is missing, negative or past the end of its list, throws ObjFormatError naming
//   the file, the line and the face: the draw counts assume triangles and every lookup must land;
// - errors of the OBJ reader itself (bad numbers, short lines) pass through unchanged.

#include <cstddef>
#include <cstdint>
#include <iostream>
#include <span>
#include <string>
#include <vector>

#include "assets/ObjLoader.h"
#include "assets/SceneContent.h"
#include "assets/VertexRecords.h"

// One indexed draw of a named sub-mesh, with base vertex 0. {0, 0} draws nothing.
struct MeshRange {
    uint32_t indexCount = 0;
    uint32_t startIndex = 0;

    friend bool operator==(const MeshRange&, const MeshRange&) = default;
};

static_assert(sizeof(MeshRange) == 8);

template <typename Vertex>
struct ModelData {
    std::vector<Vertex> vertices;
    std::vector<uint32_t> indices;  // 0, 1, 2, ... for the OBJ models
    uint32_t indexCount = 0;        // indices drawn for the whole model; never more than indices.size()
};

using LitModelData = ModelData<PosNormalVertex>;
using SphereMeshData = ModelData<PosVertex>;

// A model drawn range by range: ranges has one entry per slot of its part table, in slot order.
struct PartModelData : ModelData<PosNormalTexTanVertex> {
    std::vector<MeshRange> ranges;
};

// How many indices a draw of the whole model uses.
enum class IndexCountRule {
    FirstMeshTriangles,  // 3 x the faces of the file's first mesh (sheep, first and second text)
    AllCorners,          // every corner of the file (third text, pod, room)
};

enum class NormalSign { AsRead, Negated };
enum class TexCoordSign { AsRead, Negated };

// ---- CPU assembly ----

// A PosNormalVertex model from an OBJ file (sheep and text models).
LitModelData AssembleLitModel(const std::string& path, IndexCountRule countRule, NormalSign normalSign,
                              std::ostream& warnings = std::cerr);

// The five models of the scene, with their rules; the default paths are the scene's files.
LitModelData AssembleSheepModel(const std::string& path = std::string(kSheepModelFile),
                                std::ostream& warnings = std::cerr);
// textNumber 1, 2 or 3 picks the rules and the default file of that text model.
LitModelData AssembleTextModel(int textNumber, std::ostream& warnings = std::cerr);
LitModelData AssembleTextModel(int textNumber, const std::string& path, std::ostream& warnings = std::cerr);

// A PosNormalTexTanVertex model cut into the ranges of a part table; mesh names are compared whole
// and case-sensitively, and meshes outside the table are in the lists but have no range.
PartModelData AssemblePartModel(const std::string& path, std::span<const ModelPart> parts, TexCoordSign texCoordSign,
                                std::ostream& warnings = std::cerr);
PartModelData AssemblePodModel(const std::string& path = std::string(kPodModelFile),
                               std::ostream& warnings = std::cerr);
// The room's texture coordinates are negated.
PartModelData AssembleRoomModel(const std::string& path = std::string(kRoomModelFile),
                                std::ostream& warnings = std::cerr);

// Positions of a geodesic sphere with its indices (the generator caps the subdivisions).
SphereMeshData AssembleSphereMesh(float radius, uint32_t subdivisions);

// Fills the Tangent of every vertex from the triangles of indices (read three at a time): each
// triangle's direction of increasing u, made perpendicular to the vertex normal and unit length.
// A triangle whose texture coordinates give it no u direction (collinear or non-finite) adds nothing,
// and a vertex left without a usable direction gets some unit vector perpendicular to its normal, so
// every tangent is finite. Triangles with an index past the vertices and a trailing partial triangle
// are skipped. Normals are left as they are (not normalised).
void ComputeTangents(std::vector<PosNormalTexTanVertex>& vertices, const std::vector<uint32_t>& indices);
