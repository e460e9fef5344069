// ILBM encode (import + planar + write) and decode (read + planar + export) of a 1024 x 1024
// photo-like true-colour picture, against netpbm's ppmtoilbm / ilbmtoppm on the same picture
// in the same run. The netpbm figures include starting the process and the PPM side of the
// conversion; ours include the file write or read.
#include <benchmark/benchmark.h>

#include "bench/photo_picture.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "texbench/imaging/iff_image.h"

namespace {

constexpr unsigned kSide = kPhotoSide;

std::string TempPath(const char* name) {
    return (std::filesystem::temp_directory_path() / name).string();
}

IMAGEDATA Record() {
    IMAGEDATA image{};
    image.header.wWidth = kSide;
    image.header.wHeight = kSide;
    image.header.bDepth = 24;
    image.header.bAlign = 8;
    image.dwPixelBytes = kSide * kSide * 3;
    image.lpPixels = static_cast<std::uint8_t*>(std::malloc(image.dwPixelBytes));
    std::memcpy(image.lpPixels, PhotoPicture().data(), image.dwPixelBytes);
    return image;
}

// Our file, written once, read by the decode benchmarks.
const std::string& OurFile() {
    static const std::string path = [] {
        const std::string p = TempPath("qm-bench-ours.iff");
        IMAGEDATA image = Record();
        CIffImage iff;
        iff.ImportFrom(&image);
        iff.SaveFile(p);
        ImgFree(&image);
        return p;
    }();
    return path;
}

const std::string& PpmFile() {
    static const std::string path = [] {
        const std::string p = TempPath("qm-bench-picture.ppm");
        std::vector<std::uint8_t> rgb(PhotoPicture());
        for (std::size_t i = 0; i < rgb.size(); i += 3) {
            std::swap(rgb[i], rgb[i + 2]);
        }
        std::FILE* out = std::fopen(p.c_str(), "wb");
        std::fprintf(out, "P6\n%u %u\n255\n", kSide, kSide);
        std::fwrite(rgb.data(), 1, rgb.size(), out);
        std::fclose(out);
        return p;
    }();
    return path;
}

void BM_IffEncode(benchmark::State& state) {
    const std::string output = TempPath("qm-bench-encode.iff");
    for (auto _ : state) {
        IMAGEDATA image = Record();
        CIffImage iff;
        if (!iff.ImportFrom(&image) || !iff.SaveFile(output)) {
            state.SkipWithError("encoding failed");
        }
        ImgFree(&image);
    }
    std::remove(output.c_str());
}
BENCHMARK(BM_IffEncode)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

void BM_IffDecode(benchmark::State& state) {
    const std::string& input = OurFile();
    for (auto _ : state) {
        CIffImage iff;
        IMAGEDATA image{};
        if (!iff.LoadFile(input) || !iff.ExportTo(&image)) {
            state.SkipWithError("decoding failed");
        }
        ImgFree(&image);
    }
}
BENCHMARK(BM_IffDecode)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

void RunTool(benchmark::State& state, const std::string& command) {
    for (auto _ : state) {
        if (std::system((command + " 2>/dev/null").c_str()) != 0) {
            state.SkipWithError("netpbm is not available");
            break;
        }
    }
}

void BM_NetpbmPpmToIlbm(benchmark::State& state) {
    const std::string output = TempPath("qm-bench-theirs.iff");
    RunTool(state, "ppmtoilbm -24force -cmethod none " + PpmFile() + " > " + output);
    std::remove(output.c_str());
}
BENCHMARK(BM_NetpbmPpmToIlbm)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

void BM_NetpbmIlbmToPpm(benchmark::State& state) {
    const std::string output = TempPath("qm-bench-theirs.ppm");
    RunTool(state, "ilbmtoppm " + OurFile() + " > " + output);
    std::remove(output.c_str());
}
BENCHMARK(BM_NetpbmIlbmToPpm)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
