// The rich text that describes a patch before it is installed.
#pragma once

#include <string>
#include <string_view>

#include "patchapply/install_front_end.h"

namespace patchapply {

// The layout: the title centred, large, bold and dark red; version and author below it; then,
// left-aligned, the description and, small and grey, the copyright.
extern const std::string_view kPatchInformationTemplate;

// The template with the five texts filled in; each text shows literally, whatever it holds.
std::string BuildPatchInformationRtf(const PatchTexts& texts);

// The same, as HTML for a rich-text view.
std::string BuildPatchInformationHtml(const PatchTexts& texts);

}  // namespace patchapply
