#include "tools/fftool/fftool.h"

namespace fftool {

std::span<const Command> TextureCommands() { return {}; }

}  // namespace fftool
