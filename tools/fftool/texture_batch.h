// fftool's texture export-all and import-all: every texture of a Fastfile or of the whole game
// as picture files in folders that mirror the item paths, and back.
#pragma once

#include <string>
#include <vector>

#include "packlib/packlib.h"

namespace fftool {

// The file in the output folder that records what export-all wrote, so that import-all puts
// back only the pictures changed since.
inline constexpr const char* kTextureManifestName = "fftool-textures.manifest";

int RunExportAll(const PACKLIBEXPORT* lib, const std::vector<std::string>& args);
int RunImportAll(const PACKLIBEXPORT* lib, const std::vector<std::string>& args);

}  // namespace fftool
