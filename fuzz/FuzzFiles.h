#pragma once
// A private scratch folder for one input of a target whose code under test reads files by name.
// It lives in /dev/shm when that exists, so a run of millions of inputs does not wear a disk. It is
// made per input and removed after it, since libFuzzer ends without running static destructors.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>

#include <fcntl.h>
#include <unistd.h>

class FuzzFiles {
public:
    FuzzFiles()
    {
        std::string pattern = Base() + "/vexa-fuzz.XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr)
            Die("cannot create a scratch folder in", Base());
        dir_ = pattern;
    }
    ~FuzzFiles()
    {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    FuzzFiles(const FuzzFiles&) = delete;
    FuzzFiles& operator=(const FuzzFiles&) = delete;

    const std::string& Dir() const { return dir_; }
    std::string Path(std::string_view name) const { return dir_ + "/" + std::string(name); }

    void Write(std::string_view name, const std::uint8_t* data, std::size_t size) const
    {
        const std::string path = Path(name);
        std::FILE* f = std::fopen(path.c_str(), "wb");
        if (f == nullptr)
            Die("cannot create", path);
        if (size != 0 && std::fwrite(data, 1, size, f) != size)
            Die("cannot write", path);
        if (std::fclose(f) != 0)
            Die("cannot write", path);
    }

    // Runs `f` with the scratch folder as the current directory, for readers that open names as
    // written in the file they read.
    template <typename F>
    void InDir(F&& f) const
    {
        const int back = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (back < 0 || ::chdir(dir_.c_str()) != 0)
            Die("cannot enter", dir_);
        struct Restore {
            int fd;
            ~Restore()
            {
                if (::fchdir(fd) != 0)
                    std::abort();
                ::close(fd);
            }
        } restore{back};
        f();
    }

private:
    static const std::string& Base()
    {
        static const std::string base = [] {
            if (::access("/dev/shm", W_OK) == 0)
                return std::string("/dev/shm");
            const char* tmp = std::getenv("TMPDIR");
            return std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp");
        }();
        return base;
    }

    [[noreturn]] static void Die(const char* what, const std::string& path)
    {
        std::fprintf(stderr, "fuzz: %s %s\n", what, path.c_str());
        std::abort();
    }

    std::string dir_;
};

// Splits an input at its first NUL byte: the text before it, and what follows (empty when there
// is no NUL). Targets use the second part as the content of a file the first one names.
inline std::pair<std::string_view, std::string_view> SplitAtNul(const std::uint8_t* data, std::size_t size)
{
    const std::string_view all(reinterpret_cast<const char*>(data), size);
    const std::size_t nul = all.find('\0');
    if (nul == std::string_view::npos)
        return {all, {}};
    return {all.substr(0, nul), all.substr(nul + 1)};
}
