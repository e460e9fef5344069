// Reads the small subset of rich text (RTF) that the suite's own templates use and turns it
// into HTML that a rich-text view (Qt's among them) shows. No user-interface library needed.
//
// Understood: groups, \fonttbl, \colortbl, \qc \ql \qr \qj, \b, \i, \ul \ulnone, \fs, \f, \cf,
// \par, \pard, \plain, \line, \tab, the escapes \\ \{ \} and \'hh. Other destinations
// (\stylesheet, \info, \*...) are skipped; other control words are ignored.
#pragma once

#include <string>
#include <string_view>

namespace richtext {

std::string RtfToHtml(std::string_view rtf);

}  // namespace richtext
