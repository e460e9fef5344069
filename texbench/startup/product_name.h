// The name TexBench shows its users: the main dialog's caption and its message boxes' title.
#pragma once

namespace texbench {

inline constexpr char kProductName[] = "Skinwright";

}  // namespace texbench
