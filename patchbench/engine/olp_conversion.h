// The conversion of an OLP file, the plain-text form of a sound patch, into patch items. Its
// first line is the item count; every item line names a WAVE file on disk, the file name of
// the Fastfile item it replaces and the Fastfile that holds it, each followed by "|". Every
// message and question goes through the platform message-box service, so tests and the fuzz
// target answer them from a script.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "packlib/packlib.h"
#include "patchlib/patchlib.h"

namespace patchbench {

inline constexpr char kConvertOlpTitle[] = "Convert OLP";
inline constexpr char kOlpFilterText[] = "Quillmark Patch (*.olp)|*.olp||||";
inline constexpr char kOlpExtension[] = "olp";

inline constexpr char kOlpOpenFailedText[] = "ERROR: Failed to open file!";
inline constexpr char kOlpProcessFailedText[] = "ERROR: Failed to process OLP file!";
inline constexpr char kOlpEmptyText[] =
    "The OLP file is either corrupt or does not contain any items!";
inline constexpr char kWaveOpenFailedText[] = "ERROR: Failed to open WAVE!";
inline constexpr char kWaveInvalidText[] = "ERROR: The specified WAVE is not a valid PCM Wave!";
inline constexpr char kWaveLargeQuestionText[] =
    "WARNING: the specified WAVE is larger than 220 KB!\nDo you want to import it anyway?";
inline constexpr char kTargetFastfileFailedText[] =
    "ERROR: The target Fastfile could not be opened!";
inline constexpr char kWaveNotLocatedText[] =
    "ERROR: The specified WAVE could not be located in your Fastfiles!";
inline constexpr char kWaveImportFailedText[] = "ERROR: Failed to import WAVE!";

// Data of this many bytes or more asks before it is imported (the question says 220 KB).
inline constexpr std::size_t kLargeWaveBytes = 200000;
// The longest line read at once; a longer one goes on as the next line.
inline constexpr std::size_t kOlpLineLimit = 1023;

// The three fields of an item line, split at its first three "|"; without a third "|" the
// Fastfile name runs to the end of the line, line feed included. Nothing for a line whose
// first field is empty, that lacks the second or third field, or whose second or third field
// is empty.
struct OlpItemLine {
    std::string wavePath;
    std::string itemName;
    std::string fastfile;
};
std::optional<OlpItemLine> SplitOlpLine(std::string_view line);

// The count on the first line: leading blanks, an optional sign and digits; text after the
// digits is ignored, no digits read as 0, and counts beyond an int stop at its limits.
int OlpItemCount(std::string_view line);

// Where the WAVE files named by an OLP file are read from.
class WaveFiles {
  public:
    virtual ~WaveFiles() = default;
    // The whole file; nothing when it cannot be read.
    virtual std::optional<std::vector<unsigned char>> Load(const std::string& path) = 0;
};

// WAVE files on disk. Only regular files are read (a device or a pipe named in a stranger's
// OLP file would never end) and only up to the 4 GiB a patch item can hold. A name written
// with backslashes that does not exist as it stands is tried with slashes.
class DiskWaveFiles : public WaveFiles {
  public:
    std::optional<std::vector<unsigned char>> Load(const std::string& path) override;
};

// Converts the OLP file into items of `patch`, asking and telling as it goes. Returns the
// number of patch items added. Reads the OLP file, the WAVE files and the Fastfiles only.
int ConvertOlpFile(const std::string& olpPath, KDZPATCH* patch, const PACKLIBEXPORT& packLib,
                   const PATCHLIBEXPORT& patchLib, WaveFiles& waves);

}  // namespace patchbench
