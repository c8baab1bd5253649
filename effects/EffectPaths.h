#pragma once
// Where the effect files are found: beside the executable, whatever the working directory, or in
// the installed data folder next to it.
#include <string>

// The program's own files (its Res/ folder) in an installed tree, relative to the executable's
// folder: P/bin/vexa-rhino reads P/share/vexa-rhino/Res. Relative, so a moved tree still works.
inline constexpr const char* kInstalledDataFolder = "../share/vexa-rhino";

// The running executable's folder: its full path cut just before the last "\" or "/"; the whole
// path when it holds neither.
std::string ExecutableDirectory();

// The cut alone, for any path.
std::string DirectoryOfPath(const std::string& path);

// directory + "/" + file, with every backslash (a separator on Windows) turned into "/".
std::string EffectFilePath(const std::string& directory, const std::string& file);

// Where an effect file (such as "Res/Sky.fx") is read from: beside the executable when it is there,
// else in the installed data folder when it is there, else beside the executable (whose path the
// failure then names).
std::string FindEffectFile(const std::string& directory, const std::string& file);

// Replaces where the executable's path comes from (tests run effects from a folder of their
// own); null restores the platform's answer.
using ExecutablePathSource = std::wstring (*)();
void SetExecutablePathSource(ExecutablePathSource source);
