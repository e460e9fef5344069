// Writes the fuzz seed corpus: small, valid files of every format made by our own writers,
// plus a few hand-built forms our writers never produce (sound archives, RLE pictures).
// Usage: make_seeds <corpus directory>; one sub-directory per format.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "suite/transfer/transfer_block.h"
#include "tests/fuzz/fuzz_support.h"
#include "texbench/imaging/bmp_image.h"
#include "texbench/imaging/iff_image.h"
#include "texbench/imaging/packed_dib.h"
#include "texbench/imaging/rim_archive.h"
#include "texbench/imaging/tga_image.h"

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

namespace {

fs::path g_root;

std::string Out(const std::string& format, const std::string& name) {
    fs::create_directories(g_root / format);
    return (g_root / format / name).string();
}

void WriteBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

void Require(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "make_seeds: %s failed\n", what);
        std::exit(1);
    }
}

void PutU16(Bytes& out, unsigned value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void PutU32(Bytes& out, std::uint32_t value) {
    PutU16(out, value & 0xFFFF);
    PutU16(out, value >> 16);
}

void PutText(Bytes& out, const char* text, bool terminate) {
    out.insert(out.end(), text, text + std::strlen(text));
    if (terminate) {
        out.push_back(0);
    }
}

Bytes Pattern(std::size_t size, unsigned seed) {
    Bytes out(size);
    for (std::size_t i = 0; i < size; ++i) {
        out[i] = static_cast<std::uint8_t>((i * 7 + seed) ^ (i >> 3));
    }
    return out;
}

// --- Fastfiles, database, patches --------------------------------------------------------

void Fastfiles() {
    const PACKLIBEXPORT& lib = qmfuzz::PackLib();
    struct Case {
        const char* name;
        std::vector<std::pair<const char*, std::size_t>> items;
    };
    const Case cases[] = {
        {"empty.ffl", {}},
        {"one.ffl", {{"graphics\\a.rim", 5}}},
        {"three.ffl",
         {{"graphics\\menu\\title.rim", 64}, {"sound\\x.wav", 3}, {"levels\\l1\\map.dat", 200}}},
        {"zero-length.ffl", {{"empty.bin", 0}, {"after.bin", 4}}},
    };
    for (const Case& c : cases) {
        FFLARCHIVE* archive = lib.FFLCreateArchive(nullptr);
        unsigned seed = 0;
        for (const auto& [path, size] : c.items) {
            const Bytes data = Pattern(size, ++seed);
            Require(lib.FFLAddItem(archive, path, size ? data.data() : nullptr,
                                   static_cast<std::uint32_t>(size)) != nullptr,
                    "FFLAddItem");
        }
        Require(lib.FFLSaveArchive(archive, Out("ffl", c.name).c_str()), "FFLSaveArchive");
        lib.FFLCloseArchive(archive);
    }

    // Sound archives have no writer of their own for new files: tag, name, RIFF chunk, end mark.
    Bytes sound;
    for (unsigned i = 0; i < 2; ++i) {
        PutU16(sound, 0x10 + i);
        PutText(sound, i == 0 ? "sound\\alien.wav" : "sound\\door.wav", true);
        Bytes body;
        PutText(body, "WAVEfmt ", false);
        PutU32(body, 16);
        const Bytes fmt = Pattern(16, i);
        body.insert(body.end(), fmt.begin(), fmt.end());
        PutText(body, "data", false);
        PutU32(body, 9);
        const Bytes pcm = Pattern(9, i + 3);
        body.insert(body.end(), pcm.begin(), pcm.end());
        PutText(sound, "RIFF", false);
        PutU32(sound, static_cast<std::uint32_t>(body.size()));
        sound.insert(sound.end(), body.begin(), body.end());
    }
    PutU16(sound, 0xFFFF);
    WriteBytes(Out("ffl", "sound.ffl"), sound);
}

void Database() {
    const PACKLIBEXPORT& lib = qmfuzz::PackLib();
    FFLDB* db = lib.FFLCreateDatabase(nullptr);
    Require(lib.FFLAddDbItem(db, "graphics\\menu", "menu.ffl") != nullptr, "FFLAddDbItem");
    Require(lib.FFLAddDbItem(db, "gra", "common.ffl") != nullptr, "FFLAddDbItem");
    Require(lib.FFLAddDbItem(db, "sound", "snd;two.ffl") != nullptr, "FFLAddDbItem");
    Require(lib.FFLSaveDatabase(db, Out("ffinfo", "ffinfo.txt").c_str()), "FFLSaveDatabase");
    lib.FFLCloseDatabase(db);
    // The lines a reader skips, and a last line without its line end.
    const char* skipped = "a;x.ffl\n\nno semicolon\n;starts\nb;\r\nc;last";
    WriteBytes(Out("ffinfo", "skipped-lines.txt"), Bytes(skipped, skipped + std::strlen(skipped)));
}

void Patches() {
    const PATCHLIBEXPORT& lib = qmfuzz::PatchLib();
    for (int variant = 0; variant < 3; ++variant) {
        KDZPATCH* patch = lib.KDZCreatePatch(nullptr);
        if (variant > 0) {
            std::strcpy(patch->szTitle, "Brighter corridors");
            std::strcpy(patch->szVersion, "1.1");
            std::strcpy(patch->szAuthor, "Q. Modder");
            std::strcpy(patch->szCopyright, "2026");
            std::strcpy(patch->szDescription, "Replaces two wall textures.");
        }
        const int items = variant == 0 ? 1 : variant == 1 ? 2 : 3;
        for (int i = 0; i < items; ++i) {
            const Bytes data = Pattern(static_cast<std::size_t>(17 + 40 * i), i);
            const std::string paths =
                i == 2 ? "graphics\\a.rim|graphics\\b.rim" : "graphics\\wall" + std::to_string(i);
            KDZITEM* item = lib.KDZAddItem(patch, paths.c_str(), data.data(),
                                           static_cast<std::uint32_t>(data.size()));
            Require(item != nullptr, "KDZAddItem");
            if (i != 1) {
                Require(lib.KDZSetItemName(item, ("wall " + std::to_string(i)).c_str()),
                        "KDZSetItemName");
            }
        }
        const std::string name = "patch" + std::to_string(variant) + ".kdz";
        Require(lib.KDZSavePatch(patch, Out("kdz", name).c_str()), "KDZSavePatch");
        lib.KDZClosePatch(patch);
    }
}

// --- Pictures ------------------------------------------------------------------------------

// A width x height picture of the given depth with a gradient, rows top-down, 32-bit aligned.
struct Picture {
    IMAGEDATA data{};
    Picture(unsigned width, unsigned height, unsigned depth) {
        data.header.wWidth = static_cast<std::uint16_t>(width);
        data.header.wHeight = static_cast<std::uint16_t>(height);
        data.header.bDepth = static_cast<std::uint8_t>(depth);
        data.header.bAlign = 32;
        const std::uint64_t stride = ImgStride(width, depth, 32);
        data.dwPixelBytes = static_cast<std::uint32_t>(stride * height);
        data.lpPixels = static_cast<std::uint8_t*>(std::calloc(data.dwPixelBytes, 1));
        const unsigned bpp = ImgBytesPerPixel(depth);
        const unsigned colours = depth == 4 ? 16 : 256;
        for (unsigned y = 0; y < height; ++y) {
            for (unsigned x = 0; x < width; ++x) {
                std::uint8_t* p = data.lpPixels + y * stride + x * bpp;
                for (unsigned b = 0; b < bpp; ++b) {
                    p[b] = static_cast<std::uint8_t>((x * 16 + y * 8 + b * 64) %
                                                     (bpp == 1 ? colours : 256));
                }
            }
        }
        if (depth != 24) {
            data.dwPaletteEntries = ImgPaletteEntries(depth);
            data.lpPalette = ImgCreatePalette(depth, true);
        }
    }
    ~Picture() { ImgFree(&data); }
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;
};

template <typename Image>
void SavePictures(const char* format, const char* extension,
                  std::initializer_list<unsigned> depths) {
    for (unsigned depth : depths) {
        Picture picture(13, 7, depth);
        Require(ImgValidate(&picture.data), "ImgValidate");
        Image image;
        if (!image.ImportFrom(&picture.data)) {
            std::fprintf(stderr, "make_seeds: no %s picture of %u bits\n", format, depth);
            continue;
        }
        const std::string name = std::to_string(depth) + "bit." + extension;
        Require(image.SaveFile(Out(format, name)), "SaveFile");
    }
}

// An 8-bit RLE bitmap: runs, an absolute run, line ends and the end of the picture.
void RleBitmap() {
    const Bytes body = {4, 1, 0, 3, 2, 3, 4, 0, 0, 0, 0, 4, 5, 0, 0, 0, 1};
    Bytes file;
    PutText(file, "BM", false);
    const std::uint32_t offset = 14 + 40 + 256 * 4;
    PutU32(file, offset + static_cast<std::uint32_t>(body.size()));
    PutU32(file, 0);
    PutU32(file, offset);
    PutU32(file, 40);
    PutU32(file, 7);  // width
    PutU32(file, 3);  // height
    PutU16(file, 1);
    PutU16(file, 8);
    PutU32(file, 1);  // RLE8
    PutU32(file, static_cast<std::uint32_t>(body.size()));
    PutU32(file, 2835);
    PutU32(file, 2835);
    PutU32(file, 0);
    PutU32(file, 0);
    for (unsigned i = 0; i < 256; ++i) {
        PutU32(file, i * 0x010101u);
    }
    file.insert(file.end(), body.begin(), body.end());
    WriteBytes(Out("bmp", "rle8.bmp"), file);
}

// A run-length true-colour Targa: one repeated packet and one raw packet per row.
void RleTarga() {
    Bytes file = {0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    PutU16(file, 5);  // width
    PutU16(file, 2);  // height
    file.push_back(24);
    file.push_back(0x20);  // top-down
    for (int row = 0; row < 2; ++row) {
        file.insert(file.end(), {0x82, 10, 20, 30, 0x01, 1, 2, 3, 4, 5, 6});
    }
    WriteBytes(Out("tga", "rle24.tga"), file);
}

void Textures() {
    Picture picture(16, 8, 24);
    CRimArchive archive;
    Require(archive.FillSlots(&picture.data), "FillSlots");
    const Bytes rim = archive.Compile();
    Require(!rim.empty(), "Compile");
    WriteBytes(Out("rim", "three-slots.rim"), rim);
    for (unsigned i = 0; i < CRimArchive::kSlots; ++i) {
        if (!archive.IsSlotEmpty(i)) {
            const auto slot = archive.GetSlot(i);
            WriteBytes(Out("rimform", "slot" + std::to_string(i) + ".form"),
                       Bytes(slot.begin(), slot.end()));
        }
    }
    Require(archive.SetTransparency(true, 0x00FF00FFu), "SetTransparency");
    WriteBytes(Out("rim", "transparent.rim"), archive.Compile());
}

void PackedDibs() {
    for (unsigned depth : {4u, 8u, 24u}) {
        Picture picture(9, 5, depth);
        const Bytes dib = ImgToPackedDib(&picture.data);
        Require(!dib.empty(), "ImgToPackedDib");
        WriteBytes(Out("dib", std::to_string(depth) + "bit.dib"), dib);
    }
}

void IniFiles() {
    const char* settings =
        "; TexBench settings\n[Settings]\nImage Buffer=1024\nBackground=0x00FF00FF\n"
        "Last Path=C:\\Games\\AvP\\fastfile\n\n[Skin]\nName=Default\nColor=255,0,128\n"
        "Bare line\n[Empty]\n";
    WriteBytes(Out("ini", "settings.ini"), Bytes(settings, settings + std::strlen(settings)));
    const char* crlf =
        "[Setup]\r\nPath=.\\\r\nEula=1\r\n[Files]\r\n0=ffinfo.txt\r\nkey = spaced value \r\n";
    WriteBytes(Out("ini", "crlf.ini"), Bytes(crlf, crlf + std::strlen(crlf)));
}

// --- Patch item transfer blocks --------------------------------------------------------------

void TransferBlocks() {
    struct Case {
        const char* name;
        std::vector<std::pair<std::string, std::size_t>> items;
    };
    const Case cases[] = {
        {"empty.blk", {}},
        {"one.blk", {{"graphics\\menu\\a.rim", 24}}},
        {"three.blk", {{"graphics\\a.rim", 9}, {"", 0}, {"sound\\b.wav", 44}}},
        {"longest-path.blk", {{std::string(259, 'p'), 3}}},
    };
    for (const Case& c : cases) {
        std::vector<Bytes> data;
        std::vector<suite::TransferItem> items;
        for (const auto& [path, size] : c.items) {
            data.push_back(Pattern(size, static_cast<unsigned>(data.size())));
        }
        for (std::size_t i = 0; i < c.items.size(); ++i) {
            items.push_back({c.items[i].first, data[i]});
        }
        const suite::BuiltTransferBlock built = suite::BuildTransferBlock(items);
        Require(built.status == suite::TransferBlockStatus::Ok, "BuildTransferBlock");
        WriteBytes(Out("transfer", c.name), built.bytes);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_seeds <corpus directory>\n");
        return 2;
    }
    g_root = argv[1];
    Fastfiles();
    Database();
    Patches();
    SavePictures<CBmpImage>("bmp", "bmp", {4, 8, 24});
    SavePictures<CTgaImage>("tga", "tga", {8, 16, 24});
    SavePictures<CIffImage>("iff", "iff", {4, 8, 24});
    RleBitmap();
    RleTarga();
    Textures();
    PackedDibs();
    IniFiles();
    TransferBlocks();
    return 0;
}
