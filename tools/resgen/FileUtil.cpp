#include "tools/resgen/FileUtil.h"

#include <cstdio>
#include <mutex>
#include <stdexcept>

#include "app/CommandLine.h"
#include "assets/WholeFile.h"

namespace resgen {

namespace {

void WriteBytes(const std::string& path, const void* data, size_t size)
{
    std::string error;
    if (!WriteWholeFile(path, data, size, error))
        throw std::runtime_error(error);
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
