#pragma once
// The command-line conventions every program of the project follows:
//   --help, -h   usage on standard output, status 0
//   --version    "<program> (Vexa Rhino) <version>" on standard output, status 0
//   an option the program does not know (any argument starting with '-'): a line naming it and the
//   usage on standard error, status 2
//   progress only when standard error is a terminal
#include <string>
#include <string_view>

// The version of this build: the project version and, for a build from a git checkout, what
// `git describe` said of it, as in "1.0.0 (git 3cd99c4)".
const char* ShowVersion();

enum class StandardOption {
    none,     // not one of the three: the program looks at it itself
    help,     // --help or -h
    version,  // --version
};

StandardOption ClassifyStandardOption(std::string_view argument);

// True for an argument that is an option (starts with '-'), known or not.
bool IsOption(std::string_view argument);

// Handles --help and --version by printing what they ask for; returns the status to exit with, or -1
// when the argument is neither.
int AnswerStandardOption(std::string_view argument, std::string_view program, std::string_view usage);

// Writes "<program>: <problem>" (when the problem is not empty) and the usage to standard error;
// returns 2, the status for a command line the program cannot use.
int UsageError(std::string_view program, std::string_view problem, std::string_view usage);

// True when standard error is a terminal: only then do the programs show progress (a log or a pipe
// gets only what goes wrong, not lines of progress or carriage returns).
bool ProgressShown();
