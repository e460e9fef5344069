#include "texbench/imaging/byterun1.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using Bytes = std::vector<std::uint8_t>;

// Header bytes of the runs in an encoded stream, with the length each one stands for.
std::vector<int> RunLengths(const Bytes& encoded) {
    std::vector<int> lengths;
    for (std::size_t i = 0; i < encoded.size();) {
        const auto h = static_cast<std::int8_t>(encoded[i]);
        if (h < 0) {
            lengths.push_back(1 - h);
            i += 2;
        } else {
            lengths.push_back(h + 1);
            i += 1 + h + 1;
        }
    }
    return lengths;
}

struct EncodeCase {
    const char* name;
    Bytes input;
    std::size_t rowLength;
    std::vector<int> runs;  // lengths; the sign tells nothing, only the split matters
};

Bytes Repeat(std::size_t n, std::uint8_t v) {
    return Bytes(n, v);
}
Bytes Counting(std::size_t n) {
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i) {
        b[i] = static_cast<std::uint8_t>(i);
    }
    return b;
}

TEST(ByteRun1Encode, SplitsRunsWithinRowsAndLimits) {
    const std::vector<EncodeCase> cases = {
        {"300 equal bytes in one row", Repeat(300, 7), 300, {128, 128, 44}},
        {"equal bytes over two rows", Repeat(8, 1), 4, {4, 4}},
        {"row of one byte", Counting(3), 1, {1, 1, 1}},
        // The last byte of a row always stands alone.
        {"literal row", Counting(5), 5, {4, 1}},
        {"200 different bytes", Counting(200), 0, {127, 72, 1}},
        {"literal then repeat", Bytes{1, 2, 3, 3, 3}, 0, {2, 3}},
        {"repeat ends at row end", Bytes{5, 5, 5, 5, 5, 5}, 3, {3, 3}},
        {"single byte", Bytes{9}, 0, {1}},
        {"empty", Bytes{}, 4, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes encoded = ByteRun1Encode(c.input, c.rowLength);
        EXPECT_EQ(RunLengths(encoded), c.runs);
        Bytes decoded(c.input.size(), 0);
        EXPECT_EQ(ByteRun1Decode(encoded, decoded), c.input.size());
        EXPECT_EQ(decoded, c.input);
    }
}

TEST(ByteRun1Encode, RandomBodiesRoundTripAndNoRunCrossesARow) {
    std::mt19937 rng(42);
    for (int round = 0; round < 200; ++round) {
        const std::size_t rowLength = 1 + rng() % 40;
        const std::size_t rows = 1 + rng() % 20;
        Bytes body(rowLength * rows);
        for (auto& b : body) {
            b = static_cast<std::uint8_t>(rng() % 3 == 0 ? rng() : 0xAA);  // long runs and noise
        }
        const Bytes encoded = ByteRun1Encode(body, rowLength);
        // Every run ends on or before a row boundary.
        std::size_t position = 0;
        for (int length : RunLengths(encoded)) {
            ASSERT_LE(position / rowLength, (position + length - 1) / rowLength);
            ASSERT_EQ(position / rowLength, (position + length - 1) / rowLength)
                << "run at " << position << " crosses a row of " << rowLength;
            position += static_cast<std::size_t>(length);
        }
        Bytes decoded(body.size(), 0);
        ByteRun1Decode(encoded, decoded);
        ASSERT_EQ(decoded, body);
    }
}

struct DecodeCase {
    const char* name;
    Bytes input;
    std::size_t outputSize;
    Bytes expected;
};

TEST(ByteRun1Decode, StaysInsideBothBuffers) {
    const std::vector<DecodeCase> cases = {
        {"-128 is a no-op", Bytes{0x80, 0x01, 0xAA, 0xBB}, 2, Bytes{0xAA, 0xBB}},
        {"repeat cut at output end", Bytes{0x81, 0x55}, 3, Bytes{0x55, 0x55, 0x55}},
        {"literal cut at output end", Bytes{0x03, 1, 2, 3, 4}, 2, Bytes{1, 2}},
        {"literal missing input", Bytes{0x05, 1, 2}, 6, Bytes{1, 2, 0, 0, 0, 0}},
        {"repeat missing its byte", Bytes{0xFE}, 3, Bytes{0, 0, 0}},
        {"input ends early", Bytes{0xFF, 9}, 4, Bytes{9, 9, 0, 0}},
        {"empty input", Bytes{}, 2, Bytes{0, 0}},
        {"empty output", Bytes{0x00, 1}, 0, Bytes{}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes out(c.outputSize, 0);
        ByteRun1Decode(c.input, out);
        EXPECT_EQ(out, c.expected);
    }
}

TEST(ByteRun1Decode, RandomInputNeverOverruns) {
    std::mt19937 rng(7);
    for (int round = 0; round < 2000; ++round) {
        Bytes in(rng() % 64);
        for (auto& b : in) {
            b = static_cast<std::uint8_t>(rng());
        }
        // Exact-size heap blocks so the sanitizer build sees any stray access.
        Bytes out(rng() % 256);
        EXPECT_LE(ByteRun1Decode(in, out), out.size());
    }
}

}  // namespace
