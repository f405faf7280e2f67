#include "commandline/CommandLine.h"

#include "Version.h"

#include <cstdio>

namespace CommandLine {
bool IsHelpOrVersion(const std::string &argument, const char *tool, const char *usage)
{
    if (argument == "--help" || argument == "-h") {
        std::fputs(usage, stdout);
        return true;
    }
    if (argument == "--version") {
        std::printf("%s %s\n", tool, ProgramVersion);
        return true;
    }
    return false;
}

int UsageError(const char *tool, const std::string &reason, const char *usage)
{
    std::fprintf(stderr, "%s: %s\n", tool, reason.c_str());
    std::fputs(usage, stderr);
    return UsageStatus;
}
} // namespace CommandLine
