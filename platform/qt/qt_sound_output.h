// The sound service's output for the Qt programs: PCM through Qt Multimedia's audio sink to
// the system's default output device (on Linux the PulseAudio server).
#pragma once

#include <QObject>
#include <memory>

#include "platform/sound.h"

class QAudioSink;

namespace qm {

// Plays one sound at a time from its own copy of the samples; a new sound replaces the one
// playing. Without an output device, or when the device refuses the format, it stays
// silent. Lives on the GUI thread; install it with SetSoundOutput().
class QtSoundOutput : public QObject, public SoundOutput {
    Q_OBJECT
  public:
    explicit QtSoundOutput(QObject* parent = nullptr);
    ~QtSoundOutput() override;

    void Play(std::shared_ptr<const PcmSound> sound, bool loop) override;
    void Stop() override;

    // True while the sink is taking samples (a looping sound, or one not yet played out).
    bool IsPlaying() const;

  private:
    QAudioSink* sink_ = nullptr;  // a child of this object, null while silent
};

}  // namespace qm
