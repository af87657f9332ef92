// The viewer's --help and --version, answered before any setting, splash or window.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

// arguments: the command line without the program name. An option stands first on a line
// without a thumbnail switch (so "/t DIR" works whatever else the line holds) and begins with
// "--"; what follows it is ignored, as after a path. Returns the exit status when the line was an option: 0 for --help and --version (their
// text on out), 2 for any other (a usage line on err). Empty otherwise: the line is for start-up.
std::optional<int> RunProgramOptions(const std::vector<std::string>& arguments, std::FILE* out, std::FILE* err);
