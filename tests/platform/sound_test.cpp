// The sound service's request rules against the recording output, and the reader that
// decides what can be played at all.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/byte_order.h"
#include "platform/pcm_wave.h"
#include "platform/sound.h"
#include "tests/support/wav_builder.h"

namespace {

using qm::PcmFormat;
using qm_test::MakeWav;
using qm_test::WavFields;

std::vector<std::uint8_t> Counting(std::size_t size) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<std::uint8_t>(i * 7 + 1);
    }
    return bytes;
}

TEST(PcmWave, ReadsEveryPlayableFormat) {
    const WavFields formats[] = {
        {1, 1, 11025, 8}, {1, 2, 22050, 8}, {1, 1, 44100, 16}, {1, 2, 44100, 16}, {1, 1, 8000, 16}};
    for (const WavFields& f : formats) {
        const auto samples = Counting(400);
        const auto sound = qm::ReadPcmWave(MakeWav(f, samples));
        ASSERT_TRUE(sound) << f.channels << " ch " << f.bitsPerSample << " bit";
        EXPECT_EQ(sound->format, (PcmFormat{f.samplesPerSecond, f.channels, f.bitsPerSample}));
        EXPECT_EQ(sound->samples, samples);
    }
}

// Files the player must not try: each one is a proper WAV with one field spoilt.
TEST(PcmWave, RefusesWhatCannotBePlayed) {
    struct Case {
        const char* what;
        std::size_t offset;
        std::uint32_t value;
        int width;
    };
    const Case cases[] = {
        {"compressed format", 20, 2, 2},
        {"no channels", 22, 0, 2},
        {"three channels", 22, 3, 2},
        {"zero rate", 24, 0, 4},
        {"absurd rate", 24, 0xFFFFFFFF, 4},
        {"24 bits", 34, 24, 2},
        {"no bits", 34, 0, 2},
        {"empty data chunk", 40, 0, 4},
        {"not RIFF", 0, 0x46464952 ^ 1, 4},
        {"not WAVE", 8, 0, 4},
        {"data chunk renamed", 36, 0x61746164 ^ 0x20, 4},
    };
    for (const Case& c : cases) {
        auto wav = MakeWav({}, Counting(64));
        (c.width == 2 ? qm::PutU16LE : qm::PutU32LE)(wav.data() + c.offset, c.value);
        EXPECT_FALSE(qm::ReadPcmWave(wav)) << c.what;
    }
}

TEST(PcmWave, CutShortFilesAreNeverReadPastTheirEnd) {
    const auto wav = MakeWav({}, Counting(64));
    for (std::size_t size = 0; size < 44; ++size) {
        EXPECT_FALSE(qm::ReadPcmWave(std::span(wav.data(), size))) << size;
    }
    // A data chunk that claims more than the file holds plays what is there, in whole
    // frames: 21 bytes of 16-bit mono are ten frames.
    auto claimsMore = MakeWav({}, Counting(21));
    qm::PutU32LE(claimsMore.data() + 40, 1'000'000);
    qm::PutU32LE(claimsMore.data() + 4, 0xFFFFFFFF);
    const auto sound = qm::ReadPcmWave(claimsMore);
    ASSERT_TRUE(sound);
    EXPECT_EQ(sound->samples,
              std::vector<std::uint8_t>(claimsMore.begin() + 44, claimsMore.end() - 1));
    // A format chunk whose size runs past the end leaves no data chunk to find.
    auto hugeFormat = MakeWav({}, Counting(64));
    qm::PutU32LE(hugeFormat.data() + 16, 0xFFFFFFF0);
    EXPECT_FALSE(qm::ReadPcmWave(hugeFormat));
}

// Other writers put chunks between the format and the samples, padded to even sizes, and a
// larger format chunk.
TEST(PcmWave, StepsOverOtherChunks) {
    const auto plain = MakeWav({1, 2, 11025, 8}, Counting(30));
    std::vector<std::uint8_t> wav(plain.begin(), plain.begin() + 16);
    const std::uint8_t format18[] = {18, 0, 0, 0};
    wav.insert(wav.end(), format18, format18 + 4);
    wav.insert(wav.end(), plain.begin() + 20, plain.begin() + 36);
    wav.insert(wav.end(), {0, 0});  // the extension size of an 18-byte format chunk
    const std::uint8_t list[] = {'L', 'I', 'S', 'T', 3, 0, 0, 0, 'a', 'b', 'c', 0};
    wav.insert(wav.end(), list, list + sizeof list);
    wav.insert(wav.end(), plain.begin() + 36, plain.end());
    const auto sound = qm::ReadPcmWave(wav);
    ASSERT_TRUE(sound);
    EXPECT_EQ(sound->format, (PcmFormat{11025, 2, 8}));
    EXPECT_EQ(sound->samples, Counting(30));
}

TEST(SoundService, NewRequestsReplaceAndStopEnds) {
    qm::RecordingSoundOutput output;
    const auto first = MakeWav({}, Counting(100));
    const auto second = MakeWav({1, 2, 44100, 8}, Counting(50));
    qm::PlaySoundFromMemory(first, false);
    ASSERT_NE(output.Current(), nullptr);
    EXPECT_EQ(output.Current()->samples, Counting(100));
    EXPECT_FALSE(output.CurrentLoops());

    qm::PlaySoundFromMemory(second, true);
    ASSERT_NE(output.Current(), nullptr);
    EXPECT_EQ(output.Current()->samples, Counting(50));
    EXPECT_TRUE(output.CurrentLoops());

    qm::StopSound();
    EXPECT_EQ(output.Current(), nullptr);
    EXPECT_EQ(output.Requests().size(), 3u);
}

// An unplayable request is silence: it stops what played and starts nothing, the way a
// request that plays does.
TEST(SoundService, UnplayableRequestsAreSilent) {
    qm::RecordingSoundOutput output;
    auto compressed = MakeWav({}, Counting(100));
    qm::PutU16LE(compressed.data() + 20, 85);
    const std::vector<std::vector<std::uint8_t>> unplayable = {
        compressed, {}, {'R', 'I', 'F', 'F'}, Counting(200)};
    for (const auto& bytes : unplayable) {
        qm::PlaySoundFromMemory(MakeWav({}, Counting(10)), true);
        qm::PlaySoundFromMemory(bytes, false);
        EXPECT_EQ(output.Current(), nullptr);
    }
    qm::PlaySoundFile("/nonexistent/dir/none.wav", true);
    EXPECT_EQ(output.Current(), nullptr);
}

TEST(SoundService, PlaysItsOwnCopy) {
    qm::RecordingSoundOutput output;
    auto item = MakeWav({}, Counting(100));
    qm::PlaySoundFromMemory(item, false);
    std::fill(item.begin() + 44, item.end(), 0);
    item.clear();
    item.shrink_to_fit();
    ASSERT_NE(output.Current(), nullptr);
    EXPECT_EQ(output.Current()->samples, Counting(100));
}

TEST(SoundService, PlaysFilesByNameLoopingOrNot) {
    qm::RecordingSoundOutput output;
    const std::filesystem::path file =
        std::filesystem::path(::testing::TempDir()) / "qm_sound_test_plays_by_name.wav";
    {
        const auto wav = MakeWav({1, 2, 11025, 16}, Counting(40));
        std::ofstream(file, std::ios::binary)
            .write(reinterpret_cast<const char*>(wav.data()),
                   static_cast<std::streamsize>(wav.size()));
    }
    qm::PlaySoundFile(file.string(), true);
    ASSERT_NE(output.Current(), nullptr);
    EXPECT_TRUE(output.CurrentLoops());
    EXPECT_EQ(output.Current()->format, (PcmFormat{11025, 2, 16}));
    qm::PlaySoundFile(file.string(), false);
    EXPECT_FALSE(output.CurrentLoops());
    std::filesystem::remove(file);
}

TEST(SoundService, WithoutAnOutputEveryRequestIsSilent) {
    ASSERT_EQ(qm::SetSoundOutput(nullptr), nullptr);
    qm::PlaySoundFromMemory(MakeWav({}, Counting(10)), true);
    qm::PlaySoundFile("x.wav", false);
    qm::StopSound();
}

}  // namespace
