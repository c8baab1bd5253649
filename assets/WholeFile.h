#pragma once
// Files read whole, and written whole or not at all.
//
// A file is read only when it is a regular file no larger than the limit its kind allows; it is
// opened without blocking, so a FIFO or a device in its place (a hostile or broken install) cannot
// stop the program or feed it forever.
//
// Written bytes go to a temporary beside the file, are flushed to the disk, and only then renamed
// over it, so a full disk, an I/O error or a crash never leaves half a file under its final name.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The file opened for reading when it is a regular file of at most `limit` bytes (its size in
// `size`); -1 otherwise, with the reason in `reason`: the system's ("No such file or directory"),
// "not a regular file" or "larger than N MiB". The caller closes the descriptor.
int OpenRegularFile(const std::string& path, std::uint64_t limit, std::uint64_t& size, std::string& reason);

// The whole file in `bytes`; false, with the reason as above (or the read's), and `bytes` empty.
bool ReadWholeFile(const std::string& path, std::uint64_t limit, std::string& bytes, std::string& reason);
bool ReadWholeFile(const std::string& path, std::uint64_t limit, std::vector<std::uint8_t>& bytes, std::string& reason);

// Whether a file finished beside `path` may be renamed onto it: a free name or a regular file. A
// device, a FIFO, a socket, a folder or a symbolic link is not ours to replace: renamed over,
// /dev/null would become a regular file for every program on the machine, and so would the link
// /dev/stdout. Then false, with the reason ("a character device is not replaced; ..."); the caller
// writes such a name directly or refuses it.
bool MayReplaceWhole(const std::string& path, std::string& reason);

// False, with "<path>: <reason>" in `error`, when any step fails (`path` not replaceable as above
// among them); the temporary is removed then.
bool WriteWholeFile(const std::string& path, const void* data, std::size_t size, std::string& error);

inline bool WriteWholeFile(const std::string& path, const std::vector<std::uint8_t>& bytes, std::string& error)
{
    return WriteWholeFile(path, bytes.data(), bytes.size(), error);
}
