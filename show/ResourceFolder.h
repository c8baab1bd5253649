#pragma once
// Where the show's assets are: the working directory when it has a Res/ folder holding them, else
// the folder of the executable (so the program also starts from elsewhere, by its full path), else
// the installed data folder beside it (P/share/vexa-rhino for P/bin). Every asset path of the show
// is relative ("Res/..."), so the chosen folder becomes the working directory.
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// True when folder/Res holds at least one of the files the show reads from there (models, textures,
// sky, music). A Res/ with effect sources only, as the repository's own, does not count.
bool HoldsShowAssets(const std::filesystem::path& folder);

// The folders looked in, in order: the working directory, then (when known) the executable's folder
// and the installed data folder beside it.
std::vector<std::filesystem::path> ResourceFolderCandidates(const std::filesystem::path& workingDirectory,
                                                            const std::filesystem::path& executableFolder);

// Why folder/Res cannot be looked into ("not a folder", "cannot be read (Permission denied)", ...);
// empty when it can, or when there is no Res at all. A Res that is there but unusable is named
// before another folder is taken, so that it is not passed over in silence.
std::string UnusableResourceFolder(const std::filesystem::path& folder);

// The first candidate that holds the assets, else nothing.
std::optional<std::filesystem::path> FindResourceFolder(const std::filesystem::path& workingDirectory,
                                                        const std::filesystem::path& executableFolder);

// Makes the folder found the working directory, after a warning on standard error for each folder
// before it whose Res is unusable. False, with one line for the user in `error` that names every
// folder tried (and why an unusable Res was passed over), when none holds the assets or the change
// fails.
bool EnterResourceFolder(std::string& error);
