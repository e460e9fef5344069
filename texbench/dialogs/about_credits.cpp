#include "texbench/dialogs/about_credits.h"

namespace texbench {
namespace {

constexpr char kCredits[] =
    "Skinwright\r\n"
    "Quillmark Fastfile Tools\r\n"
    "\r\n"
    "- Programming -\r\n"
    "The Quillmark tools team\r\n"
    "\r\n"
    "- Fastfile and texture formats -\r\n"
    "Worked out from the game's own files\r\n"
    "\r\n"
    "- Artwork -\r\n"
    "Drawn in code, pixel by pixel\r\n"
    "\r\n"
    "- Testing -\r\n"
    "Everyone who sent us a broken Fastfile\r\n"
    "\r\n"
    "- Thanks -\r\n"
    "The modding community of\r\n"
    "Aliens versus Predator\r\n"
    "\r\n"
    "Aliens versus Predator is a trademark\r\n"
    "of its owners. This suite is not\r\n"
    "made or endorsed by them.\r\n"
    "\r\n"
    "Happy modding!";

}  // namespace

std::optional<std::string> ProgramCredits() {
    return std::string(kCredits);
}

}  // namespace texbench
