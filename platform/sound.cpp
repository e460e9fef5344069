#include "platform/sound.h"

#include <fstream>
#include <iterator>

namespace qm {
namespace {

SoundOutput* g_output = nullptr;

// Anything unplayable replaces the playing sound with silence, as a new request does.
void Start(std::optional<PcmSound> sound, bool loop) {
    if (g_output == nullptr) {
        return;
    }
    if (!sound) {
        g_output->Stop();
        return;
    }
    g_output->Play(std::make_shared<const PcmSound>(std::move(*sound)), loop);
}

}  // namespace

SoundOutput::~SoundOutput() = default;

void PlaySoundFromMemory(std::span<const std::uint8_t> wav, bool loop) {
    Start(ReadPcmWave(wav), loop);
}

void PlaySoundFile(const std::string& fileName, bool loop) {
    std::ifstream file(fileName, std::ios::binary);
    std::vector<std::uint8_t> bytes;
    if (file) {
        bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }
    Start(file.bad() ? std::nullopt : ReadPcmWave(bytes), loop);
}

void StopSound() {
    if (g_output != nullptr) {
        g_output->Stop();
    }
}

SoundOutput* SetSoundOutput(SoundOutput* output) {
    SoundOutput* previous = g_output;
    g_output = output;
    return previous;
}

RecordingSoundOutput::RecordingSoundOutput() : previous_(SetSoundOutput(this)) {}

RecordingSoundOutput::~RecordingSoundOutput() {
    SetSoundOutput(previous_);
}

void RecordingSoundOutput::Play(std::shared_ptr<const PcmSound> sound, bool loop) {
    requests_.push_back({std::move(sound), loop});
}

void RecordingSoundOutput::Stop() {
    requests_.push_back({});
}

const PcmSound* RecordingSoundOutput::Current() const {
    return requests_.empty() ? nullptr : requests_.back().sound.get();
}

bool RecordingSoundOutput::CurrentLoops() const {
    return Current() != nullptr && requests_.back().loop;
}

}  // namespace qm
