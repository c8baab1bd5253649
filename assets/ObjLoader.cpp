#include "assets/ObjLoader.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <memory>
#include <utility>

#include <sys/stat.h>

#include "assets/ObjText.h"

// ---- ObjFace ----

ObjFace::ObjFace(ObjFace&& other) noexcept
    : count(other.count), spilled(std::move(other.spilled))
{
    std::copy(other.inlineCorners, other.inlineCorners + kInlineCorners, inlineCorners);
    other.count = 0;
    other.spilled.clear();
}

ObjFace& ObjFace::operator=(ObjFace&& other) noexcept
{
    if (this != &other) {
        count = other.count;
        spilled = std::move(other.spilled);
        std::copy(other.inlineCorners, other.inlineCorners + kInlineCorners, inlineCorners);
        other.count = 0;
        other.spilled.clear();
    }
    return *this;
}

void ObjFace::push_back(const ObjFaceVertex& corner)
{
    if (count < kInlineCorners) {
        inlineCorners[count] = corner;
    } else {
        if (count == kInlineCorners) {
            spilled.assign(inlineCorners, inlineCorners + kInlineCorners);
        }
        spilled.push_back(corner);
    }
    ++count;
}

void ObjFace::clear()
{
    count = 0;
    spilled.clear();
}

bool operator==(const ObjFace& a, const ObjFace& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end());
}

ObjFormatError::ObjFormatError(const std::string& message, std::string path, size_t line)
    : std::runtime_error(path + ':' + std::to_string(line) + ": " + message),
      ObjErrorLocation(std::move(path), line)
{
}

// ---- reading ----

namespace {

// Builds an error message from pieces (GCC 12 warns falsely on chains of "literal" + std::string).
std::string Concat(std::initializer_list<std::string_view> pieces)
{
    std::string text;
    for (std::string_view piece : pieces) {
        text.append(piece);
    }
    return text;
}

std::string Quoted(std::string_view text)
{
    return Concat({"\"", text, "\""});
}

// Reads the whole file at once; false when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::string& contents)
{
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
    if (!file) {
        return false;
    }
    // A directory opens but does not read: treat it like a missing file.
    struct stat info {};
    if (fstat(fileno(file.get()), &info) != 0 || S_ISDIR(info.st_mode)) {
        return false;
    }
    contents.clear();
    if (S_ISREG(info.st_mode) && info.st_size > 0) {
        contents.reserve(static_cast<size_t>(info.st_size));
    }
    char chunk[1 << 16];
    size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) {
        contents.append(chunk, got);
    }
    // A file that fails while being read is treated like one that could not be opened.
    return std::ferror(file.get()) == 0;
}

// Hands out the lines of a text one at a time: a line ends at a line feed (the last one need not) and
// a carriage return right before the line feed is dropped, as a text-mode read does.
class LineReader {
public:
    explicit LineReader(std::string_view text) : rest(text) {}

    bool Next(std::string_view& line)
    {
        if (rest.empty()) {
            return false;
        }
        ++number;
        const void* hit = std::memchr(rest.data(), '\n', rest.size());
        if (hit == nullptr) {
            line = rest;
            rest = {};
            return true;
        }
        const size_t length = static_cast<size_t>(static_cast<const char*>(hit) - rest.data());
        line = rest.substr(0, length);
        rest.remove_prefix(length + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        return true;
    }

    size_t LineNumber() const { return number; }

private:
    std::string_view rest;
    size_t number = 0;
};

// Converts the numeric tokens of one file, raising errors that say where they happened.
class NumberReader {
public:
    explicit NumberReader(const std::string& path) : path(path) {}

    size_t line = 0;

    float Float(std::string_view token) const
    {
        float value = 0.0f;
        switch (objtext::ParseFloat(token, value)) {
        case objtext::NumberStatus::ok:
            return value;
        case objtext::NumberStatus::invalid:
            throw ObjInvalidNumber("invalid stof argument", path, line);
        case objtext::NumberStatus::outOfRange:
            break;
        }
        throw ObjNumberOutOfRange("stof argument out of range", path, line);
    }

    int32_t Int(std::string_view token) const
    {
        int32_t value = 0;
        switch (objtext::ParseInt(token, value)) {
        case objtext::NumberStatus::ok:
            return value;
        case objtext::NumberStatus::invalid:
            throw ObjInvalidNumber("invalid stoi argument", path, line);
        case objtext::NumberStatus::outOfRange:
            break;
        }
        throw ObjNumberOutOfRange("stoi argument out of range", path, line);
    }

    [[noreturn]] void Fail(const std::string& problem) const { throw ObjFormatError(problem, path, line); }

    // Token index of a keyword line as a float. A line that ends before it fails with what the keyword
    // needs; the values before it have been read by then, so a bad number earlier on the line is
    // reported as such.
    float FloatAt(const std::vector<std::string_view>& tokens, size_t index, std::string_view needs) const
    {
        if (index >= tokens.size()) {
            Fail(Concat({Quoted(tokens[0]), " needs ", needs, ", found ", std::to_string(tokens.size() - 1)}));
        }
        return Float(tokens[index]);
    }

private:
    const std::string& path;
};

}  // namespace

ObjLoader::ObjLoader(const std::string& path)
{
    LoadFile(path);
}

void ObjLoader::SplitString(std::string_view delimiter, std::string_view text, std::vector<std::string>& tokens)
{
    tokens.clear();
    const size_t n = delimiter.size();
    std::string cur;
    for (size_t p = 0; p < text.size(); ++p) {
        if (text.compare(p, n, delimiter) == 0 && text.size() - p >= n) {
            if (!cur.empty()) {
                tokens.push_back(std::move(cur));
                cur.clear();
                p += n - 1;
            } else {
                tokens.emplace_back();
            }
        } else if (p + n >= text.size()) {
            cur.append(text.substr(p));
            tokens.push_back(std::move(cur));
            break;
        } else {
            cur.push_back(text[p]);
        }
    }
}

void ObjLoader::LoadFile(const std::string& path)
{
    std::string contents;
    if (!ReadWholeFile(path, contents)) {
        return;
    }

    ObjMesh currentMesh;
    ObjMaterial currentMaterial;
    std::vector<ObjFace> pendingFaces;
    bool firstGroup = true;

    auto closeMesh = [&] {
        currentMesh.faces.insert(currentMesh.faces.end(), std::make_move_iterator(pendingFaces.begin()),
                                 std::make_move_iterator(pendingFaces.end()));
        pendingFaces.clear();
        currentMesh.material = currentMaterial;
        meshes.push_back(std::move(currentMesh));
        currentMesh = ObjMesh();
    };

    NumberReader numbers(path);
    LineReader lines(contents);
    std::vector<std::string_view> tokens;
    std::string_view line;
    while (lines.Next(line)) {
        numbers.line = lines.LineNumber();
        objtext::SplitFields(' ', line, tokens);
        if (tokens.size() < 2) {
            continue;
        }
        const std::string_view keyword = tokens[0];
        if (keyword == "f") {
            ObjFace face;
            for (size_t i = 1; i < tokens.size(); ++i) {
                const std::string_view corner = tokens[i];
                // Position, texture coordinate and normal parts; more parts are ignored.
                std::string_view parts[3];
                size_t start = 0;
                for (size_t k = 0; k < 3; ++k) {
                    const size_t slash = corner.find('/', start);
                    if (slash == std::string_view::npos) {
                        parts[k] = corner.substr(start);
                        break;
                    }
                    parts[k] = corner.substr(start, slash - start);
                    start = slash + 1;
                }
                if (corner.empty()) {
                    numbers.Fail(Concat({"face corner ", std::to_string(i), " is empty"}));
                }
                if (parts[0].empty()) {
                    numbers.Fail(Concat({"face corner ", std::to_string(i), " (", Quoted(corner), ") has no position index"}));
                }
                ObjFaceVertex vertex;
                vertex.position = numbers.Int(parts[0]);
                vertex.texCoord = parts[1].empty() ? 0 : numbers.Int(parts[1]);
                vertex.normal = parts[2].empty() ? 0 : numbers.Int(parts[2]);
                if (vertex.position == std::numeric_limits<int32_t>::min()) {
                    // Its index minus 1 has no 32-bit value.
                    numbers.Fail(Concat({"face corner ", std::to_string(i), " has the position index ",
                                         std::to_string(vertex.position), ", which is out of range"}));
                }
                face.push_back(vertex);
                positionIndices.push_back(vertex.position - 1);
            }
            faces.push_back(face);
            pendingFaces.push_back(std::move(face));
        } else if (keyword == "v") {
            constexpr std::string_view needs = "3 values (x y z) or 6 (x y z r g b)";
            ObjPosition position;
            position.x = numbers.FloatAt(tokens, 1, needs);
            position.y = numbers.FloatAt(tokens, 2, needs);
            position.z = numbers.FloatAt(tokens, 3, needs);
            if (tokens.size() > 4) {
                position.r = numbers.FloatAt(tokens, 4, needs);
                position.g = numbers.FloatAt(tokens, 5, needs);
                position.b = numbers.FloatAt(tokens, 6, needs);
            }
            positions.push_back(position);
        } else if (keyword == "vt") {
            ObjTexCoord texCoord;
            texCoord.u = numbers.FloatAt(tokens, 1, "2 values (u v)");
            texCoord.v = numbers.FloatAt(tokens, 2, "2 values (u v)");
            texCoords.push_back(texCoord);
        } else if (keyword == "vn") {
            ObjNormal normal;
            normal.x = numbers.FloatAt(tokens, 1, "3 values (x y z)");
            normal.y = numbers.FloatAt(tokens, 2, "3 values (x y z)");
            normal.z = numbers.FloatAt(tokens, 3, "3 values (x y z)");
            normals.push_back(normal);
        } else if (keyword == "g" || keyword == "o") {
            if (!firstGroup) {
                closeMesh();
            }
            currentMesh.name = tokens[1];
            firstGroup = false;
        } else if (keyword == "usemtl") {
            const auto found = std::find_if(materials.begin(), materials.end(),
                                            [&](const ObjMaterial& m) { return m.name == tokens[1]; });
            if (found != materials.end()) {
                currentMaterial = *found;
            }
        } else if (keyword == "mtllib") {
            LoadMaterials(std::string(tokens[1]));
        }
    }
    closeMesh();
}

void ObjLoader::LoadMaterials(const std::string& path)
{
    std::string contents;
    if (!ReadWholeFile(path, contents)) {
        return;
    }

    ObjMaterial material;
    size_t newmtlCount = 0;

    NumberReader numbers(path);
    LineReader lines(contents);
    std::vector<std::string_view> tokens;
    std::string_view line;
    while (lines.Next(line)) {
        numbers.line = lines.LineNumber();
        objtext::SplitFields(' ', line, tokens);
        if (tokens.size() < 2) {
            continue;
        }
        const std::string_view keyword = tokens[0];
        auto readColour = [&](float (&colour)[3]) {
            for (size_t i = 0; i < 3; ++i) {
                colour[i] = numbers.FloatAt(tokens, i + 1, "3 values (r g b)");
            }
        };
        if (keyword == "newmtl") {
            if (newmtlCount != 0) {
                materials.push_back(std::move(material));
                material = ObjMaterial();
            }
            material.name = tokens[1];
            ++newmtlCount;
        } else if (keyword == "Ka") {
            readColour(material.Ka);
        } else if (keyword == "Kd") {
            readColour(material.Kd);
        } else if (keyword == "Ks") {
            readColour(material.Ks);
        } else if (keyword == "Ns") {
            material.Ns = numbers.Float(tokens[1]);
        } else if (keyword == "Ni") {
            material.Ni = numbers.Float(tokens[1]);
        } else if (keyword == "d") {
            material.d = numbers.Float(tokens[1]);
        } else if (keyword == "illum") {
            material.illum = numbers.Int(tokens[1]);
        } else if (keyword == "map_Ka") {
            material.map_Ka = tokens[1];
        } else if (keyword == "map_Kd") {
            material.map_Kd = tokens[1];
        } else if (keyword == "map_Ks") {
            material.map_Ks = tokens[1];
        } else if (keyword == "map_Ns") {
            material.map_Ns = tokens[1];
        } else if (keyword == "map_Bump") {
            material.map_Bump = tokens[1];
        } else if (keyword == "map_d") {
            material.map_d = tokens[1];
        }
    }
    materials.push_back(std::move(material));
}
