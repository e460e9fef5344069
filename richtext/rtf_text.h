// Putting plain texts into rich text.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace richtext {

// The text as rich text that shows it literally: backslashes and braces escaped, line breaks
// as \line, bytes above 127 as \'hh.
std::string RtfEscape(std::string_view text);

// Copies the template, replacing each placeholder (compared without regard to case) by its
// escaped text. A '#' that starts no placeholder is copied as it is.
std::string FillPlaceholders(std::string_view rtfTemplate,
                             const std::vector<std::pair<std::string, std::string>>& values);

}  // namespace richtext
