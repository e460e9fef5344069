// The credits the about box scrolls (resource "BIN" 160): CR LF separated lines.
#pragma once

#include <optional>
#include <string>

namespace texbench {

inline constexpr char kCreditsFailed[] = "ERROR: Failed to load Credits!\n";

// Our credits; the about box shows kCreditsFailed when there are none.
std::optional<std::string> ProgramCredits();

}  // namespace texbench
