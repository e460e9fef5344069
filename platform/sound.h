// The platform's sound service: the suite's three requests (play a WAV from memory, play a
// WAV file by name, stop) with one meaning on every platform. Every request returns at
// once and the sound plays on; a new request replaces the sound that is playing; what
// cannot be played stays silent, with no default sound and no message.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/export.h"
#include "platform/pcm_wave.h"

namespace qm {

// What makes the sound heard. The Qt programs install one over the audio server; without
// one every request is silent (command-line tools, tests that do not listen).
class QM_PLATFORM_API SoundOutput {
  public:
    virtual ~SoundOutput();
    // Stops what plays and starts this sound; a looping sound restarts at its end until the
    // next request.
    virtual void Play(std::shared_ptr<const PcmSound> sound, bool loop) = 0;
    virtual void Stop() = 0;
};

// Plays a whole WAV file held in memory. The samples are copied before the call returns,
// so the caller may change or free its bytes at once.
QM_PLATFORM_API void PlaySoundFromMemory(std::span<const std::uint8_t> wav, bool loop);
// Plays the WAV file of that name (read at once; a file that cannot be read is silent).
QM_PLATFORM_API void PlaySoundFile(const std::string& fileName, bool loop);
// Ends any playing sound.
QM_PLATFORM_API void StopSound();

// Installs the output for the whole process and returns the previous one; null makes every
// request silent. The caller keeps ownership.
QM_PLATFORM_API SoundOutput* SetSoundOutput(SoundOutput* output);

// An output for tests: records every request it receives and installs itself while it
// lives.
class QM_PLATFORM_API RecordingSoundOutput : public SoundOutput {
  public:
    struct Request {
        std::shared_ptr<const PcmSound> sound;  // null for Stop
        bool loop = false;
    };

    RecordingSoundOutput();
    ~RecordingSoundOutput() override;
    RecordingSoundOutput(const RecordingSoundOutput&) = delete;
    RecordingSoundOutput& operator=(const RecordingSoundOutput&) = delete;

    void Play(std::shared_ptr<const PcmSound> sound, bool loop) override;
    void Stop() override;

    const std::vector<Request>& Requests() const { return requests_; }
    // The sound of the last request, null when that was Stop or there was none.
    const PcmSound* Current() const;
    bool CurrentLoops() const;

  private:
    std::vector<Request> requests_;
    SoundOutput* previous_;
};

}  // namespace qm
