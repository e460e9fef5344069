// Quantising a 1024 x 1024 photo-like picture to 256 colours, against ImageMagick's
// "convert -colors 256" on the same picture in the same run.
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

#include "texbench/imaging/image_data.h"

namespace {

constexpr unsigned kSide = kPhotoSide;

void BM_ImgTo8Bit(benchmark::State& state) {
    for (auto _ : state) {
        IMAGEDATA image{};
        image.header.wWidth = kSide;
        image.header.wHeight = kSide;
        image.header.bDepth = 24;
        image.header.bAlign = 8;
        image.dwPixelBytes = kSide * kSide * 3;
        image.lpPixels = static_cast<std::uint8_t*>(std::malloc(image.dwPixelBytes));
        std::memcpy(image.lpPixels, PhotoPicture().data(), image.dwPixelBytes);
        if (!ImgTo8Bit(&image, 0)) {
            state.SkipWithError("quantising failed");
        }
        ImgFree(&image);
    }
}
BENCHMARK(BM_ImgTo8Bit)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ConvertColors256(benchmark::State& state) {
    const auto dir = std::filesystem::temp_directory_path();
    const std::string input = (dir / "qm-bench-picture.rgb").string();
    const std::string output = (dir / "qm-bench-picture.bmp").string();
    std::vector<std::uint8_t> rgb(PhotoPicture());
    for (std::size_t i = 0; i < rgb.size(); i += 3) {
        std::swap(rgb[i], rgb[i + 2]);
    }
    std::FILE* out = std::fopen(input.c_str(), "wb");
    std::fwrite(rgb.data(), 1, rgb.size(), out);
    std::fclose(out);
    const std::string command =
        "convert -size 1024x1024 -depth 8 rgb:" + input + " -colors 256 " + output + " 2>/dev/null";
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError("ImageMagick convert is not available");
            break;
        }
    }
    std::remove(input.c_str());
    std::remove(output.c_str());
}
BENCHMARK(BM_ConvertColors256)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
