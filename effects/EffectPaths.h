#pragma once
// Where the effect files are found: beside the executable, whatever the working directory.
#include <string>

// The running executable's folder: its full path cut just before the last "\" or "/"; the whole
// path when it holds neither.
std::string ExecutableDirectory();

// The cut alone, for any path.
std::string DirectoryOfPath(const std::string& path);

// directory + "/" + file, with every backslash (a separator on Windows) turned into "/".
std::string EffectFilePath(const std::string& directory, const std::string& file);

// Replaces where the executable's path comes from (tests run effects from a folder of their
// own); null restores the platform's answer.
using ExecutablePathSource = std::wstring (*)();
void SetExecutablePathSource(ExecutablePathSource source);
