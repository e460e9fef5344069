// What the main dialog opens from the text of its command line.
#pragma once

#include <string>
#include <string_view>

namespace texbench {

struct OpenRequest {
    enum class Kind { None, Database, Fastfile };
    Kind kind = Kind::None;
    std::string path;
};

// Removes the first "-nosplash" (exact letter case; only when there is none, the first
// "/nosplash"), trims blanks at both ends and decides: nothing left opens nothing; a text
// ending in "ffinfo.txt" (any letter case) is a database; anything else a Fastfile. The
// start-up compares the switch without regard to case when it skips the splash, so a
// capitalised switch followed by a path stays in the text and nothing valid is named here.
OpenRequest ParseOpenRequest(std::string_view commandLine);

}  // namespace texbench
