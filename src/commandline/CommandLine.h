#pragma once

#include <string>

// What every tool's command line has in common: --help prints the tool's
// usage text (with an example) on standard output, --version its name and
// version, and a wrong argument one line with the reason and then the usage
// on standard error, with exit status 2.

namespace CommandLine {
inline constexpr int UsageStatus = 2;

// Handles --help and --version: true when `argument` was one of them (the
// text is printed and the tool ends with status 0).
bool IsHelpOrVersion(const std::string &argument, const char *tool, const char *usage);

// Prints "TOOL: REASON" and the usage on standard error; returns UsageStatus.
int UsageError(const char *tool, const std::string &reason, const char *usage);
} // namespace CommandLine
