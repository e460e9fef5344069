#include "texbench/browser/item_import.h"

#include <fstream>
#include <iterator>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

#include "platform/message_box.h"
#include "suite/sound_description.h"
#include "suite/texture_pipeline.h"
#include "suite/transfer/transfer_block.h"
#include "texbench/browser/browser_texts.h"
#include "texbench/imaging/rim_archive.h"

namespace texbench {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::size_t NameStart(std::string_view path) {
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string_view::npos ? 0 : slash + 1;
}

std::string NameOf(std::string_view path) {
    return std::string(path.substr(NameStart(path)));
}

// The name without its extension, when it has one, followed by ".rim".
std::string TextureNameOf(const std::string& name) {
    const std::size_t dot = name.rfind('.');
    return (dot == std::string::npos ? name : name.substr(0, dot)) + ".rim";
}

suite::PictureFormat PictureFormatOf(ItemReader reader) {
    switch (reader) {
        case ItemReader::Iff:
            return suite::PictureFormat::Iff;
        case ItemReader::Bmp:
            return suite::PictureFormat::Bmp;
        case ItemReader::Tga:
            return suite::PictureFormat::Tga;
        case ItemReader::Png:
            return suite::PictureFormat::Png;
        case ItemReader::Raw:
            break;
    }
    return suite::PictureFormat::WholeTexture;
}

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// A file read into item bytes. A texture made from a picture is kept as well: when it
// replaces an existing texture it takes over that one's look before it is compiled again,
// and then the transparent colour the picture's own alpha gave it, which wins.
struct ReadItem {
    std::string name;
    Bytes bytes;
    std::unique_ptr<CRimArchive> texture;
    std::optional<std::uint32_t> ownTransparency;
};

// Why a reading failed, for the details of "Failed to import File.".
struct ReadFailure {
    std::string cause;
};

std::optional<Bytes> ReadWholeFile(const std::string& path, std::string* cause) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        *cause = "it cannot be opened";
        return std::nullopt;
    }
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    in.seekg(0, std::ios::beg);
    if (size < 0) {
        *cause = "it cannot be read";  // a directory, for one
        return std::nullopt;
    }
    // An item's size is a 32-bit number.
    if (static_cast<std::uint64_t>(size) > std::numeric_limits<std::uint32_t>::max()) {
        *cause = "it is too large for a Fastfile item";
        return std::nullopt;
    }
    Bytes bytes(static_cast<std::size_t>(size));
    if (!bytes.empty() && !in.read(reinterpret_cast<char*>(bytes.data()), size)) {
        *cause = "it cannot be read";
        return std::nullopt;
    }
    return bytes;
}

suite::ItemKind KindOf(std::span<const std::uint8_t> bytes) {
    return suite::KindOfData(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
}

// One import, drop or paste: the archive, its folder prefix and kind as they were when the
// operation began, whether the user stopped it, and what was stored.
class StoreRun {
  public:
    StoreRun(BrowserModel& model, const CIniDocument& settings, suite::PictureCodec* codec)
        : model_(model),
          lib_(model.Lib()),
          archive_(model.CurrentArchive()),
          prefix_(FolderPrefix(lib_, archive_)),
          archiveKind_(model.CurrentArchiveKind()),
          confirmReplace_(ReadInt(settings, kConfirmReplace) > 0),
          imageBuffer_(ImageBufferBytes(settings)),
          codec_(codec) {}

    bool Stopped() const { return stopped_; }

    void ImportFile(const std::string& path, ItemReader reader) {
        std::string cause;
        std::optional<ReadItem> item =
            reader == ItemReader::Raw ? ReadRaw(path, &cause) : ReadConverted(path, reader, &cause);
        if (!item) {
            if (!cause.empty()) {
                Fail(path, cause);
            }
            return;
        }
        Store(*item, path);
    }

    void PasteRecord(const suite::TransferRecord& record) {
        const suite::ItemKind kind = KindOf(record.data);
        const bool mixes = archiveKind_ == suite::ItemKind::Sound ? kind != suite::ItemKind::Sound
                                                                  : kind != suite::ItemKind::Image;
        if (mixes && !AskToMix()) {
            return;
        }
        ReadItem item{NameOf(record.path), Bytes(record.data.begin(), record.data.end()), nullptr,
                      std::nullopt};
        Store(item, std::string(record.path));
    }

    // Save, refill and select the last name handled, when anything changed.
    ItemCommandResult Finish() {
        ItemCommandResult result;
        if (!changed_) {
            return result;
        }
        if (!model_.SaveCurrentArchive()) {
            const char* path = lib_.FFLGetPath(archive_);
            qm::ShowMessageBox(kSaveFailed, kProductName, qm::MessageBoxButtons::Ok,
                               qm::MessageBoxIcon::Error, path != nullptr ? path : "");
        }
        model_.FillList();
        result.listRefilled = true;
        result.focusedRow = model_.FindRow(lastName_);
        if (result.focusedRow >= 0) {
            result.selectedRows = {result.focusedRow};
        }
        return result;
    }

  private:
    // Whole files are taken only as a texture or a sound with its format chunk first; one
    // that does not fit the archive's kind is stored only when the user agrees.
    std::optional<ReadItem> ReadRaw(const std::string& path, std::string* cause) {
        std::optional<Bytes> bytes = ReadWholeFile(path, cause);
        if (!bytes) {
            return std::nullopt;
        }
        const suite::ItemKind kind = KindOf(*bytes);
        const bool sound = kind == suite::ItemKind::Sound &&
                           suite::HasSoundFormatHeader(bytes->data(), bytes->size());
        if (kind != suite::ItemKind::Image && !sound) {
            *cause = "it is neither a texture nor a sound";
            return std::nullopt;
        }
        const bool mixes =
            sound ? archiveKind_ != suite::ItemKind::Sound : archiveKind_ == suite::ItemKind::Sound;
        if (mixes && !AskToMix()) {
            return std::nullopt;  // skipped or stopped: no failure to report
        }
        return ReadItem{NameOf(path), std::move(*bytes), nullptr, std::nullopt};
    }

    // The picture goes through the shared pipeline: the suite's own class first, then the
    // readers of what it refuses. The look of an item it will replace is taken over only in
    // Store, after the user agreed to the replacement.
    std::optional<ReadItem> ReadConverted(const std::string& path, ItemReader reader,
                                          std::string* cause) {
        std::string name = TextureNameOf(NameOf(path));
        suite::PictureReading reading;
        reading.streamBufferBytes = imageBuffer_;
        reading.fallback = codec_;
        // Fully transparent pixels take the colour the replaced item had for them.
        reading.preferredTransparent = suite::TransparentColorOf(ItemBytesNamed(name));
        suite::Picture picture;
        if (!suite::ReadPicture(path, PictureFormatOf(reader), picture, reading)) {
            *cause = "it cannot be read as a picture of its type";
            return std::nullopt;
        }
        auto texture = std::make_unique<CRimArchive>();
        Bytes bytes;
        if (suite::TextureFromPicture(picture, {}, *texture)) {
            bytes = texture->Compile();
        }
        if (bytes.empty()) {
            *cause = "no texture could be made of it";
            return std::nullopt;
        }
        return ReadItem{std::move(name), std::move(bytes), std::move(texture),
                        picture.transparentColor};
    }

    // The bytes of the item Store would replace; empty when there is none.
    std::span<const std::uint8_t> ItemBytesNamed(const std::string& name) const {
        FFLITEM* existing = lib_.FFLFindItem(archive_, name.c_str(), true);
        return existing != nullptr ? ItemBytes(existing) : std::span<const std::uint8_t>();
    }

    std::span<const std::uint8_t> ItemBytes(FFLITEM* item) const {
        std::uint32_t size = 0;
        const auto* data = static_cast<const std::uint8_t*>(lib_.FFLGetItemData(item, &size));
        return data != nullptr ? std::span(data, size) : std::span<const std::uint8_t>();
    }

    // The mixing question: Yes goes on, No skips this one, Cancel stops the operation.
    bool AskToMix() { return Answer(kMixQuestion, {}) == Go; }

    enum Decision { Go, Skip };
    Decision Answer(const char* question, const std::string& name) {
        const qm::MessageBoxResult answer = qm::ShowMessageBox(
            name.empty() ? std::string(question) : WithName(question, name), kProductName,
            qm::MessageBoxButtons::YesNoCancel, qm::MessageBoxIcon::Question);
        if (answer == qm::MessageBoxResult::Cancel) {
            stopped_ = true;
        }
        return answer == qm::MessageBoxResult::Yes ? Go : Skip;
    }

    static std::string WithName(const char* text, const std::string& name) {
        std::string result = text;
        const std::size_t at = result.find("%1");
        if (at != std::string::npos) {
            result.replace(at, 2, name);
        }
        return result;
    }

    // "Failed to import File.": OK goes on with the next one, Cancel stops.
    void Fail(const std::string& source, const std::string& cause) {
        const qm::MessageBoxResult answer =
            qm::ShowMessageBox(kImportFailed, kProductName, qm::MessageBoxButtons::OkCancel,
                               qm::MessageBoxIcon::Information, source + ": " + cause);
        if (answer == qm::MessageBoxResult::Cancel) {
            stopped_ = true;
        }
    }

    void Store(ReadItem& item, const std::string& source) {
        // A name is one path element inside the archive; "\" and the other characters no
        // file name may hold would break its folder and the patches that name it.
        if (item.name.empty() ||
            item.name.find_first_of(kForbiddenNameCharacters) != std::string::npos) {
            Fail(source, "\"" + item.name + "\" is no name an item can have");
            return;
        }
        FFLITEM* existing = lib_.FFLFindItem(archive_, item.name.c_str(), true);
        if (existing != nullptr && confirmReplace_ && Answer(kReplaceOnImport, item.name) != Go) {
            return;
        }
        if (existing != nullptr && item.texture != nullptr && !KeepLookOf(existing, item)) {
            Fail(source,
                 "the texture cannot keep the transparency and compression of the one "
                 "it replaces");
            return;
        }
        const auto size = static_cast<std::uint32_t>(item.bytes.size());
        const bool stored = existing != nullptr
                                ? lib_.FFLSetItemData(existing, item.bytes.data(), size)
                                : lib_.FFLAddItem(archive_, (prefix_ + item.name).c_str(),
                                                  item.bytes.data(), size) != nullptr;
        if (!stored) {
            Fail(source, archiveKind_ == suite::ItemKind::Sound
                             ? "the sound Fastfile holds nothing but sounds"
                             : "the Fastfile does not take it (is the path too long?)");
            return;
        }
        changed_ = true;
        lastName_ = item.name;
    }

    // A picture over an existing texture keeps how that one was drawn and stored; the
    // transparency of the picture's own alpha still wins over an opaque old item.
    bool KeepLookOf(FFLITEM* existing, ReadItem& item) {
        const std::span<const std::uint8_t> old = ItemBytes(existing);
        if (old.empty()) {
            return true;  // an empty item has no look to keep
        }
        if (!suite::KeepTextureLook(old, *item.texture)) {
            return false;
        }
        if (item.ownTransparency && !item.texture->SetTransparency(true, *item.ownTransparency)) {
            return false;
        }
        item.bytes = item.texture->Compile();
        return !item.bytes.empty();
    }

    BrowserModel& model_;
    const PACKLIBEXPORT& lib_;
    FFLARCHIVE* archive_;
    std::string prefix_;
    suite::ItemKind archiveKind_;
    bool confirmReplace_;
    std::uint32_t imageBuffer_;
    suite::PictureCodec* codec_;
    bool stopped_ = false;
    bool changed_ = false;
    std::string lastName_;
};

ItemCommandResult Beep() {
    ItemCommandResult result;
    result.beep = true;
    return result;
}

}  // namespace

ImportDialogTexts ImportTextsFor(suite::ItemKind archiveKind) {
    switch (archiveKind) {
        case suite::ItemKind::Sound:
            return {ImportDialogKind::Sound, kSoundFilter, kImportSoundTitle};
        case suite::ItemKind::Image:
            return {ImportDialogKind::Image, kImageFilter, kImportImageTitle};
        case suite::ItemKind::Other:
            break;
    }
    return {ImportDialogKind::Plain, kMixedFilter, kImportTitle};
}

ItemReader ReaderForIndex(int filterIndex, ImportDialogKind dialog) {
    if (dialog == ImportDialogKind::Plain) {
        return ItemReader::Raw;  // "*.rim" and "*.wav": both are items as they are stored
    }
    switch (filterIndex) {
        case 2:
            return ItemReader::Iff;
        case 3:
        case 4:
            return ItemReader::Bmp;
        case 5:
            return ItemReader::Tga;
        case 6:
            return ItemReader::Png;
        default:
            return ItemReader::Raw;
    }
}

std::optional<ItemReader> ReaderForDroppedFile(std::string_view path) {
    if (path.size() < 4) {
        return std::nullopt;
    }
    std::string ending;
    for (char c : path.substr(path.size() - 4)) {
        ending += LowerAscii(c);
    }
    if (ending == ".wav" || ending == ".rim") {
        return ItemReader::Raw;
    }
    if (ending == ".iff") {
        return ItemReader::Iff;
    }
    if (ending == ".bmp") {
        return ItemReader::Bmp;
    }
    if (ending == ".tga") {
        return ItemReader::Tga;
    }
    if (ending == ".png") {
        return ItemReader::Png;
    }
    return std::nullopt;
}

std::string FolderPrefix(const PACKLIBEXPORT& lib, FFLARCHIVE* archive) {
    FFLITEM* first = archive != nullptr ? lib.FFLGetFirstItem(archive) : nullptr;
    const char* path = first != nullptr ? lib.FFLGetItemPath(first) : nullptr;
    if (path == nullptr) {
        return {};
    }
    const std::string_view text(path);
    const std::size_t slash = text.rfind('\\');
    return slash == std::string_view::npos ? std::string() : std::string(text.substr(0, slash + 1));
}

std::string ImportDirectoryOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos || slash == 0 ? path : path.substr(0, slash);
}

ItemCommandResult ImportFiles(BrowserModel& model, CIniDocument& settings,
                              std::span<const std::string> files, int filterIndex,
                              suite::PictureCodec* codec) {
    if (model.CurrentArchive() == nullptr) {
        return Beep();
    }
    settings.SetInt(kImportType.section, kImportType.key, filterIndex);
    StoreRun run(model, settings, codec);
    const ItemReader reader =
        ReaderForIndex(filterIndex, ImportTextsFor(model.CurrentArchiveKind()).dialog);
    bool first = true;
    for (const std::string& file : files) {
        if (run.Stopped()) {
            break;
        }
        if (first) {
            settings.SetString(kImportPath.section, kImportPath.key,
                               ImportDirectoryOf(file).c_str());
            first = false;
        }
        run.ImportFile(file, reader);
    }
    return run.Finish();
}

ItemCommandResult DropFiles(BrowserModel& model, const CIniDocument& settings,
                            std::span<const std::string> files, suite::PictureCodec* codec) {
    if (model.CurrentArchive() == nullptr) {
        return Beep();
    }
    StoreRun run(model, settings, codec);
    for (const std::string& file : files) {
        if (run.Stopped()) {
            break;
        }
        if (const std::optional<ItemReader> reader = ReaderForDroppedFile(file)) {
            run.ImportFile(file, *reader);
        }
    }
    return run.Finish();
}

ItemCommandResult PasteBlock(BrowserModel& model, const CIniDocument& settings,
                             std::span<const std::uint8_t> block) {
    if (model.CurrentArchive() == nullptr) {
        return {};
    }
    const suite::ParsedTransferBlock parsed = suite::ParseTransferBlock(block);
    switch (parsed.status) {
        case suite::TransferBlockStatus::Ok:
            break;
        case suite::TransferBlockStatus::TooShort:
        case suite::TransferBlockStatus::WrongMagic:
            return {};  // not the suite's items at all
        default:
            qm::ShowMessageBox(kImportFailed, kProductName, qm::MessageBoxButtons::Ok,
                               qm::MessageBoxIcon::Information,
                               std::string("the items on the clipboard are damaged: ") +
                                   suite::DescribeTransferBlockStatus(parsed.status));
            return {};
    }
    StoreRun run(model, settings, nullptr);
    for (const suite::TransferRecord& record : parsed.records) {
        if (run.Stopped()) {
            break;
        }
        run.PasteRecord(record);
    }
    return run.Finish();
}

}  // namespace texbench
