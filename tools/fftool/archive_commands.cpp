#include "tools/fftool/fftool.h"

namespace fftool {

std::span<const Command> ArchiveCommands() { return {}; }

}  // namespace fftool
