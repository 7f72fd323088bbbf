// `tavrinctl lighting` and `tavrinctl colours`: the lighting of a profile shown and changed from a
// terminal, through the lighting editor the program's panel uses.
#pragma once

#include <string>
#include <vector>

namespace tavrin::cli {

// `toolFolder` holds the library and the language files. Exit status 0, 1 (the keyboard failed or
// is absent) or 2 (bad usage, nothing sent).
int RunLightingCommand(const std::vector<std::string>& arguments, const std::string& toolFolder);
int RunColoursCommand(const std::vector<std::string>& arguments, const std::string& toolFolder);

extern const char* const kLightingUsage;
extern const char* const kLightingDetails;
extern const char* const kColoursUsage;
extern const char* const kColoursDetails;

}  // namespace tavrin::cli
