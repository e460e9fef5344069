#include "tools/fftool/fftool.h"

namespace fftool {

std::span<const Command> DatabaseCommands() { return {}; }

}  // namespace fftool
