// The resources of one skin module, written at build time by make-skin-module.
#pragma once

#include <cstddef>

namespace skinmodule {

struct Resource {
    unsigned type;
    unsigned id;
    const unsigned char* data;
    std::size_t size;
};

extern const Resource kResources[];
extern const std::size_t kResourceCount;

}  // namespace skinmodule
