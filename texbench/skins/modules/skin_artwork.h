// The artwork of the skins we ship, drawn in code: each look's main dialog template, its
// background (400), the progress window's background (401) and the six button pictures,
// released (500..505) and pressed (600..605).
#pragma once

#include <QImage>
#include <string>
#include <vector>

namespace skinart {

struct Picture {
    int id;
    QImage image;
};

struct Look {
    std::string layout;  // template 102
    std::vector<Picture> pictures;
};

// "hive" or "console"; an empty layout for any other name.
Look DrawLook(const std::string& name);

}  // namespace skinart
