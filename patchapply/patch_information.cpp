#include "patchapply/patch_information.h"

#include "richtext/rtf_text.h"
#include "richtext/rtf_to_html.h"

namespace patchapply {

// Colours: 1 dark red, 2 black, 3 navy (selected, underlined, at the end of the author line,
// where no text follows), 4 grey.
const std::string_view kPatchInformationTemplate =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0"
    "{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}}\n"
    "{\\colortbl ;\\red128\\green0\\blue0;\\red0\\green0\\blue0;\\red0\\green0\\blue128;"
    "\\red128\\green128\\blue128;}\n"
    "\\pard\\qc\\f0\\cf1\\b\\fs28 #PRODUCT#\\par\n"
    "\\cf2\\fs20 #VERSION#\\par\n"
    "\\b0\\fs18 #COMPANY#\\cf3\\ul\\par\n"
    "\\pard\\ql\\ulnone\\cf2\\fs18\\par\n"
    "#DESCRIPTION#\\par\n"
    "\\fs16\\par\n"
    "\\cf4\\fs14 #COPYRIGHT#\\par\n"
    "}\n";

std::string BuildPatchInformationRtf(const PatchTexts& texts) {
    return richtext::FillPlaceholders(kPatchInformationTemplate,
                                      {{"#COMPANY#", texts.company},
                                       {"#PRODUCT#", texts.product},
                                       {"#VERSION#", texts.version},
                                       {"#COPYRIGHT#", texts.copyright},
                                       {"#DESCRIPTION#", texts.description}});
}

std::string BuildPatchInformationHtml(const PatchTexts& texts) {
    return richtext::RtfToHtml(BuildPatchInformationRtf(texts));
}

}  // namespace patchapply
