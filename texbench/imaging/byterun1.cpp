#include "texbench/imaging/byterun1.h"

#include <algorithm>

std::size_t ByteRun1Decode(std::span<const std::uint8_t> in, std::span<std::uint8_t> out) {
    std::size_t i = 0, o = 0;
    while (i < in.size() && o < out.size()) {
        const auto header = static_cast<std::int8_t>(in[i++]);
        if (header == -128) {
            continue;
        }
        if (header < 0) {
            if (i >= in.size()) {
                break;
            }
            const std::size_t count = std::min<std::size_t>(1 - header, out.size() - o);
            std::fill_n(out.begin() + static_cast<std::ptrdiff_t>(o), count, in[i++]);
            o += count;
        } else {
            const std::size_t count =
                std::min({std::size_t(header) + 1, out.size() - o, in.size() - i});
            std::copy_n(in.begin() + static_cast<std::ptrdiff_t>(i), count,
                        out.begin() + static_cast<std::ptrdiff_t>(o));
            i += std::size_t(header) + 1;
            o += count;
        }
    }
    return o;
}

std::vector<std::uint8_t> ByteRun1Encode(std::span<const std::uint8_t> in, std::size_t rowLength) {
    const std::size_t n = in.size();
    // True when byte j + 1 exists and belongs to the same row as byte j.
    auto sameRow = [&](std::size_t j) {
        return j + 1 < n && (rowLength == 0 || (j + 1) % rowLength != 0);
    };
    std::vector<std::uint8_t> out;
    out.reserve(n + n / 64 + 2);
    std::size_t i = 0;
    while (i < n) {
        const std::uint8_t c = in[i];
        if (!sameRow(i)) {
            out.push_back(0);
            out.push_back(c);
            ++i;
        } else if (in[i + 1] != c) {
            std::size_t k = 0;
            while (k < 127 && sameRow(i + k) && in[i + k] != in[i + k + 1]) {
                ++k;
            }
            k = std::max<std::size_t>(k, 1);
            out.push_back(static_cast<std::uint8_t>(k - 1));
            out.insert(out.end(), in.begin() + static_cast<std::ptrdiff_t>(i),
                       in.begin() + static_cast<std::ptrdiff_t>(i + k));
            i += k;
        } else {
            std::size_t repeats = 0;
            while (repeats < 127 && sameRow(i + repeats) && in[i + repeats + 1] == c) {
                ++repeats;
            }
            out.push_back(static_cast<std::uint8_t>(-static_cast<int>(repeats)));
            out.push_back(c);
            i += 1 + repeats;
        }
    }
    return out;
}
