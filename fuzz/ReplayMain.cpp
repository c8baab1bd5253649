// Feeds every file of the folders (or files) named on the command line to a fuzz target once, in
// name order, so that a committed corpus runs as an ordinary test with any compiler. A target
// that rejects an input aborts, which fails the test; the input being run is printed first.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace fs = std::filesystem;

namespace {

bool ReadAll(const fs::path& path, std::vector<std::uint8_t>& bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s CORPUS_FOLDER_OR_FILE...\n", argv[0]);
        return 2;
    }
    std::vector<fs::path> inputs;
    for (int i = 1; i < argc; ++i) {
        const fs::path arg = argv[i];
        std::error_code ec;
        if (fs::is_directory(arg, ec)) {
            for (const fs::directory_entry& e : fs::recursive_directory_iterator(arg, ec))
                if (e.is_regular_file())
                    inputs.push_back(e.path());
            if (ec) {
                std::fprintf(stderr, "%s: cannot list: %s\n", argv[i], ec.message().c_str());
                return 2;
            }
        } else if (fs::is_regular_file(arg, ec)) {
            inputs.push_back(arg);
        } else {
            std::fprintf(stderr, "%s: no such corpus folder or file\n", argv[i]);
            return 2;
        }
    }
    if (inputs.empty()) {
        std::fprintf(stderr, "no inputs found in the given corpus\n");
        return 2;
    }
    std::sort(inputs.begin(), inputs.end());
    std::vector<std::uint8_t> bytes;
    for (const fs::path& path : inputs) {
        if (!ReadAll(path, bytes)) {
            std::fprintf(stderr, "%s: cannot read\n", path.c_str());
            return 2;
        }
        std::fprintf(stderr, "%s\n", path.c_str());
        std::fflush(stderr);
        LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    }
    std::printf("%zu inputs replayed\n", inputs.size());
    return 0;
}
