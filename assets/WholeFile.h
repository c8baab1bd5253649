#pragma once
// Files written whole or not at all: the bytes go to a temporary beside the file, are flushed to the
// disk, and only then renamed over it, so a full disk, an I/O error or a crash never leaves half a
// file under its final name.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// False, with "<path>: <reason>" in `error`, when any step fails; the temporary is removed then.
bool WriteWholeFile(const std::string& path, const void* data, std::size_t size, std::string& error);

inline bool WriteWholeFile(const std::string& path, const std::vector<std::uint8_t>& bytes, std::string& error)
{
    return WriteWholeFile(path, bytes.data(), bytes.size(), error);
}
