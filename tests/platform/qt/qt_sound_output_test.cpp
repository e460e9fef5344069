// The Qt sound output heard through a private PulseAudio server: tones of known frequency
// go in as WAV items, the null sink's monitor is recorded, and what came out is measured.
#include <QCoreApplication>
#include <QTest>
#include <memory>

#include "platform/byte_order.h"
#include "platform/qt/qt_sound_output.h"
#include "platform/sound.h"
#include "tests/support/pulse_server.h"
#include "tests/support/wav_builder.h"

namespace {

constexpr double kToneSeconds = 0.5;

}  // namespace

Q_DECLARE_METATYPE(qm_test::WavFields)

class QtSoundOutputTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() {
        server_ = std::make_unique<qm_test::PulseServer>();
        QVERIFY2(server_->Ready(), "no PulseAudio server could be started (tools/install-deps.sh)");
        output_ = std::make_unique<qm::QtSoundOutput>();
        qm::SetSoundOutput(output_.get());
    }
    void cleanupTestCase() {
        qm::SetSoundOutput(nullptr);
        output_.reset();
        server_.reset();
    }
    void cleanup() { qm::StopSound(); }

    void playsTonesAtTheirPitchAndLength_data() {
        QTest::addColumn<qm_test::WavFields>("fields");
        QTest::addColumn<double>("frequency");
        QTest::newRow("8-bit mono 11025 Hz") << qm_test::WavFields{1, 1, 11025, 8} << 440.0;
        QTest::newRow("8-bit stereo 22050 Hz") << qm_test::WavFields{1, 2, 22050, 8} << 660.0;
        QTest::newRow("16-bit mono 32000 Hz") << qm_test::WavFields{1, 1, 32000, 16} << 1000.0;
        QTest::newRow("16-bit stereo 44100 Hz") << qm_test::WavFields{1, 2, 44100, 16} << 550.0;
        QTest::newRow("16-bit stereo 11025 Hz") << qm_test::WavFields{1, 2, 11025, 16} << 300.0;
    }
    // The item is spoilt and freed right after the request: what plays is the player's copy.
    void playsTonesAtTheirPitchAndLength() {
        QFETCH(qm_test::WavFields, fields);
        QFETCH(double, frequency);
        qm_test::MonitorRecording recording(*server_);
        QVERIFY(recording.Running());
        auto item = qm_test::MakeSineWav(fields, frequency, kToneSeconds);
        qm::PlaySoundFromMemory(item, false);
        std::fill(item.begin(), item.end(), 0);
        item = {};
        QTest::qWait(static_cast<int>(kToneSeconds * 1000) + 600);
        const qm_test::Heard heard = qm_test::Listen(recording.Stop());
        QVERIFY2(std::abs(heard.frequency - frequency) <= 0.02 * frequency,
                 qPrintable(QStringLiteral("heard %1 Hz").arg(heard.frequency)));
        QVERIFY2(std::abs(heard.seconds - kToneSeconds) <= 0.1 * kToneSeconds,
                 qPrintable(QStringLiteral("heard %1 s").arg(heard.seconds)));
    }

    void loopingPlaysOnUntilStopped() {
        qm_test::MonitorRecording recording(*server_);
        const auto item = qm_test::MakeSineWav({1, 1, 22050, 16}, 500, 0.3);
        qm::PlaySoundFromMemory(item, true);
        QTest::qWait(1200);
        qm::StopSound();
        QTest::qWait(400);
        const qm_test::Heard heard = qm_test::Listen(recording.Stop());
        QVERIFY2(heard.seconds > 0.9 && heard.seconds < 1.4,
                 qPrintable(QStringLiteral("heard %1 s").arg(heard.seconds)));
        QVERIFY(std::abs(heard.frequency - 500) <= 10);
    }

    void stopEndsASoundEarly() {
        qm_test::MonitorRecording recording(*server_);
        const auto item = qm_test::MakeSineWav({1, 2, 44100, 16}, 700, 1.5);
        qm::PlaySoundFromMemory(item, false);
        QTest::qWait(400);
        qm::StopSound();
        QTest::qWait(600);
        const qm_test::Heard heard = qm_test::Listen(recording.Stop());
        QVERIFY2(heard.seconds > 0.2 && heard.seconds < 0.8,
                 qPrintable(QStringLiteral("heard %1 s").arg(heard.seconds)));
    }

    // The second request cuts the first short and is heard whole.
    void aNewSoundReplacesThePlayingOne() {
        qm_test::MonitorRecording recording(*server_);
        const auto first = qm_test::MakeSineWav({1, 1, 44100, 16}, 440, 1.5);
        const auto second = qm_test::MakeSineWav({1, 1, 11025, 8}, 880, kToneSeconds);
        qm::PlaySoundFromMemory(first, false);
        QTest::qWait(400);
        qm::PlaySoundFromMemory(second, false);
        QTest::qWait(static_cast<int>(kToneSeconds * 1000) + 600);
        const std::vector<std::int16_t> samples = recording.Stop();
        const qm_test::Heard heard = qm_test::Listen(samples);
        QVERIFY2(heard.seconds > 0.6 && heard.seconds < 1.3,
                 qPrintable(QStringLiteral("heard %1 s").arg(heard.seconds)));
        // The last loud stretch is the second tone.
        std::size_t end = samples.size();
        while (end > 0 && std::abs(samples[end - 1]) < 3277) {
            --end;
        }
        QVERIFY(end > 8192);
        const std::vector<std::int16_t> tail(samples.begin() + static_cast<long>(end - 8192),
                                             samples.begin() + static_cast<long>(end));
        QVERIFY(std::abs(qm_test::Listen(tail).frequency - 880) <= 0.02 * 880);
    }

    // A stranger's file whose sizes claim far more than it holds plays what is there.
    void playsTheSamplesAFileReallyHolds() {
        qm_test::MonitorRecording recording(*server_);
        auto item = qm_test::MakeSineWav({1, 1, 22050, 16}, 600, kToneSeconds);
        qm::PutU32LE(item.data() + 4, 0xFFFFFFFF);
        qm::PutU32LE(item.data() + 40, 0xFFFFFFF0);
        qm::PlaySoundFromMemory(item, false);
        QTest::qWait(static_cast<int>(kToneSeconds * 1000) + 600);
        const qm_test::Heard heard = qm_test::Listen(recording.Stop());
        QVERIFY(std::abs(heard.seconds - kToneSeconds) <= 0.1 * kToneSeconds);
    }

  private:
    std::unique_ptr<qm_test::PulseServer> server_;
    std::unique_ptr<qm::QtSoundOutput> output_;
};

QTEST_GUILESS_MAIN(QtSoundOutputTest)
#include "qt_sound_output_test.moc"
