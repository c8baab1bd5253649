#include "assets/ObjLoader.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <memory>
#include <utility>

#include <sys/mman.h>
#include <unistd.h>

#include "assets/ObjText.h"
#include "assets/WholeFile.h"

// ---- ObjFace ----

ObjFace::ObjFace(const ObjFace& other) : count(other.count)
{
    if (count <= kInlineCorners) {
        // The whole inline block: a fixed-size copy is cheaper than one sized by the count.
        std::copy(other.data(), other.data() + kInlineCorners, inlineCorners);
    } else {
        heapCorners = new ObjFaceVertex[count];
        capacity = count;
        std::copy(other.begin(), other.end(), heapCorners);
    }
}

ObjFace& ObjFace::operator=(const ObjFace& other)
{
    if (this != &other) {
        ObjFace copy(other);
        *this = std::move(copy);
    }
    return *this;
}

ObjFace::ObjFace(ObjFace&& other) noexcept : count(other.count), capacity(other.capacity)
{
    if (other.OnHeap()) {
        heapCorners = other.heapCorners;
        other.capacity = kInlineCorners;
    } else {
        std::copy(other.inlineCorners, other.inlineCorners + kInlineCorners, inlineCorners);
    }
    other.count = 0;
}

ObjFace& ObjFace::operator=(ObjFace&& other) noexcept
{
    if (this != &other) {
        Release();
        count = other.count;
        capacity = other.capacity;
        if (other.OnHeap()) {
            heapCorners = other.heapCorners;
            other.capacity = kInlineCorners;
        } else {
            std::copy(other.inlineCorners, other.inlineCorners + kInlineCorners, inlineCorners);
        }
        other.count = 0;
    }
    return *this;
}

ObjFace::~ObjFace()
{
    Release();
}

void ObjFace::Release()
{
    if (OnHeap()) {
        delete[] heapCorners;
        capacity = kInlineCorners;
    }
}

void ObjFace::push_back(const ObjFaceVertex& corner)
{
    if (count == capacity) {
        const uint32_t grown = capacity * 2;
        ObjFaceVertex* corners = new ObjFaceVertex[grown];
        std::copy(begin(), end(), corners);
        Release();
        heapCorners = corners;
        capacity = grown;
    }
    data()[count] = corner;
    ++count;
}

bool operator==(const ObjFace& a, const ObjFace& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end());
}

ObjFormatError::ObjFormatError(const std::string& message, std::string path, size_t line)
    : std::runtime_error(path + ':' + std::to_string(line) + ": " + message),
      ObjErrorLocation(std::move(path), line)
{}

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

// Model files past this are not the show's (its largest is a few megabytes) nor anyone's by mistake.
constexpr std::uint64_t kMaxModelFileBytes = 1ull << 30;

// The whole text of one file, mapped into memory (one system call, no copy of the file cache, which
// matters for models of a hundred megabytes). Only a regular file is read: opened without blocking
// and looked at first, so a FIFO or a device in a model's place is refused rather than waited on or
// read forever. Model files are not rewritten while the show loads them; a file cut short by another
// process during the read would fault, as with any mapped file.
class FileText {
public:
    FileText() = default;
    FileText(const FileText&) = delete;
    FileText& operator=(const FileText&) = delete;
    ~FileText()
    {
        if (mapped != nullptr) {
            munmap(mapped, mappedSize);
        }
    }

    // False, with the reason, when the file cannot be opened or read or is not a regular file.
    bool Load(const std::string& path, std::string& reason)
    {
        std::uint64_t size = 0;
        const int fd = OpenRegularFile(path, kMaxModelFileBytes, size, reason);
        if (fd < 0) {
            return false;
        }
        const bool loaded = LoadFrom(fd, static_cast<size_t>(size), reason);
        close(fd);
        return loaded;
    }

    std::string_view Text() const
    {
        return mapped != nullptr ? std::string_view(static_cast<const char*>(mapped), mappedSize)
                                 : std::string_view(read);
    }

private:
    bool LoadFrom(int fd, size_t size, std::string& reason)
    {
        if (size > 0) {
            void* view = mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
            if (view != MAP_FAILED) {
                mapped = view;
                mappedSize = size;
                return true;
            }
        }
        // Where it cannot be mapped (an empty file, a file system without mappings), it is read.
        char chunk[1 << 16];
        for (;;) {
            const ssize_t got = ::read(fd, chunk, sizeof chunk);
            if (got == 0) {
                return true;
            }
            if (got < 0) {
                if (errno == EINTR) {
                    continue;
                }
                reason = std::strerror(errno);
                return false;
            }
            read.append(chunk, static_cast<size_t>(got));
        }
    }

    void* mapped = nullptr;
    size_t mappedSize = 0;
    std::string read;
};

// Collects a file's text notes (ObjLoader::textNotes), the first of each kind only.
class TextNotes {
public:
    enum Kind { byteOrderMark, wideText, tabs, carriageReturns, hexadecimal, decimalComma, extraValues, kindCount };

    TextNotes(const std::string& path, std::vector<ObjLoader::TextNote>& notes) : path(path), notes(notes) {}

    bool Noted(Kind kind) const { return noted[kind]; }

    void Note(Kind kind, size_t line, std::string problem)
    {
        if (!noted[kind]) {
            noted[kind] = true;
            notes.push_back({path, line, std::move(problem)});
        }
    }

    // The notes that the file's text shows before any line is read.
    void NoteWholeText(std::string_view text)
    {
        // UTF-16 text (with its byte order mark, or ASCII with a zero byte beside each letter) reads as
        // one long word the reader does not know: nothing in it is read.
        if (text.starts_with("\xFF\xFE") || text.starts_with("\xFE\xFF") ||
            (text.size() >= 2 && (text[0] == '\0') != (text[1] == '\0'))) {
            Note(wideText, 1,
                 "the file is UTF-16 text; the reader takes ASCII or UTF-8 only, so nothing in it is read (save it "
                 "as UTF-8)");
        }
        if (text.starts_with("\xEF\xBB\xBF")) {
            Note(byteOrderMark, 1,
                 "the file starts with a UTF-8 byte order mark, which the reader takes as part of the first word, "
                 "so line 1 is skipped");
        }
        // Looking at the first carriage return is enough: a file's lines end all the same way.
        const size_t cr = text.find('\r');
        if (cr != std::string_view::npos && (cr + 1 == text.size() || text[cr + 1] != '\n')) {
            const size_t line = 1 + static_cast<size_t>(std::count(text.begin(), text.begin() + cr, '\n'));
            Note(carriageReturns, line,
                 "this line ends in a carriage return alone; only a line feed ends a line, so what follows is "
                 "read as part of this line");
        }
    }

    // A line of one token whose keyword is followed by a tab: "v\t1\t2\t3" is one unknown word. A comment
    // is skipped either way.
    void NoteIfTabSeparated(std::string_view token, size_t line)
    {
        const size_t tab = token.find('\t');
        if (tab != std::string_view::npos && tab > 0 && token[0] != '#') {
            Note(tabs, line,
                 Concat({"tabs separate the fields of this line; only spaces do, so the line (",
                         Quoted(token.substr(0, tab)), " and what follows) is skipped"}));
        }
    }

private:
    const std::string& path;
    std::vector<ObjLoader::TextNote>& notes;
    bool noted[kindCount] = {};
};

bool LooksHexadecimal(std::string_view token)
{
    if (!token.empty() && (token[0] == '+' || token[0] == '-')) {
        token.remove_prefix(1);
    }
    return token.size() > 2 && token[0] == '0' && (token[1] == 'x' || token[1] == 'X');
}

// Converts the numeric tokens of one file, raising errors that say where they happened.
class NumberReader {
public:
    explicit NumberReader(const std::string& path) : path(path) {}

    size_t line = 0;

    float Float(std::string_view token) const
    {
        float value = 0.0f;
        switch (objtext::ParseFloat(token, value)) {
        case objtext::NumberStatus::ok: return value;
        case objtext::NumberStatus::invalid: throw ObjInvalidNumber("invalid stof argument", path, line);
        case objtext::NumberStatus::outOfRange: break;
        }
        throw ObjNumberOutOfRange("stof argument out of range", path, line);
    }

    int32_t Int(std::string_view token) const
    {
        int32_t value = 0;
        switch (objtext::ParseInt(token, value)) {
        case objtext::NumberStatus::ok: return value;
        case objtext::NumberStatus::invalid: throw ObjInvalidNumber("invalid stoi argument", path, line);
        case objtext::NumberStatus::outOfRange: break;
        }
        throw ObjNumberOutOfRange("stoi argument out of range", path, line);
    }

    [[noreturn]] void Fail(const std::string& problem) const { throw ObjFormatError(problem, path, line); }

    // A hexadecimal float reads as the 0 before its x, and 0,5 as the 0 before its comma (the decimal
    // separator is a point, whatever the writer's locale). Each said once per file.
    float FloatNoting(std::string_view token, TextNotes& notes) const
    {
        const float value = Float(token);
        if (value == 0.0f && LooksHexadecimal(token)) {
            notes.Note(TextNotes::hexadecimal, line,
                       Concat({Quoted(token), " is read as 0: numbers are decimal, and the reader stops at the x"}));
        }
        if (const size_t comma = token.find(','); comma != std::string_view::npos) {
            notes.Note(TextNotes::decimalComma, line,
                       Concat({Quoted(token), " is read as ", Quoted(token.substr(0, comma)),
                               ": the decimal separator is a point, and the reader stops at the comma"}));
        }
        return value;
    }

    // Token index of a keyword line as a float. A line that ends before it fails with what the keyword
    // needs; the values before it have been read by then, so a bad number earlier on the line is
    // reported as such.
    float FloatAt(const std::vector<std::string_view>& tokens, size_t index, std::string_view needs,
                  TextNotes& notes) const
    {
        if (index >= tokens.size()) {
            Fail(Concat({Quoted(tokens[0]), " needs ", needs, ", found ", std::to_string(tokens.size() - 1)}));
        }
        return FloatNoting(tokens[index], notes);
    }

private:
    const std::string& path;
};

// Reads a corner written as up to three runs of at most nine digits joined by slashes ("7", "7/8",
// "7//9", "7/8/9", "7/8/"): the form of nearly every corner, read here without the general number
// conversion. Returns false for anything else, which ReadCorner then reads with the full rules.
bool ReadPlainCorner(std::string_view corner, ObjFaceVertex& vertex)
{
    const char* p = corner.data();
    const char* const end = p + corner.size();
    int32_t values[3] = {0, 0, 0};
    for (int part = 0; part < 3; ++part) {
        const char* const digits = p;
        int32_t value = 0;
        while (p != end && *p >= '0' && *p <= '9' && p - digits < 9) {
            value = value * 10 + (*p - '0');
            ++p;
        }
        if ((p != end && *p != '/') || (part == 0 && p == digits)) {
            return false;
        }
        values[part] = value;
        if (p == end) {
            break;
        }
        if (part == 2) {
            return false;  // a fourth part
        }
        ++p;
    }
    vertex = {values[0], values[1], values[2]};
    return true;
}

// Reads corner number index of a face line: the position, texture-coordinate and normal parts
// between slashes (more parts are ignored); a missing or empty texture or normal part is 0.
ObjFaceVertex ReadCorner(std::string_view corner, size_t index, const NumberReader& numbers)
{
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
        numbers.Fail(Concat({"face corner ", std::to_string(index), " is empty"}));
    }
    if (parts[0].empty()) {
        numbers.Fail(Concat({"face corner ", std::to_string(index), " (", Quoted(corner), ") has no position index"}));
    }
    ObjFaceVertex vertex;
    vertex.position = numbers.Int(parts[0]);
    vertex.texCoord = parts[1].empty() ? 0 : numbers.Int(parts[1]);
    vertex.normal = parts[2].empty() ? 0 : numbers.Int(parts[2]);
    if (vertex.position == std::numeric_limits<int32_t>::min()) {
        // Its index minus 1 has no 32-bit value.
        numbers.Fail(Concat({"face corner ", std::to_string(index), " has the position index ",
                             std::to_string(vertex.position), ", which is out of range"}));
    }
    return vertex;
}

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

namespace {

// Large lists are filled right after they grow; asking for huge pages turns tens of thousands of page
// faults into a few dozen. Only a hint: without transparent huge pages nothing changes.
template <typename T>
void PreferHugePages(const std::vector<T>& list)
{
    constexpr uintptr_t kHugePage = uintptr_t{2} << 20;
    const auto begin = reinterpret_cast<uintptr_t>(list.data());
    const uintptr_t end = begin + list.capacity() * sizeof(T);
    const uintptr_t first = (begin + kHugePage - 1) & ~(kHugePage - 1);
    const uintptr_t last = end & ~(kHugePage - 1);
    if (last > first) {
        madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
    }
}

// Appends to a list that grows by doubling, as push_back does, but gives the hint above to each new
// buffer before anything is written to it.
template <typename T>
T& Append(std::vector<T>& list)
{
    if (list.size() == list.capacity()) {
        std::vector<T> grown;
        grown.reserve(std::max<size_t>(64, list.capacity() * 2));
        PreferHugePages(grown);
        grown.insert(grown.end(), std::make_move_iterator(list.begin()), std::make_move_iterator(list.end()));
        list.swap(grown);
    }
    return list.emplace_back();
}

}  // namespace

void ObjLoader::LoadFile(const std::string& path)
{
    FileText file;
    if (std::string reason; !file.Load(path, reason)) {
        unreadableFiles.push_back({path, reason});
        return;
    }
    const std::string_view contents = file.Text();

    ObjMesh currentMesh;
    ObjMaterial currentMaterial;
    // The faces read since the current mesh began are the tail of the faces list from here on.
    size_t pendingFacesStart = faces.size();
    bool firstGroup = true;

    auto closeMesh = [&] {
        currentMesh.faces.reserve(faces.size() - pendingFacesStart);
        PreferHugePages(currentMesh.faces);
        currentMesh.faces.insert(currentMesh.faces.end(), faces.begin() + static_cast<ptrdiff_t>(pendingFacesStart),
                                 faces.end());
        pendingFacesStart = faces.size();
        currentMesh.material = currentMaterial;
        meshes.push_back(std::move(currentMesh));
        currentMesh = ObjMesh();
    };

    NumberReader numbers(path);
    TextNotes notes(path, textNotes);
    notes.NoteWholeText(contents);
    objtext::LineSplitter lines(contents);
    std::vector<std::string_view> tokens;
    while (lines.Next(tokens)) {
        numbers.line = lines.LineNumber();
        if (tokens.size() < 2) {
            if (tokens.size() == 1) {
                notes.NoteIfTabSeparated(tokens[0], numbers.line);
            }
            continue;
        }
        const std::string_view keyword = tokens[0];
        if (keyword == "f") {
            ObjFace& face = Append(faces);
            for (size_t i = 1; i < tokens.size(); ++i) {
                ObjFaceVertex vertex;
                if (!ReadPlainCorner(tokens[i], vertex)) {
                    vertex = ReadCorner(tokens[i], i, numbers);
                }
                face.push_back(vertex);
                Append(positionIndices) = vertex.position - 1;
            }
        } else if (keyword == "v") {
            constexpr std::string_view needs = "3 values (x y z) or 6 (x y z r g b)";
            ObjPosition position;
            position.x = numbers.FloatAt(tokens, 1, needs, notes);
            position.y = numbers.FloatAt(tokens, 2, needs, notes);
            position.z = numbers.FloatAt(tokens, 3, needs, notes);
            if (tokens.size() > 4) {
                position.r = numbers.FloatAt(tokens, 4, needs, notes);
                position.g = numbers.FloatAt(tokens, 5, needs, notes);
                position.b = numbers.FloatAt(tokens, 6, needs, notes);
            }
            // Lines joined by carriage returns alone have their own note, which explains these too.
            if (tokens.size() > 7 && !notes.Noted(TextNotes::carriageReturns)) {
                notes.Note(TextNotes::extraValues, numbers.line,
                           Concat({"\"v\" has ", std::to_string(tokens.size() - 1), " values; it takes ", needs,
                                   ", so the rest are not read"}));
            }
            Append(positions) = position;
        } else if (keyword == "vt") {
            ObjTexCoord texCoord;
            texCoord.u = numbers.FloatAt(tokens, 1, "2 values (u v)", notes);
            texCoord.v = numbers.FloatAt(tokens, 2, "2 values (u v)", notes);
            Append(texCoords) = texCoord;
        } else if (keyword == "vn") {
            ObjNormal normal;
            normal.x = numbers.FloatAt(tokens, 1, "3 values (x y z)", notes);
            normal.y = numbers.FloatAt(tokens, 2, "3 values (x y z)", notes);
            normal.z = numbers.FloatAt(tokens, 3, "3 values (x y z)", notes);
            Append(normals) = normal;
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
    FileText file;
    if (std::string reason; !file.Load(path, reason)) {
        unreadableFiles.push_back({path, reason});
        return;
    }
    const std::string_view contents = file.Text();

    ObjMaterial material;
    size_t newmtlCount = 0;

    NumberReader numbers(path);
    TextNotes notes(path, textNotes);
    notes.NoteWholeText(contents);
    objtext::LineSplitter lines(contents);
    std::vector<std::string_view> tokens;
    while (lines.Next(tokens)) {
        numbers.line = lines.LineNumber();
        if (tokens.size() < 2) {
            if (tokens.size() == 1) {
                notes.NoteIfTabSeparated(tokens[0], numbers.line);
            }
            continue;
        }
        const std::string_view keyword = tokens[0];
        auto readColour = [&](float(&colour)[3]) {
            for (size_t i = 0; i < 3; ++i) {
                colour[i] = numbers.FloatAt(tokens, i + 1, "3 values (r g b)", notes);
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
            material.Ns = numbers.FloatNoting(tokens[1], notes);
        } else if (keyword == "Ni") {
            material.Ni = numbers.FloatNoting(tokens[1], notes);
        } else if (keyword == "d") {
            material.d = numbers.FloatNoting(tokens[1], notes);
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
