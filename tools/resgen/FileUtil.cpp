#include "tools/resgen/FileUtil.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <stdexcept>

#include "app/CommandLine.h"

namespace resgen {

namespace {

void WriteBytes(const std::string& path, const void* data, size_t size)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        throw std::runtime_error(path + ": cannot open for writing: " + std::strerror(errno));
    size_t written = size ? std::fwrite(data, 1, size, f) : 0;
    int closeResult = std::fclose(f);
    if (written != size || closeResult != 0)
        throw std::runtime_error(path + ": write failed: " + std::strerror(errno));
}

std::mutex& ProgressMutex()
{
    static std::mutex m;
    return m;
}

}  // namespace

void WriteTextFile(const std::string& path, const std::string& text)
{
    WriteBytes(path, text.data(), text.size());
}

void WriteBinaryFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    WriteBytes(path, bytes.data(), bytes.size());
}

void Progress(const std::string& message)
{
    if (ProgressShown()) {
        Report(message);
    }
}

void Report(const std::string& message)
{
    std::lock_guard<std::mutex> lock(ProgressMutex());
    std::fprintf(stderr, "resgen: %s\n", message.c_str());
}

}  // namespace resgen
