// fftool's texture export-all and import, run as the built program:
//  - export-all of the demo game and of a generated game of 20,000 textures, in textures per
//    second;
//  - importing one 256 x 256 picture into a generated 256 MiB Fastfile of 4,000 items, beside
//    the Fastfile's own save in the same run (target: import at most 1.3x), alternating so both
//    see the same machine and cache. The save is measured twice: as `fftool replace` of that
//    item by a texture of the same size (a fresh process that opens and saves the Fastfile,
//    the yardstick of the target), and as open + save inside this process, whose heap is warm.
// Usage: texture_batch_bench [textures=20000] [fastfile MiB=256] [rounds=3]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "packlib/packlib_exports.h"
#include "texbench/imaging/bmp_image.h"
#include "texbench/imaging/rim_archive.h"

namespace {

namespace fs = std::filesystem;

constexpr int kFastfileItems = 4000;
constexpr int kTexturesPerFastfile = 1000;

bool Run(const std::string& command) {
    return std::system((command + " > /dev/null").c_str()) == 0;
}

// A 24-bit picture of `side` x `side` in a few hundred colours, shifted by `seed`.
IMAGEDATA Picture(unsigned side, unsigned seed) {
    IMAGEDATA image{};
    image.header.wWidth = image.header.wHeight = static_cast<std::uint16_t>(side);
    image.header.bDepth = 24;
    image.header.bAlign = 8;
    image.dwPixelBytes = side * side * 3;
    image.lpPixels = static_cast<std::uint8_t*>(std::malloc(image.dwPixelBytes));
    for (unsigned p = 0; p < side * side; ++p) {
        image.lpPixels[p * 3] = static_cast<std::uint8_t>((p % side) * 8 + seed);
        image.lpPixels[p * 3 + 1] = static_cast<std::uint8_t>((p / side) * 8);
        image.lpPixels[p * 3 + 2] = static_cast<std::uint8_t>(seed * 3);
    }
    return image;
}

std::vector<std::uint8_t> Texture(unsigned side, unsigned seed) {
    IMAGEDATA image = Picture(side, seed);
    CRimArchive rim;
    const bool filled = rim.FillSlots(&image);
    ImgFree(&image);
    return filled ? rim.Compile() : std::vector<std::uint8_t>{};
}

// A game folder of `textures` textures in Fastfiles of 1,000, listed by its ffinfo.txt.
bool MakeGame(const std::string& game, int textures) {
    fs::create_directories(game + "/fastfile");
    FFLDB* db = FFLCreateDatabase((game + "/fastfile/ffinfo.txt").c_str());
    std::vector<std::vector<std::uint8_t>> kinds;
    for (unsigned k = 0; k < 8; ++k) {
        kinds.push_back(Texture(32, k));
    }
    for (int f = 0; f * kTexturesPerFastfile < textures; ++f) {
        const std::string folder = "graphics\\set" + std::to_string(f);
        const std::string file = "Set" + std::to_string(f) + ".ffl";
        FFLAddDbItem(db, folder.c_str(), file.c_str());
        FFLARCHIVE* archive = FFLCreateArchive((game + "/fastfile/" + file).c_str());
        for (int i = 0; i < kTexturesPerFastfile && f * kTexturesPerFastfile + i < textures; ++i) {
            const auto& bytes = kinds[static_cast<std::size_t>(i) % kinds.size()];
            const std::string item = folder + "\\texture" + std::to_string(i) + ".rim";
            FFLAddItem(archive, item.c_str(), bytes.data(), static_cast<uint32_t>(bytes.size()));
        }
        const bool saved = FFLSaveArchive(archive, nullptr);
        FFLCloseArchive(archive);
        if (!saved) {
            return false;
        }
    }
    const bool saved = FFLSaveDatabase(db, nullptr);
    FFLCloseDatabase(db);
    return saved;
}

// 4,000 items of `totalBytes` together; the first is a texture, the rest filler.
bool MakeLargeFastfile(const std::string& path, std::size_t totalBytes) {
    FFLARCHIVE* archive = FFLCreateArchive(path.c_str());
    const std::vector<std::uint8_t> texture = Texture(256, 1);
    FFLAddItem(archive, "graphics\\folder0\\texture0.rim", texture.data(),
               static_cast<uint32_t>(texture.size()));
    bench::AddFillerItems(archive, 1, kFastfileItems - 1, totalBytes / kFastfileItems);
    const bool saved = FFLSaveArchive(archive, nullptr);
    FFLCloseArchive(archive);
    return saved;
}

double ExportAll(const std::string& fftool, const std::string& source, const std::string& out,
                 int rounds) {
    std::vector<double> times;
    for (int round = 0; round < rounds; ++round) {
        fs::remove_all(out);
        times.push_back(bench::Seconds("texture_batch_bench", [&] {
            return Run(fftool + " texture export-all '" + source + "' '" + out + "'");
        }));
    }
    return bench::Median(times);
}

}  // namespace

int main(int argc, char** argv) {
    const int textures = argc > 1 ? std::atoi(argv[1]) : 20000;
    const std::size_t megabytes = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 256;
    const int rounds = argc > 3 ? std::atoi(argv[3]) : 3;
    const fs::path bin = fs::canonical("/proc/self/exe").parent_path();
    const std::string fftool = (bin / "fftool").string();
    std::string pattern = (fs::temp_directory_path() / "texture-batch-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        return 1;
    }
    const std::string demo = pattern + "/demo";
    if (!Run((bin / "make-demo-game").string() + " '" + demo + "'")) {
        return 1;
    }
    const double demoSeconds = ExportAll(fftool, demo, pattern + "/demo-out", rounds);
    std::printf("export-all demo game: 11 textures in %.1f ms = %.0f textures/s\n",
                demoSeconds * 1e3, 11 / demoSeconds);

    const std::string game = pattern + "/game";
    if (!MakeGame(game, textures)) {
        return 1;
    }
    const double gameSeconds = ExportAll(fftool, game, pattern + "/game-out", rounds);
    std::printf("export-all generated game: %d textures (32 x 32) in %.2f s = %.0f textures/s\n",
                textures, gameSeconds, textures / gameSeconds);
    fs::remove_all(pattern + "/game-out");
    fs::remove_all(game);

    const std::string large = pattern + "/large.ffl";
    if (!MakeLargeFastfile(large, megabytes << 20)) {
        return 1;
    }
    IMAGEDATA image = Picture(256, 7);
    CBmpImage bmp;
    const std::string picture = pattern + "/picture.bmp";
    if (!bmp.ImportFrom(&image) || !bmp.SaveFile(picture)) {
        return 1;
    }
    ImgFree(&image);
    const std::string import = fftool + " texture import '" + large +
                               "' 'graphics/folder0/texture0.rim' '" + picture + "'";
    const std::string rim = pattern + "/texture.rim";
    const std::vector<std::uint8_t> texture = Texture(256, 2);
    if (std::FILE* file = std::fopen(rim.c_str(), "wb")) {
        std::fwrite(texture.data(), 1, texture.size(), file);
        std::fclose(file);
    }
    const std::string replace =
        fftool + " replace '" + large + "' 'graphics/folder0/texture0.rim' '" + rim + "'";
    std::vector<double> save, replaces, imports;
    for (int round = 0; round < rounds; ++round) {
        replaces.push_back(bench::Seconds("texture_batch_bench", [&] { return Run(replace); }));
        save.push_back(bench::Seconds("texture_batch_bench", [&] {
            FFLARCHIVE* archive = FFLOpenArchive(large.c_str());
            const bool ok = archive != nullptr && FFLSaveArchive(archive, nullptr);
            FFLCloseArchive(archive);
            return ok;
        }));
        imports.push_back(bench::Seconds("texture_batch_bench", [&] { return Run(import); }));
    }
    std::printf(
        "import 256 x 256 into %zu MiB, %d items: fftool replace (open+save) %.1f ms | fftool "
        "texture import %.1f ms = %.2fx (target at most 1.3x) | in-process open+save %.1f ms = "
        "%.2fx\n",
        megabytes, kFastfileItems, bench::Median(replaces) * 1e3, bench::Median(imports) * 1e3,
        bench::Median(imports) / bench::Median(replaces), bench::Median(save) * 1e3,
        bench::Median(imports) / bench::Median(save));
    fs::remove_all(pattern);
    return 0;
}
