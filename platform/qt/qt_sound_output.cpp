#include "platform/qt/qt_sound_output.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QIODevice>
#include <QMediaDevices>
#include <algorithm>
#include <cstring>

namespace qm {

// The samples as a readable stream that the sink pulls from; a looping source starts over
// at its end and never runs dry.
class PcmSource : public QIODevice {
  public:
    PcmSource(std::shared_ptr<const PcmSound> sound, bool loop, QObject* parent)
        : QIODevice(parent), sound_(std::move(sound)), loop_(loop) {}

    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override {
        const auto left = static_cast<qint64>(sound_->samples.size() - position_);
        return QIODevice::bytesAvailable() + (loop_ ? std::max<qint64>(left, 1) : left);
    }

  protected:
    qint64 readData(char* data, qint64 maxSize) override {
        const std::vector<std::uint8_t>& samples = sound_->samples;
        qint64 written = 0;
        while (written < maxSize) {
            if (position_ == samples.size()) {
                if (!loop_) {
                    break;
                }
                position_ = 0;
            }
            const std::size_t count = std::min<std::size_t>(
                samples.size() - position_, static_cast<std::size_t>(maxSize - written));
            std::memcpy(data + written, samples.data() + position_, count);
            position_ += count;
            written += static_cast<qint64>(count);
        }
        return written;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

  private:
    std::shared_ptr<const PcmSound> sound_;
    bool loop_;
    std::size_t position_ = 0;
};

namespace {

QAudioFormat QtFormat(const PcmFormat& format) {
    QAudioFormat qtFormat;
    qtFormat.setSampleRate(static_cast<int>(format.samplesPerSecond));
    qtFormat.setChannelCount(format.channels);
    qtFormat.setSampleFormat(format.bitsPerSample == 8 ? QAudioFormat::UInt8 : QAudioFormat::Int16);
    return qtFormat;
}

}  // namespace

QtSoundOutput::QtSoundOutput(QObject* parent) : QObject(parent) {}

QtSoundOutput::~QtSoundOutput() {
    Stop();
}

void QtSoundOutput::Play(std::shared_ptr<const PcmSound> sound, bool loop) {
    Stop();
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull() || sound == nullptr || sound->samples.empty()) {
        return;
    }
    const QAudioFormat format = QtFormat(sound->format);
    // The sink owns its source, so that both go together when the sound is replaced.
    sink_ = new QAudioSink(device, format, this);
    auto* source = new PcmSource(std::move(sound), loop, sink_);
    source->open(QIODevice::ReadOnly);
    sink_->start(source);
    if (sink_->error() != QAudio::NoError) {
        Stop();  // a busy or refusing device: nothing plays and nothing waits
    }
}

// A sound that has been played out leaves its sink idle rather than stopped: stopping it
// there could cut off what the server still buffers. The next request releases it.
void QtSoundOutput::Stop() {
    if (sink_ != nullptr) {
        sink_->stop();
        sink_->deleteLater();
        sink_ = nullptr;
    }
}

bool QtSoundOutput::IsPlaying() const {
    return sink_ != nullptr && sink_->state() == QAudio::ActiveState;
}

}  // namespace qm
