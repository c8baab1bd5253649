#pragma once
// Reader for the subset of Wavefront OBJ and MTL that the scene's models use. It fills plain lists in
// file order and nothing more: no triangulation, no index renumbering, no path resolution (file names
// are opened exactly as written, relative to the current directory).
//
// Lines end at a line feed; a carriage return right before it is dropped. Numbers are decimal and read
// as std::stoi / std::stof read them in the C locale, except that values too small for a normal float
// read as the nearest float instead of failing (see assets/ObjText.h).
//
// Errors. A file that cannot be opened is not an error (the lists stay as they were); a directory, or a
// file whose reading fails, counts as one that cannot be opened. Anything else that cannot be read
// ends the load with an exception:
// - a bad number throws ObjInvalidNumber (a std::invalid_argument) or ObjNumberOutOfRange (a
//   std::out_of_range) whose what() is exactly the message of the standard conversion
//   ("invalid stof argument", "stof argument out of range", "invalid stoi argument",
//   "stoi argument out of range"), so callers that match on those keep working; the file and the
//   1-based line come with them through path() and line();
// - a keyword line with fewer values than the keyword needs ("v" needs 3 or 6, "vt" 2, "vn", "Ka",
//   "Kd" and "Ks" 3), a face corner that is empty or has no position index, or a position index of
//   -2147483648 (whose stored index minus 1 does not exist) throws ObjFormatError (a
//   std::runtime_error) whose message names the file, the line and the problem. Reading on would
//   index past the line's tokens or store a corner that refers to nothing, so these are refused
//   rather than guessed at. The values before the missing one are read first, so a bad number earlier
//   on the line is still reported as a bad number.

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

struct ObjPosition {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;
    float a = 1.0f;
};

struct ObjTexCoord {
    float u = 0.0f;
    float v = 0.0f;
};

struct ObjNormal {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

// 1-based indices as written in the file; 0 where the corner gives none.
struct ObjFaceVertex {
    int32_t position = 0;
    int32_t texCoord = 0;
    int32_t normal = 0;

    friend bool operator==(const ObjFaceVertex&, const ObjFaceVertex&) = default;
};

// The corners of one "f" line, in order. Models are mostly triangles and quads, so up to four corners
// live inside the face and only larger polygons use the heap; a model of a million faces is then not a
// million small allocations, and copying a face is a plain copy of 56 bytes.
class ObjFace {
public:
    static constexpr size_t kInlineCorners = 4;

    ObjFace() = default;
    ObjFace(const ObjFace& other);
    ObjFace& operator=(const ObjFace& other);
    // A moved-from face is empty.
    ObjFace(ObjFace&& other) noexcept;
    ObjFace& operator=(ObjFace&& other) noexcept;
    ~ObjFace();

    size_t size() const { return count; }
    bool empty() const { return count == 0; }
    const ObjFaceVertex* data() const { return OnHeap() ? heapCorners : inlineCorners; }
    ObjFaceVertex* data() { return OnHeap() ? heapCorners : inlineCorners; }
    const ObjFaceVertex& operator[](size_t i) const { return data()[i]; }
    ObjFaceVertex& operator[](size_t i) { return data()[i]; }
    const ObjFaceVertex* begin() const { return data(); }
    const ObjFaceVertex* end() const { return data() + count; }
    ObjFaceVertex* begin() { return data(); }
    ObjFaceVertex* end() { return data() + count; }

    void push_back(const ObjFaceVertex& corner);
    void clear() { count = 0; }

    friend bool operator==(const ObjFace& a, const ObjFace& b);

private:
    bool OnHeap() const { return capacity > kInlineCorners; }
    void Release();

    uint32_t count = 0;
    uint32_t capacity = kInlineCorners;  // more than kInlineCorners: the corners are on the heap
    union {
        ObjFaceVertex inlineCorners[kInlineCorners] = {};
        ObjFaceVertex* heapCorners;
    };
};

struct ObjMaterial {
    std::string name;
    float Ka[3] = {};
    float Kd[3] = {};
    float Ks[3] = {};
    float Ns = 0.0f;
    float Ni = 0.0f;
    float d = 0.0f;
    int32_t illum = 0;
    std::string map_Ka;
    std::string map_Kd;
    std::string map_Ks;
    std::string map_Ns;
    std::string map_Bump;
    std::string map_d;
};

struct ObjMesh {
    std::string name;
    ObjMaterial material;
    std::vector<ObjFace> faces;
};

// Where in which file a read failed; shared by all errors of the reader.
class ObjErrorLocation {
public:
    ObjErrorLocation(std::string path, size_t line) : filePath(std::move(path)), lineNumber(line) {}
    const std::string& path() const { return filePath; }
    size_t line() const { return lineNumber; }  // 1-based

private:
    std::string filePath;
    size_t lineNumber;
};

class ObjInvalidNumber : public std::invalid_argument, public ObjErrorLocation {
public:
    ObjInvalidNumber(const char* message, std::string path, size_t line)
        : std::invalid_argument(message),
          ObjErrorLocation(std::move(path), line)
    {}
};

class ObjNumberOutOfRange : public std::out_of_range, public ObjErrorLocation {
public:
    ObjNumberOutOfRange(const char* message, std::string path, size_t line)
        : std::out_of_range(message),
          ObjErrorLocation(std::move(path), line)
    {}
};

class ObjFormatError : public std::runtime_error, public ObjErrorLocation {
public:
    // message is the problem alone; what() prefixes it with "<path>:<line>: ".
    ObjFormatError(const std::string& message, std::string path, size_t line);
};

class ObjLoader {
public:
    explicit ObjLoader(const std::string& path);

    // Reads one OBJ file into the lists, and every library its "mtllib" lines name.
    void LoadFile(const std::string& path);
    // Reads one MTL file and appends its materials.
    void LoadMaterials(const std::string& path);

    // Clears tokens and fills it with the pieces of text between delimiters. A delimiter that directly
    // follows the start of the text or another delimiter gives an empty piece; a trailing delimiter
    // gives nothing; an empty text gives no pieces. After an empty piece the scan moves on by one
    // character only, so with a longer delimiter "--a" gives "" and "-a".
    static void SplitString(std::string_view delimiter, std::string_view text, std::vector<std::string>& tokens);

    std::vector<ObjPosition> positions;
    std::vector<ObjTexCoord> texCoords;
    std::vector<ObjNormal> normals;
    std::vector<ObjFace> faces;            // every face of the file, whichever mesh holds it
    std::vector<int32_t> positionIndices;  // each corner's position index minus 1
    std::vector<ObjMesh> meshes;
    std::vector<ObjMaterial> materials;
    // Each model or material file that could not be read (missing, not a regular file, too large)
    // and why; what it would have held is simply absent.
    struct UnreadableFile {
        std::string path;
        std::string reason;
        bool operator==(const UnreadableFile&) const = default;
    };
    std::vector<UnreadableFile> unreadableFiles;
    // What the reader read in a way its writer most likely did not mean, though the grammar says so: a
    // byte order mark glued to the first keyword, fields separated by tabs, lines that end in a carriage
    // return alone, a hexadecimal number read as its leading 0. One note per kind and file, at the first
    // line it happened on, so that a model that then fails or draws nothing comes with the reason.
    struct TextNote {
        std::string path;
        size_t line = 0;  // 1-based
        std::string problem;
        bool operator==(const TextNote&) const = default;
    };
    std::vector<TextNote> textNotes;
};
