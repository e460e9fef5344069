// Inputs that claim sizes far beyond their own length must be refused quickly and without
// asking for memory in proportion to the claim. Each case runs in a child process; the
// parent reports its exit, time and peak memory. Run through huge_claims.sh, which caps
// every single allocation at 64 MiB (an allocation above it ends the child with a report).
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "suite/transfer/transfer_block.h"
#include "tests/fuzz/fuzz_image_support.h"
#include "tests/fuzz/fuzz_support.h"
#include "texbench/imaging/bmp_image.h"
#include "texbench/imaging/iff_image.h"
#include "texbench/imaging/packed_dib.h"
#include "texbench/imaging/rim_archive.h"
#include "texbench/imaging/tga_image.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr long kMaxGrowthKiB = 64 * 1024;
constexpr double kMaxSeconds = 2.0;

void Le16(Bytes& b, unsigned v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Le32(Bytes& b, std::uint32_t v) {
    Le16(b, v & 0xFFFF);
    Le16(b, v >> 16);
}
void Be16(Bytes& b, unsigned v) {
    b.push_back(static_cast<std::uint8_t>(v >> 8));
    b.push_back(static_cast<std::uint8_t>(v));
}
void Be32(Bytes& b, std::uint32_t v) {
    Be16(b, v >> 16);
    Be16(b, v & 0xFFFF);
}
void Tag(Bytes& b, const char* tag) {
    b.insert(b.end(), tag, tag + 4);
}
void Fill(Bytes& b, std::size_t n, std::uint8_t v = 0) {
    b.insert(b.end(), n, v);
}

// --- hostile inputs ---------------------------------------------------------------------

Bytes FastfileHugeDirectory() {
    Bytes b;
    Tag(b, "RFFL");
    Le32(b, 0);
    Le32(b, 1);
    Le32(b, 0xFFFFFFF0u);  // directory size
    Le32(b, 0xFFFFFFF0u);  // data block size
    Fill(b, 80);
    return b;
}

Bytes FastfileHugeCount() {
    Bytes b;
    Tag(b, "RFFL");
    Le32(b, 0);
    Le32(b, 0xFFFFFFFFu);  // item count
    Le32(b, 12);
    Le32(b, 4);
    Le32(b, 0);
    Le32(b, 4);
    Fill(b, 4);  // empty path
    Fill(b, 4, 7);
    return b;
}

Bytes SoundArchiveHugeChunk() {
    Bytes b;
    Le16(b, 1);
    const char* name = "sound\\x.wav";
    b.insert(b.end(), name, name + 12);
    Tag(b, "RIFF");
    Le32(b, 0xFFFFFFF0u);
    Tag(b, "WAVE");
    Fill(b, 64);
    return b;
}

Bytes PatchChunk(const char* tag, std::uint32_t claimed) {
    Bytes b;
    Tag(b, "QMRK");
    Le32(b, 0xFFFFFFF0u);
    Tag(b, "KDZ1");
    Tag(b, "LIST");
    Le32(b, 0xFFFFFFF0u);
    Tag(b, "KDZ1");
    Tag(b, "FORM");
    Le32(b, 0xFFFFFFF0u);
    Tag(b, "KDZ1");
    Tag(b, "PATH");
    Le32(b, 4);
    Tag(b, "a\\b");
    Tag(b, tag);
    Le32(b, claimed);
    Fill(b, 40, 'x');
    return b;
}

Bytes TransferBlock(std::uint32_t count, std::uint32_t size) {
    Bytes b;
    Tag(b, "RFFL");
    Le32(b, count);
    const char* path = "graphics\\a.rim";
    b.insert(b.end(), path, path + 15);
    Fill(b, 260 - 15);
    Le32(b, size);
    Fill(b, 64, 'x');
    return b;
}

// An ILBM bitmap header of the given size, for IFF files and RIM slots.
void Bmhd(Bytes& b, unsigned width, unsigned height, unsigned planes, unsigned compression) {
    Tag(b, "BMHD");
    Be32(b, 20);
    Be16(b, width);
    Be16(b, height);
    Be32(b, 0);
    b.push_back(static_cast<std::uint8_t>(planes));
    b.push_back(0);
    b.push_back(static_cast<std::uint8_t>(compression));
    b.push_back(0);
    Be16(b, 0);
    b.push_back(1);
    b.push_back(1);
    Be16(b, width);
    Be16(b, height);
}

Bytes IlbmForm(unsigned planes, unsigned compression, unsigned paletteBytes,
               std::uint32_t bodyClaim, unsigned width = 65535, unsigned height = 65535) {
    Bytes b;
    Tag(b, "FORM");
    Be32(b, 0);  // patched below
    Tag(b, "ILBM");
    Bmhd(b, width, height, planes, compression);
    if (paletteBytes != 0) {
        Tag(b, "CMAP");
        Be32(b, paletteBytes);
        Fill(b, paletteBytes, 0x40);
    }
    Tag(b, "BODY");
    Be32(b, bodyClaim);
    for (int i = 0; i < 32; ++i) {
        b.push_back(0x81);  // ByteRun1: repeat the next byte 128 times
        b.push_back(0x55);
    }
    const std::uint32_t size = static_cast<std::uint32_t>(b.size() - 8);
    b[4] = static_cast<std::uint8_t>(size >> 24);
    b[5] = static_cast<std::uint8_t>(size >> 16);
    b[6] = static_cast<std::uint8_t>(size >> 8);
    b[7] = static_cast<std::uint8_t>(size);
    return b;
}

Bytes RimWithSlot(const Bytes& slot) {
    Bytes b;
    Tag(b, "LIST");
    Be32(b, static_cast<std::uint32_t>(32 + slot.size()));
    Tag(b, "ILBM");
    Tag(b, "PROP");
    Be32(b, 20);
    Tag(b, "ILBM");
    Tag(b, "TRAN");
    Be32(b, 8);
    Fill(b, 8);
    b.insert(b.end(), slot.begin(), slot.end());
    return b;
}

Bytes Bitmap(unsigned bits, unsigned compression, std::uint32_t width = 65535,
             std::uint32_t height = 65535) {
    Bytes b = {'B', 'M'};
    const std::uint32_t offset = 14 + 40 + (bits <= 8 ? (4u << bits) : 0u);
    Le32(b, offset + 64);
    Le32(b, 0);
    Le32(b, offset);
    Le32(b, 40);
    Le32(b, width);
    Le32(b, height);
    Le16(b, 1);
    Le16(b, bits);
    Le32(b, compression);
    Le32(b, 64);
    Le32(b, 0);
    Le32(b, 0);
    Le32(b, 0);
    Le32(b, 0);
    Fill(b, offset - b.size());
    // RLE: a run, then end of picture; raw: just too few bytes.
    b.insert(b.end(), {0xFF, 0x01, 0x00, 0x01});
    Fill(b, 60);
    return b;
}

Bytes Targa(unsigned type, unsigned width = 65535, unsigned height = 65535) {
    Bytes b = {0, 0, static_cast<std::uint8_t>(type), 0, 0, 0, 0, 0, 0, 0, 0, 0};
    Le16(b, width);
    Le16(b, height);
    b.push_back(24);
    b.push_back(0x20);
    for (int i = 0; i < 16; ++i) {
        b.insert(b.end(), {0xFF, 1, 2, 3});  // 128 pixels of one colour
    }
    return b;
}

Bytes PackedDib(unsigned bits) {
    Bytes b;
    Le32(b, 40);
    Le32(b, 65535);
    Le32(b, 65535);
    Le16(b, 1);
    Le16(b, bits);
    Fill(b, 24);
    Fill(b, bits <= 8 ? (4u << bits) : 0u);
    Fill(b, 64, 0x11);
    return b;
}

// --- entry points -----------------------------------------------------------------------

void OpenFastfile(const Bytes& bytes) {
    static const qmfuzz::ScratchFile file("huge.ffl");
    const PACKLIBEXPORT& lib = qmfuzz::PackLib();
    file.Write(bytes.data(), bytes.size());
    lib.FFLCloseArchive(lib.FFLOpenArchive(file.Path()));
    lib.FFLCloseArchive(lib.FFLParseArchive(file.Path()));
}

void OpenPatch(const Bytes& bytes) {
    static const qmfuzz::ScratchFile file("huge.kdz");
    const PATCHLIBEXPORT& lib = qmfuzz::PatchLib();
    file.Write(bytes.data(), bytes.size());
    lib.KDZClosePatch(lib.KDZOpenPatch(file.Path()));
}

template <typename Image>
void LoadPicture(const Bytes& bytes) {
    Image image;
    qmfuzz::ImageRecord record;
    if (qmfuzz::ReadFrom(image, bytes.data(), bytes.size())) {
        image.ExportTo(&record.data);
    }
}

void LoadRim(const Bytes& bytes) {
    CRimArchive archive;
    if (archive.Parse(bytes)) {
        qmfuzz::ImageRecord record;
        archive.ExportSlot(0, &record.data);
    }
}

void LoadDib(const Bytes& bytes) {
    qmfuzz::ImageRecord record;
    ImgFromPackedDib(bytes, &record.data);
}

void ReadTransfer(const Bytes& bytes) {
    const suite::ParsedTransferBlock read = suite::ParseTransferBlock(bytes);
    if (read.status == suite::TransferBlockStatus::Ok) {
        std::_Exit(3);  // a hostile block must be refused
    }
}

struct Case {
    const char* name;
    std::function<void()> run;
};

std::vector<Case> Cases() {
    return {
        {"nothing (baseline)", [] {}},
        {"Fastfile: 4 GiB directory and data block", [] { OpenFastfile(FastfileHugeDirectory()); }},
        {"Fastfile: 4 billion items", [] { OpenFastfile(FastfileHugeCount()); }},
        {"sound archive: 4 GiB RIFF chunk", [] { OpenFastfile(SoundArchiveHugeChunk()); }},
        {"patch: 4 GiB DATA chunk", [] { OpenPatch(PatchChunk("DATA", 0xFFFFFFF0u)); }},
        {"patch: 4 GiB NAME chunk", [] { OpenPatch(PatchChunk("NAME", 0xFFFFFFF0u)); }},
        {"patch: 2 GiB PATH chunk", [] { OpenPatch(PatchChunk("PATH", 0x7FFFFFF0u)); }},
        {"IFF: 65535 x 65535, 24 planes, ByteRun1",
         [] { LoadPicture<CIffImage>(IlbmForm(24, 1, 0, 64)); }},
        {"IFF: 65535 x 65535, 8 planes, 4 GiB BODY",
         [] { LoadPicture<CIffImage>(IlbmForm(8, 0, 768, 0xFFFFFFF0u)); }},
        {"RIM: slot 65535 x 65535, 16 planes, ByteRun1",
         [] { LoadRim(RimWithSlot(IlbmForm(16, 1, 48, 64))); }},
        {"RIM: slot 65535 x 65535, 8 planes, raw",
         [] { LoadRim(RimWithSlot(IlbmForm(8, 0, 768, 64))); }},
        {"BMP: 65535 x 65535, 24 bits, raw", [] { LoadPicture<CBmpImage>(Bitmap(24, 0)); }},
        {"BMP: 65535 x 65535, 8 bits, RLE8", [] { LoadPicture<CBmpImage>(Bitmap(8, 1)); }},
        {"BMP: 65535 x 65535, 4 bits, RLE4", [] { LoadPicture<CBmpImage>(Bitmap(4, 2)); }},
        {"TGA: 65535 x 65535, 24 bits, raw", [] { LoadPicture<CTgaImage>(Targa(2)); }},
        {"TGA: 65535 x 65535, 24 bits, run-length", [] { LoadPicture<CTgaImage>(Targa(10)); }},
        // Just past the largest picture: a row too many, or more decoded bytes than it allows.
        {"BMP: 16384 x 16385, 8 bits, RLE8",
         [] { LoadPicture<CBmpImage>(Bitmap(8, 1, kImgMaxWidth, kImgMaxHeight + 1)); }},
        {"BMP: 16384 x 16384, 16 bits (24 decoded), raw",
         [] { LoadPicture<CBmpImage>(Bitmap(16, 0, kImgMaxWidth, kImgMaxHeight)); }},
        {"TGA: 16384 x 16384, 24 bits, run-length",
         [] { LoadPicture<CTgaImage>(Targa(10, kImgMaxWidth, kImgMaxHeight)); }},
        {"IFF: 16384 x 16384, 16 planes, ByteRun1",
         [] { LoadPicture<CIffImage>(IlbmForm(16, 1, 0, 64, kImgMaxWidth, kImgMaxHeight)); }},
        {"RIM: slot 16385 x 1, 8 planes, ByteRun1",
         [] { LoadRim(RimWithSlot(IlbmForm(8, 1, 48, 64, kImgMaxWidth + 1, 1))); }},
        {"packed DIB: 65535 x 65535, 24 bits", [] { LoadDib(PackedDib(24)); }},
        {"packed DIB: 65535 x 65535, 8 bits", [] { LoadDib(PackedDib(8)); }},
        {"transfer block: 4 billion records", [] { ReadTransfer(TransferBlock(0xFFFFFFFFu, 4)); }},
        {"transfer block: 4 GiB record", [] { ReadTransfer(TransferBlock(1, 0xFFFFFFFFu)); }},
    };
}

}  // namespace

int main() {
    int failures = 0;
    long baselineKiB = 0;
    for (const Case& c : Cases()) {
        const auto start = std::chrono::steady_clock::now();
        std::fflush(stdout);
        const pid_t child = fork();
        if (child == 0) {
            c.run();
            std::_Exit(0);
        }
        int status = 0;
        rusage usage{};
        wait4(child, &status, 0, &usage);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const long peakKiB = usage.ru_maxrss;
        if (baselineKiB == 0) {
            baselineKiB = peakKiB;
        }
        const long growthKiB = peakKiB - baselineKiB;
        const bool exited = WIFEXITED(status) && WEXITSTATUS(status) == 0;
        const bool ok = exited && seconds <= kMaxSeconds && growthKiB <= kMaxGrowthKiB;
        std::printf("%s %-48s %7.3f s  peak +%ld KiB%s\n", ok ? "ok  " : "FAIL", c.name, seconds,
                    growthKiB, exited ? "" : "  (ended abnormally, see above)");
        failures += ok ? 0 : 1;
    }
    return failures == 0 ? 0 : 1;
}
