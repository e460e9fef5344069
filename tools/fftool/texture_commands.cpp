// fftool's texture command: look into, export and import the RIM texture items of a Fastfile.
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/atomic_file.h"
#include "suite/texture_pipeline.h"
#include "texbench/imaging/rim_archive.h"
#include "tools/fftool/fftool.h"
#include "tools/fftool/file_arguments.h"
#include "tools/fftool/picture_codec.h"
#include "tools/fftool/texture_batch.h"
#include "tools/fftool/texture_items.h"

namespace fftool {
namespace {

namespace fs = std::filesystem;

// Reads the texture item into `rim`; prints why and returns false when it cannot.
bool LoadItem(const PACKLIBEXPORT* lib, FFLARCHIVE* archive, const std::string& itemPath,
              CRimArchive& rim, std::vector<std::uint8_t>* raw = nullptr) {
    FFLITEM* item = FindItemArgument(lib, archive, itemPath);
    if (item == nullptr) {
        Failure("no item '" + itemPath + "'");
        return false;
    }
    std::uint32_t size = 0;
    const auto* data = static_cast<const std::uint8_t*>(lib->FFLGetItemData(item, &size));
    if (data == nullptr || !rim.Parse(std::span(data, size))) {
        Failure("item '" + itemPath + "' is not a texture");
        return false;
    }
    if (raw != nullptr) {
        raw->assign(data, data + size);
    }
    return true;
}

int RunInfo(const PACKLIBEXPORT* lib, const std::vector<std::string>& args) {
    if (args.size() != 3) {
        return UsageError("texture info takes a Fastfile and an item path");
    }
    OpenArchive archive(lib, args[1]);
    if (archive.get() == nullptr) {
        return Failure(ReadFailureMessage(args[1], "Fastfile"));
    }
    CRimArchive rim;
    if (!LoadItem(lib, archive.get(), args[2], rim)) {
        return kExitFailure;
    }
    const std::uint32_t color = rim.GetTransparentColorWord() >> 8;
    std::printf("%s\n", args[2].c_str());
    std::printf("transparency: %s, colour %02X %02X %02X (mode %u)\n",
                rim.GetTransparencyMode() != 0 ? "on" : "off", color & 0xFF, (color >> 8) & 0xFF,
                (color >> 16) & 0xFF, static_cast<unsigned>(rim.GetTransparencyMode()));
    for (unsigned i = 0; i < CRimArchive::kSlots; ++i) {
        if (rim.IsSlotEmpty(i)) {
            std::printf("slot %u: empty\n", i);
            continue;
        }
        CRimImage image;
        if (!image.ParseForm(rim.GetSlot(i))) {
            std::printf("slot %u: unreadable (%zu bytes)\n", i, rim.GetSlot(i).size());
            continue;
        }
        const unsigned planes = image.GetPlanes();
        const unsigned depth = planes <= 4 ? 4 : planes <= 8 ? 8 : 16;
        std::printf(
            "slot %u: %ux%u, %u-bit, %u plane(s), %u colour(s), compression %s, "
            "masking %u, transparent index %u, %zu bytes\n",
            i, image.GetWidth(), image.GetHeight(), depth, planes,
            static_cast<unsigned>(image.GetColorsUsed()),
            image.GetCompression() ? "ByteRun1" : "none", image.GetMasking(),
            static_cast<unsigned>(image.GetTransparentIndex()), rim.GetSlot(i).size());
    }
    if (!rim.GetContainer().empty()) {
        std::printf("mip-map container: %zu bytes\n", rim.GetContainer().size());
    }
    return kExitOk;
}

// False with errno telling why.
bool WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    qm::AtomicFile file(path);
    const bool written =
        file.Open() && std::fwrite(bytes.data(), 1, bytes.size(), file.Stream()) == bytes.size() &&
        file.Commit();
    if (!written) {
        const int error = file.Error() != 0 ? file.Error() : errno;
        file.Discard();
        errno = error;
    }
    return written;
}

int RunExport(const PACKLIBEXPORT* lib, const std::vector<std::string>& args) {
    std::vector<std::string> positional;
    std::optional<unsigned> slot;
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--slot" && i + 1 < args.size()) {
            const std::string& value = args[++i];
            if (value.size() != 1 || value[0] < '0' || value[0] > '2') {
                return UsageError("--slot takes 0, 1 or 2");
            }
            slot = static_cast<unsigned>(value[0] - '0');
        } else {
            positional.push_back(args[i]);
        }
    }
    if (positional.size() != 3) {
        return UsageError("texture export takes a Fastfile, an item path and an output file");
    }
    const std::string& out = positional[2];
    const suite::PictureFilter* filter = suite::ImageFilterForPath(out);
    const bool wholeItem =
        filter != nullptr && filter->format == suite::PictureFormat::WholeTexture;
    if (filter == nullptr ||
        (filter->format == suite::PictureFormat::Png && PictureCodecOrNull() == nullptr)) {
        return UsageError(std::string("the output file must end in ") + PictureFormatNames() +
                          " or .rim");
    }
    if (wholeItem && slot) {
        return UsageError("a .rim file holds the whole item; --slot does not apply");
    }
    OpenArchive archive(lib, positional[0]);
    if (archive.get() == nullptr) {
        return Failure(ReadFailureMessage(positional[0], "Fastfile"));
    }
    CRimArchive rim;
    std::vector<std::uint8_t> raw;
    if (!LoadItem(lib, archive.get(), positional[1], rim, &raw)) {
        return kExitFailure;
    }
    if (wholeItem) {
        if (!WriteBytes(out, raw)) {
            return Failure("cannot write " + out + ": " + WriteFailureReason(errno));
        }
        std::printf("exported %s (%zu bytes) to %s\n", positional[1].c_str(), raw.size(),
                    out.c_str());
        return kExitOk;
    }
    IMAGEHEADER header{};
    if (std::string why; !TextureToPictureFile(raw, slot, filter->format, out, &header, &why)) {
        return Failure("cannot export '" + positional[1] + "' to " + out + ": " + why);
    }
    slot = slot.value_or(suite::FirstFilledSlot(rim).value_or(0));
    std::printf("exported slot %u (%ux%u, %u-bit) to %s\n", *slot, header.wWidth, header.wHeight,
                header.bDepth, out.c_str());
    return kExitOk;
}

int RunImport(const PACKLIBEXPORT* lib, const std::vector<std::string>& args) {
    std::vector<std::string> positional;
    bool compress = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--compress") {
            compress = true;
        } else {
            positional.push_back(args[i]);
        }
    }
    if (positional.size() != 3) {
        return UsageError("texture import takes a Fastfile, an item path and a picture file");
    }
    const std::string itemPath = ItemPathArgument(positional[1]);
    const std::string& source = positional[2];
    if (itemPath.empty() || itemPath.size() >= FFL_MAX_PATH) {
        return UsageError("item path '" + itemPath + "' must have 1 to 259 characters");
    }
    const suite::PictureFilter* filter = suite::ImageFilterForPath(source);
    if (filter == nullptr || filter->format == suite::PictureFormat::WholeTexture ||
        (filter->format == suite::PictureFormat::Png && PictureCodecOrNull() == nullptr)) {
        return UsageError(std::string("the picture must be a ") + PictureFormatNames() + " file");
    }
    if (std::string why; !IsRegularSource(source, &why)) {
        return Failure("cannot read " + source + ": " + why);
    }
    OpenArchive archive(lib, positional[0]);
    if (archive.get() == nullptr) {
        return Failure(ReadFailureMessage(positional[0], "Fastfile"));
    }
    FFLITEM* item = FindItemArgument(lib, archive.get(), positional[1]);
    const bool replaced = item != nullptr;
    std::string why;
    const std::optional<TextureBytes> texture = TextureFromPictureFile(
        source, filter->format, replaced ? ItemBytes(lib, item) : std::span<const std::uint8_t>(),
        compress, &why);
    if (!texture) {
        return Failure(why);
    }
    const std::vector<std::uint8_t>& bytes = texture->bytes;

    const bool ok =
        replaced ? lib->FFLSetItemData(item, bytes.data(), static_cast<std::uint32_t>(bytes.size()))
                 : lib->FFLAddItem(archive.get(), itemPath.c_str(), bytes.data(),
                                   static_cast<std::uint32_t>(bytes.size())) != nullptr;
    if (!ok) {
        return Failure("cannot store item '" + itemPath + "'");
    }
    errno = 0;
    if (!lib->FFLSaveArchive(archive.get(), nullptr)) {
        const int error = errno;
        return Failure(std::string("cannot write ") + lib->FFLGetPath(archive.get()) + ": " +
                       WriteFailureReason(error) + "; the Fastfile was not changed");
    }
    const unsigned slots = texture->slots;
    // A new item is said so plainly: a mistyped path adds an item instead of replacing one.
    if (replaced) {
        std::printf("replaced %s (%zu bytes, %u slot(s))\n", lib->FFLGetItemPath(item),
                    bytes.size(), slots);
    } else {
        std::printf(
            "added %s as a new item: the Fastfile had no item of that path to replace (%zu "
            "bytes, %u slot(s))\n",
            itemPath.c_str(), bytes.size(), slots);
    }
    return kExitOk;
}

int RunTexture(Context& context) {
    const auto& args = context.Args();
    if (args.empty()) {
        return UsageError(
            "texture needs a subcommand: info, export, import, export-all or import-all");
    }
    const std::string& sub = args[0];
    if (sub != "info" && sub != "export" && sub != "import" && sub != "export-all" &&
        sub != "import-all") {
        return UsageError("unknown texture subcommand '" + sub + "'");
    }
    const PACKLIBEXPORT* lib = context.PackLib();
    if (lib == nullptr) {
        return kExitFailure;
    }
    if (sub == "info") {
        return RunInfo(lib, args);
    }
    if (sub == "export-all") {
        return RunExportAll(lib, args);
    }
    if (sub == "import-all") {
        return RunImportAll(lib, args);
    }
    return sub == "export" ? RunExport(lib, args) : RunImport(lib, args);
}

const Command kCommands[] = {
    {"texture",
     "info FILE ITEM | export FILE ITEM OUT [--slot N] | import FILE ITEMPATH PICTURE "
     "[--compress] | export-all SOURCE OUTDIR [--format png|bmp|tga|iff] | import-all OUTDIR",
     "Texture items (RIM). info: the slots' size, depth, planes, compression and transparency.\n"
     "      export: slot N (0-2; default the first, richest one) to OUT as .iff (an ILBM "
     "picture),\n"
     "      .bmp, .dib, .tga or .png; OUT ending in .rim receives the whole item as it is "
     "stored.\n"
     "      import: a .iff, .bmp, .dib, .tga or .png picture becomes the item's slots (more "
     "than\n"
     "      256 colours: 16-, 8- and 4-bit; up to 256: 8- and 4-bit; up to 16: one 4-bit "
     "slot),\n"
     "      ByteRun1-compressed with --compress; the item is replaced or added, then saved. A\n"
     "      replaced item keeps its transparency and compression; fully transparent pixels of "
     "a\n"
     "      picture with alpha become the transparent colour. Pictures the suite's own readers\n"
     "      refuse (1- and 32-bit or bit-field BMPs, OS/2 BMPs, 32-bit and grey TGAs, IFF of 1 "
     "to\n"
     "      8 planes) are read all the same.\n"
     "      export-all: every texture of SOURCE (a .ffl, a database file, a game folder, or\n"
     "      'game' for the registered game) as pictures (default png) in folders below OUTDIR\n"
     "      that mirror the item paths, with a manifest of what was written; import-all puts\n"
     "      back only the pictures changed since, one save per Fastfile.",
     RunTexture},
};

}  // namespace

std::span<const Command> TextureCommands() {
    return kCommands;
}

}  // namespace fftool
