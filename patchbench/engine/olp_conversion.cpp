#include "patchbench/engine/olp_conversion.h"

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>

#include "patchbench/engine/editor_texts.h"
#include "platform/message_box.h"

namespace patchbench {
namespace {

using qm::MessageBoxButtons;
using qm::MessageBoxIcon;
using qm::MessageBoxResult;

MessageBoxResult Tell(const char* text, MessageBoxButtons buttons, MessageBoxIcon icon) {
    return qm::ShowMessageBox(text, kProgramTitle, buttons, icon);
}

// A per-item message: false when the user cancels the rest of the conversion.
bool GoOn(const char* text, MessageBoxIcon icon = MessageBoxIcon::Information) {
    return Tell(text, MessageBoxButtons::OkCancel, icon) != MessageBoxResult::Cancel;
}

void Fail(const char* text) {
    Tell(text, MessageBoxButtons::Ok, MessageBoxIcon::Error);
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Reads the OLP file a line at a time as a text stream does: "\r\n" comes as "\n", and a line
// longer than the limit is handed out in pieces of the limit.
class LineReader {
  public:
    enum class Status { Line, End, Error };

    explicit LineReader(std::FILE* file) : file_(file) {}

    Status Next(std::string& line) {
        line.clear();
        while (line.size() < kOlpLineLimit) {
            int c = std::getc(file_);
            if (c == EOF) {
                break;
            }
            if (c == '\r') {
                const int next = std::getc(file_);
                if (next == '\n') {
                    c = '\n';
                } else if (next != EOF) {
                    std::ungetc(next, file_);
                }
            }
            line.push_back(static_cast<char>(c));
            if (c == '\n') {
                break;
            }
        }
        if (std::ferror(file_) != 0) {
            return Status::Error;
        }
        return line.empty() ? Status::End : Status::Line;
    }

    bool StreamEnded() const { return std::feof(file_) != 0 || std::ferror(file_) != 0; }

  private:
    std::FILE* file_;
};

bool IsWave(const std::vector<unsigned char>& data) {
    return data.size() >= 16 && std::memcmp(data.data(), "RIFF", 4) == 0 &&
           std::memcmp(data.data() + 8, "WAVE", 4) == 0 &&
           std::memcmp(data.data() + 12, "fmt ", 4) == 0;
}

std::optional<std::vector<unsigned char>> ReadRegularFile(const std::filesystem::path& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        return std::nullopt;
    }
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error || size > UINT32_MAX) {
        return std::nullopt;
    }
    std::ifstream file(path, std::ios::binary);
    std::vector<unsigned char> data(static_cast<std::size_t>(size));
    if (!file || !file.read(reinterpret_cast<char*>(data.data()),
                            static_cast<std::streamsize>(data.size()))) {
        return std::nullopt;
    }
    return data;
}

enum class ItemResult { Added, Skipped, Stop };

// Steps 3 to 9 of one item line.
ItemResult ConvertItem(const OlpItemLine& line, KDZPATCH* patch, const PACKLIBEXPORT& packLib,
                       const PATCHLIBEXPORT& patchLib, WaveFiles& waves) {
    const auto skipOrStop = [](const char* text,
                               MessageBoxIcon icon = MessageBoxIcon::Information) {
        return GoOn(text, icon) ? ItemResult::Skipped : ItemResult::Stop;
    };
    const std::optional<std::vector<unsigned char>> wave = waves.Load(line.wavePath);
    if (!wave) {
        return skipOrStop(kWaveOpenFailedText);
    }
    if (!IsWave(*wave)) {
        return skipOrStop(kWaveInvalidText);
    }
    if (wave->size() >= kLargeWaveBytes) {
        switch (Tell(kWaveLargeQuestionText, MessageBoxButtons::YesNoCancel,
                     MessageBoxIcon::Question)) {
            case MessageBoxResult::Yes:
                break;
            case MessageBoxResult::No:
                return ItemResult::Skipped;
            default:
                return ItemResult::Stop;
        }
    }
    FFLARCHIVE* archive = packLib.FFLOpenArchive(line.fastfile.c_str());
    if (archive == nullptr) {
        return skipOrStop(kTargetFastfileFailedText);
    }
    ItemResult result = ItemResult::Added;
    const FFLITEM* found = packLib.FFLFindItem(archive, line.itemName.c_str(), true);
    if (found == nullptr) {
        result = skipOrStop(kWaveNotLocatedText);
    } else {
        KDZITEM* added = patchLib.KDZAddItem(patch, found->szPath, wave->data(),
                                             static_cast<std::uint32_t>(wave->size()));
        if (added == nullptr) {
            result = skipOrStop(kWaveImportFailedText, MessageBoxIcon::Error);
        } else {
            patchLib.KDZSetItemName(added, line.wavePath.c_str());
        }
    }
    packLib.FFLCloseArchive(archive);
    return result;
}

}  // namespace

std::optional<OlpItemLine> SplitOlpLine(std::string_view line) {
    const std::size_t first = line.find('|');
    if (first == std::string_view::npos) {
        return std::nullopt;
    }
    const std::size_t second = line.find('|', first + 1);
    if (second == std::string_view::npos) {
        return std::nullopt;
    }
    const std::size_t third = line.find('|', second + 1);
    OlpItemLine item{
        std::string(line.substr(0, first)), std::string(line.substr(first + 1, second - first - 1)),
        std::string(line.substr(second + 1, third == std::string_view::npos ? std::string_view::npos
                                                                            : third - second - 1))};
    if (item.wavePath.empty() || item.itemName.empty() || item.fastfile.empty()) {
        return std::nullopt;
    }
    return item;
}

int OlpItemCount(std::string_view line) {
    std::size_t at = 0;
    while (at < line.size() && (line[at] == ' ' || (line[at] >= '\t' && line[at] <= '\r'))) {
        ++at;
    }
    bool negative = false;
    if (at < line.size() && (line[at] == '+' || line[at] == '-')) {
        negative = line[at] == '-';
        ++at;
    }
    long long count = 0;
    for (; at < line.size() && line[at] >= '0' && line[at] <= '9'; ++at) {
        if (count <= INT_MAX) {
            count = count * 10 + (line[at] - '0');
        }
    }
    count = negative ? -count : count;
    if (count > INT_MAX) {
        return INT_MAX;
    }
    return count < INT_MIN ? INT_MIN : static_cast<int>(count);
}

std::optional<std::vector<unsigned char>> DiskWaveFiles::Load(const std::string& path) {
    if (path.empty()) {
        return std::nullopt;
    }
    if (auto data = ReadRegularFile(path)) {
        return data;
    }
    std::string slashed = path;
    for (char& c : slashed) {
        c = c == '\\' ? '/' : c;
    }
    if (slashed == path) {
        return std::nullopt;
    }
    return ReadRegularFile(slashed);
}

int ConvertOlpFile(const std::string& olpPath, KDZPATCH* patch, const PACKLIBEXPORT& packLib,
                   const PATCHLIBEXPORT& patchLib, WaveFiles& waves) {
    const File file(std::fopen(olpPath.c_str(), "rb"));
    if (!file) {
        Fail(kOlpOpenFailedText);
        return 0;
    }
    LineReader reader(file.get());
    std::string line;
    if (reader.Next(line) != LineReader::Status::Line || reader.StreamEnded()) {
        Fail(kOlpProcessFailedText);
        return 0;
    }
    const int count = OlpItemCount(line);
    if (count == 0) {
        Fail(kOlpEmptyText);
        return 0;
    }
    int added = 0;
    for (int i = 0; i < count; ++i) {
        const LineReader::Status status = reader.Next(line);
        if (status == LineReader::Status::Error) {
            Fail(kOlpProcessFailedText);
            break;
        }
        if (status == LineReader::Status::End) {
            break;
        }
        const std::optional<OlpItemLine> item = SplitOlpLine(line);
        if (!item) {
            continue;
        }
        const ItemResult result = ConvertItem(*item, patch, packLib, patchLib, waves);
        if (result == ItemResult::Added) {
            ++added;
        } else if (result == ItemResult::Stop) {
            break;
        }
    }
    return added;
}

}  // namespace patchbench
