#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace resgen {

// Write whole files (never half of one under its name); throw std::runtime_error naming the file and
// the reason on failure.
void WriteTextFile(const std::string& path, const std::string& text);
void WriteBinaryFile(const std::string& path, const std::vector<uint8_t>& bytes);

// Progress lines on standard error, one per finished asset, safe from several threads; written
// only when standard error is a terminal.
void Progress(const std::string& message);
// A line on standard error whatever it is (errors), serialized with the progress lines.
void Report(const std::string& message);

}  // namespace resgen
