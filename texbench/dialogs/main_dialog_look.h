// What the main dialog needs to know of the program's skin: the skin in use, the restart
// request a skin command sets, and the help file the skin menu opens.
#pragma once

#include <string>

namespace texbench {

struct SkinState;

struct MainDialogLook {
    const SkinState* skin = nullptr;  // null: the system look
    bool* restartRequest = nullptr;   // set by a skin command; null: nobody restarts
    std::string helpFilePath;
};

}  // namespace texbench
