#include "assets/ModelAssembly.h"

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <limits>
#include <stdexcept>

#include "assets/ObjText.h"
#include "math/GeometryBuilder.h"

namespace {

// The 1-based line of face number faceIndex (0-based, file order) of an OBJ file, found by reading the
// file again the way the reader splits it. Only needed for an error message; 0 if it cannot be found.
size_t FaceLine(const std::string& path, size_t faceIndex)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return 0;
    }
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    objtext::LineSplitter lines(text);
    std::vector<std::string_view> fields;
    size_t faceLines = 0;
    while (lines.Next(fields)) {
        if (fields.size() >= 2 && fields[0] == "f") {
            if (faceLines == faceIndex) {
                return lines.LineNumber();
            }
            ++faceLines;
        }
    }
    return 0;
}

[[noreturn]] void FailFace(const std::string& path, size_t faceIndex, const std::string& problem)
{
    throw ObjFormatError("face " + std::to_string(faceIndex + 1) + ": " + problem, path, FaceLine(path, faceIndex));
}

// The 0-based list position of a 1-based index, after checking that it lands in a list of count.
size_t CheckedIndex(int32_t index, size_t count, const char* what, const char* listName, const std::string& path,
                    size_t faceIndex, size_t corner)
{
    const std::string where = "corner " + std::to_string(corner + 1) + " ";
    if (index == 0) {
        FailFace(path, faceIndex, where + "gives no " + what + " index");
    }
    if (index < 0) {
        FailFace(path, faceIndex,
                 where + "has the " + what + " index " + std::to_string(index) + "; only positive indices are read");
    }
    if (static_cast<size_t>(index) > count) {
        FailFace(path, faceIndex,
                 where + "has the " + what + " index " + std::to_string(index) + " but the file has " +
                     std::to_string(count) + " " + listName);
    }
    return static_cast<size_t>(index) - 1;
}

void CheckTriangle(const ObjFace& face, const std::string& path, size_t faceIndex)
{
    if (face.size() != 3) {
        FailFace(path, faceIndex,
                 "has " + std::to_string(face.size()) + " corners; the models must hold triangles only");
    }
}

void CheckIndexable(size_t corners, const std::string& path)
{
    if (corners > std::numeric_limits<uint32_t>::max()) {
        throw std::length_error(path + ": too many face corners for 32-bit indices");
    }
}

// Said before anything else, so that a model that then fails or draws nothing comes with the likely reason.
void WarnOfTextNotes(const ObjLoader& loader, std::ostream& warnings)
{
    for (const ObjLoader::TextNote& note : loader.textNotes) {
        warnings << "warning: " << note.path << ":" << note.line << ": " << note.problem << "\n";
    }
}

// Models drawn by their first mesh alone draw nothing when that mesh is empty, as when an empty group
// comes before the one that holds the faces.
void WarnIfFirstMeshEmpty(const ObjLoader& loader, const std::string& path, std::ostream& warnings)
{
    const ObjMesh& first = loader.meshes.front();
    if (first.faces.empty()) {
        warnings << "warning: " << path << ": its first group (\"" << first.name
                 << "\") has no faces, and only the first group of this model is drawn; the model draws nothing\n";
    }
}

// A loader of a file that could be opened always has a mesh: the reader closes one at the end. A
// material library that could not be read is named too; the model still draws, without its materials.
bool WarnIfUnreadable(const ObjLoader& loader, const std::string& path, std::ostream& warnings)
{
    std::string reason = "cannot be read";
    for (const ObjLoader::UnreadableFile& unreadable : loader.unreadableFiles) {
        if (unreadable.path == path) {
            reason = unreadable.reason;
        } else {
            warnings << "warning: " << unreadable.path << ": " << unreadable.reason << "; its materials are missing\n";
        }
    }
    if (!loader.meshes.empty()) {
        return false;
    }
    warnings << "warning: " << path << ": cannot open the model file (" << reason
             << "); the model is left empty and draws nothing\n";
    return true;
}

// A readable file without a single face is valid but draws nothing, which is most likely not what
// whoever wrote it meant.
bool WarnIfFaceless(const ObjLoader& loader, const std::string& path, std::ostream& warnings)
{
    if (!loader.faces.empty()) {
        return false;
    }
    warnings << "warning: " << path << ": the model file has no faces; the model draws nothing\n";
    return true;
}

Float3 PositionAt(const ObjLoader& loader, const ObjFaceVertex& corner, const std::string& path, size_t faceIndex,
                  size_t c)
{
    const ObjPosition& p = loader.positions[CheckedIndex(corner.position, loader.positions.size(), "position",
                                                         "positions", path, faceIndex, c)];
    return {p.x, p.y, p.z};
}

Float3 NormalAt(const ObjLoader& loader, const ObjFaceVertex& corner, const std::string& path, size_t faceIndex,
                size_t c)
{
    const ObjNormal& n =
        loader.normals[CheckedIndex(corner.normal, loader.normals.size(), "normal", "normals", path, faceIndex, c)];
    return {n.x, n.y, n.z};
}

Float2 TexCoordAt(const ObjLoader& loader, const ObjFaceVertex& corner, const std::string& path, size_t faceIndex,
                  size_t c)
{
    const ObjTexCoord& t = loader.texCoords[CheckedIndex(corner.texCoord, loader.texCoords.size(), "texture coordinate",
                                                         "texture coordinates", path, faceIndex, c)];
    return {t.u, t.v};
}

bool IsFinite(const Float3& v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// Some unit vector perpendicular to n: the world axis least aligned with n, with its n part removed.
Float3 AnyPerpendicular(const Float3& n)
{
    if (!IsFinite(n) || Dot3(n, n) == 0.0f) {
        return {1.0f, 0.0f, 0.0f};
    }
    const float ax = std::fabs(n.x);
    const float ay = std::fabs(n.y);
    const float az = std::fabs(n.z);
    Float3 axis{0.0f, 0.0f, 1.0f};
    if (ax <= ay && ax <= az) {
        axis = {1.0f, 0.0f, 0.0f};
    } else if (ay <= az) {
        axis = {0.0f, 1.0f, 0.0f};
    }
    return Normalize3(axis - n * Dot3(n, axis));
}

bool IsUnitLength(const Float3& v)
{
    if (!IsFinite(v)) {
        return false;
    }
    const float lengthSquared = Dot3(v, v);
    return lengthSquared > 0.5f && lengthSquared < 1.5f;
}

}  // namespace

LitModelData AssembleLitModel(const std::string& path, IndexCountRule countRule, NormalSign normalSign,
                              std::ostream& warnings)
{
    const ObjLoader loader(path);
    LitModelData model;
    WarnOfTextNotes(loader, warnings);
    if (WarnIfUnreadable(loader, path, warnings) || WarnIfFaceless(loader, path, warnings)) {
        return model;
    }
    if (countRule == IndexCountRule::FirstMeshTriangles) {
        WarnIfFirstMeshEmpty(loader, path, warnings);
    }
    CheckIndexable(loader.positionIndices.size(), path);

    model.vertices.reserve(3 * loader.faces.size());
    model.indices.reserve(3 * loader.faces.size());
    for (size_t f = 0; f < loader.faces.size(); ++f) {
        const ObjFace& face = loader.faces[f];
        CheckTriangle(face, path, f);
        for (size_t c = 0; c < face.size(); ++c) {
            PosNormalVertex vertex;
            vertex.Position = PositionAt(loader, face[c], path, f, c);
            vertex.Normal = NormalAt(loader, face[c], path, f, c);
            if (normalSign == NormalSign::Negated) {
                vertex.Normal = -vertex.Normal;
            }
            model.indices.push_back(static_cast<uint32_t>(model.vertices.size()));
            model.vertices.push_back(vertex);
        }
    }
    // Every face is a triangle, so both counts are at most the number of corners.
    model.indexCount = countRule == IndexCountRule::FirstMeshTriangles
                           ? static_cast<uint32_t>(3 * loader.meshes.front().faces.size())
                           : static_cast<uint32_t>(loader.positionIndices.size());
    return model;
}

LitModelData AssembleSheepModel(const std::string& path, std::ostream& warnings)
{
    return AssembleLitModel(path, IndexCountRule::FirstMeshTriangles, NormalSign::AsRead, warnings);
}

LitModelData AssembleTextModel(int textNumber, std::ostream& warnings)
{
    if (textNumber < 1 || textNumber > static_cast<int>(kTextModelFiles.size())) {
        throw std::invalid_argument("AssembleTextModel: text number " + std::to_string(textNumber) +
                                    " is not 1, 2 or 3");
    }
    return AssembleTextModel(textNumber, std::string(kTextModelFiles[static_cast<size_t>(textNumber - 1)]), warnings);
}

LitModelData AssembleTextModel(int textNumber, const std::string& path, std::ostream& warnings)
{
    if (textNumber < 1 || textNumber > 3) {
        throw std::invalid_argument("AssembleTextModel: text number " + std::to_string(textNumber) +
                                    " is not 1, 2 or 3");
    }
    // The third text is drawn with every corner of its file; the first two with their first mesh only.
    const IndexCountRule rule = textNumber == 3 ? IndexCountRule::AllCorners : IndexCountRule::FirstMeshTriangles;
    // The text models' normals face the other way from the lighting's convention.
    return AssembleLitModel(path, rule, NormalSign::Negated, warnings);
}

PartModelData AssemblePartModel(const std::string& path, std::span<const ModelPart> parts, TexCoordSign texCoordSign,
                                std::ostream& warnings)
{
    const ObjLoader loader(path);
    PartModelData model;
    model.ranges.resize(parts.size());
    WarnOfTextNotes(loader, warnings);
    if (WarnIfUnreadable(loader, path, warnings) || WarnIfFaceless(loader, path, warnings)) {
        return model;
    }
    CheckIndexable(loader.positionIndices.size(), path);

    model.vertices.reserve(3 * loader.faces.size());
    model.indices.reserve(3 * loader.faces.size());
    // The meshes hold the file's faces in file order, so a running count numbers them as the file does.
    size_t f = 0;
    for (const ObjMesh& mesh : loader.meshes) {
        for (size_t slot = 0; slot < parts.size(); ++slot) {
            if (parts[slot].meshName == mesh.name) {
                model.ranges[slot] = {static_cast<uint32_t>(3 * mesh.faces.size()),
                                      static_cast<uint32_t>(model.indices.size())};
            }
        }
        for (const ObjFace& face : mesh.faces) {
            CheckTriangle(face, path, f);
            for (size_t c = 0; c < face.size(); ++c) {
                PosNormalTexTanVertex vertex;
                vertex.Position = PositionAt(loader, face[c], path, f, c);
                vertex.Normal = NormalAt(loader, face[c], path, f, c);
                vertex.TexCoord = TexCoordAt(loader, face[c], path, f, c);
                if (texCoordSign == TexCoordSign::Negated) {
                    vertex.TexCoord = {-vertex.TexCoord.x, -vertex.TexCoord.y};
                }
                model.indices.push_back(static_cast<uint32_t>(model.vertices.size()));
                model.vertices.push_back(vertex);
            }
            ++f;
        }
    }
    model.indexCount = static_cast<uint32_t>(loader.positionIndices.size());
    ComputeTangents(model.vertices, model.indices);
    return model;
}

PartModelData AssemblePodModel(const std::string& path, std::ostream& warnings)
{
    return AssemblePartModel(path, PodPart, TexCoordSign::AsRead, warnings);
}

PartModelData AssembleRoomModel(const std::string& path, std::ostream& warnings)
{
    return AssemblePartModel(path, RoomPart, TexCoordSign::Negated, warnings);
}

SphereMeshData AssembleSphereMesh(float radius, uint32_t subdivisions)
{
    GeneratedMesh mesh;
    GeometryBuilder::MakeGeosphere(radius, subdivisions, mesh);
    SphereMeshData model;
    model.vertices.reserve(mesh.Vertices.size());
    for (const GeometryVertex& vertex : mesh.Vertices) {
        model.vertices.push_back({vertex.Position});
    }
    model.indices = std::move(mesh.Indices);
    model.indexCount = static_cast<uint32_t>(model.indices.size());
    return model;
}

void ComputeTangents(std::vector<PosNormalTexTanVertex>& vertices, const std::vector<uint32_t>& indices)
{
    std::vector<Float3> sums(vertices.size());
    for (size_t k = 0; k + 2 < indices.size(); k += 3) {
        const uint32_t i0 = indices[k];
        const uint32_t i1 = indices[k + 1];
        const uint32_t i2 = indices[k + 2];
        if (i0 >= vertices.size() || i1 >= vertices.size() || i2 >= vertices.size()) {
            continue;
        }
        const PosNormalTexTanVertex& v0 = vertices[i0];
        const PosNormalTexTanVertex& v1 = vertices[i1];
        const PosNormalTexTanVertex& v2 = vertices[i2];
        const Float3 e1 = v1.Position - v0.Position;
        const Float3 e2 = v2.Position - v0.Position;
        const float du1 = v1.TexCoord.x - v0.TexCoord.x;
        const float dv1 = v1.TexCoord.y - v0.TexCoord.y;
        const float du2 = v2.TexCoord.x - v0.TexCoord.x;
        const float dv2 = v2.TexCoord.y - v0.TexCoord.y;
        const float r = 1.0f / (du1 * dv2 - du2 * dv1);
        // Collinear texture coordinates give the triangle no u direction; it contributes nothing
        // rather than poisoning its vertices with infinities.
        if (!std::isfinite(r)) {
            continue;
        }
        const Float3 tangent = r * (dv2 * e1 - dv1 * e2);
        if (!IsFinite(tangent)) {
            continue;
        }
        sums[i0] += tangent;
        sums[i1] += tangent;
        sums[i2] += tangent;
    }

    for (size_t v = 0; v < vertices.size(); ++v) {
        const Float3 n = Normalize3(vertices[v].Normal);
        const Float3& t = sums[v];
        Float3 tangent = Normalize3(t - n * Dot3(n, t));
        if (!IsUnitLength(tangent)) {
            tangent = AnyPerpendicular(n);
        }
        vertices[v].Tangent = tangent;
    }
}
