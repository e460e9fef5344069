#include "tools/fftool/fftool.h"

namespace fftool {

std::span<const Command> PatchCommands() { return {}; }

}  // namespace fftool
