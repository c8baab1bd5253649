#include "app/CommandLine.h"

#include <unistd.h>

#include <cstdio>

#include "ShowVersion.h"

const char* ShowVersion()
{
    return SHOW_VERSION;
}

StandardOption ClassifyStandardOption(std::string_view argument)
{
    if (argument == "--help" || argument == "-h") {
        return StandardOption::help;
    }
    if (argument == "--version") {
        return StandardOption::version;
    }
    return StandardOption::none;
}

bool IsOption(std::string_view argument)
{
    return !argument.empty() && argument.front() == '-';
}

int AnswerStandardOption(std::string_view argument, std::string_view program, std::string_view usage)
{
    switch (ClassifyStandardOption(argument)) {
    case StandardOption::help:
        std::fwrite(usage.data(), 1, usage.size(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    case StandardOption::version:
        std::printf("%.*s (Vexa Rhino) %s\n", static_cast<int>(program.size()), program.data(), ShowVersion());
        return std::fflush(stdout) == 0 ? 0 : 1;
    case StandardOption::none: break;
    }
    return -1;
}

int UsageError(std::string_view program, std::string_view problem, std::string_view usage)
{
    if (!problem.empty()) {
        std::fprintf(stderr, "%.*s: %.*s\n", static_cast<int>(program.size()), program.data(),
                     static_cast<int>(problem.size()), problem.data());
    }
    std::fwrite(usage.data(), 1, usage.size(), stderr);
    return 2;
}

bool ProgressShown()
{
    static const bool terminal = ::isatty(STDERR_FILENO) == 1;
    return terminal;
}
