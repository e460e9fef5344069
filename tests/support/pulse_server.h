// A private PulseAudio server for the tests that listen: a null sink ("qmtest") whose
// monitor the tests record with parec, in its own runtime directory so that it never meets
// a user's or the system's server. Works as root too (the server only warns then).
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numbers>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace qm_test {

constexpr int kRecordingRate = 44100;

// Starts a program with its standard output (and error) going to a file; -1 on failure.
inline pid_t SpawnToFile(const std::vector<std::string>& arguments, const std::string& output) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addopen(&actions, 2, (output + ".err").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<char*> argv;
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int failed = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return failed != 0 ? -1 : pid;
}

inline void EndProcess(pid_t pid, int signal) {
    if (pid > 0) {
        ::kill(pid, signal);
        int status = 0;
        ::waitpid(pid, &status, 0);
    }
}

// True once a recording's file holds data (waits up to three seconds).
inline bool WaitForData(const std::string& file) {
    for (int attempt = 0; attempt < 300; ++attempt) {
        std::error_code error;
        if (std::filesystem::file_size(file, error) > 0 && !error) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

class PulseServer {
  public:
    PulseServer() {
        char pattern[] = "/tmp/qm_pulse_XXXXXX";
        if (::mkdtemp(pattern) == nullptr) {
            return;
        }
        directory_ = pattern;
        const std::string socket = directory_ + "/native";
        ::setenv("XDG_RUNTIME_DIR", directory_.c_str(), 1);
        ::setenv("PULSE_RUNTIME_PATH", (directory_ + "/pulse").c_str(), 1);
        ::setenv("PULSE_SERVER", ("unix:" + socket).c_str(), 1);
        pid_ = SpawnToFile(
            {"pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no",
             "--disallow-exit", "-L", "module-null-sink sink_name=qmtest rate=44100", "-L",
             "module-native-protocol-unix socket=" + socket},
            directory_ + "/server.log");
        for (int attempt = 0; pid_ > 0 && attempt < 100 && !ready_; ++attempt) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            ready_ = std::system("pactl info >/dev/null 2>&1") == 0;
        }
        // Without a listener the null sink works in blocks of up to two seconds, and a
        // recording would start that late. A quiet listener for the server's whole life
        // keeps it working in small blocks.
        if (ready_) {
            const std::string keeperFile = directory_ + "/keeper.raw";
            keeper_ = SpawnToFile({"parec", "--device=qmtest.monitor", "--format=u8", "--rate=8000",
                                   "--channels=1", "--raw", "--latency-msec=10"},
                                  keeperFile);
            ready_ = keeper_ > 0 && WaitForData(keeperFile);
        }
    }
    ~PulseServer() {
        EndProcess(keeper_, SIGINT);
        EndProcess(pid_, SIGTERM);
        if (!directory_.empty()) {
            std::error_code ignored;
            std::filesystem::remove_all(directory_, ignored);
        }
    }
    PulseServer(const PulseServer&) = delete;
    PulseServer& operator=(const PulseServer&) = delete;

    bool Ready() const { return ready_; }
    const std::string& Directory() const { return directory_; }

  private:
    std::string directory_;
    pid_t pid_ = -1;
    pid_t keeper_ = -1;
    bool ready_ = false;
};

// parec on the null sink's monitor, 16-bit stereo at 44.1 kHz, raw into a file. Only the
// left channel is kept: a mono mix would cancel a sound whose channels are in antiphase.
class MonitorRecording {
  public:
    explicit MonitorRecording(const PulseServer& server)
        : file_(server.Directory() + "/recording" + std::to_string(++Counter()) + ".raw") {
        pid_ = SpawnToFile({"parec", "--device=qmtest.monitor", "--format=s16le", "--rate=44100",
                            "--channels=2", "--raw", "--latency-msec=20"},
                           file_);
        if (pid_ > 0) {
            WaitForData(file_);
        }
    }
    ~MonitorRecording() { EndProcess(pid_, SIGINT); }
    MonitorRecording(const MonitorRecording&) = delete;
    MonitorRecording& operator=(const MonitorRecording&) = delete;

    bool Running() const { return pid_ > 0; }

    std::vector<std::int16_t> Stop() {
        EndProcess(pid_, SIGINT);
        pid_ = -1;
        std::ifstream in(file_, std::ios::binary);
        const std::vector<char> bytes{std::istreambuf_iterator<char>(in),
                                      std::istreambuf_iterator<char>()};
        std::vector<std::int16_t> samples(bytes.size() / 4);
        for (std::size_t i = 0; i < samples.size(); ++i) {
            samples[i] =
                static_cast<std::int16_t>(static_cast<std::uint8_t>(bytes[4 * i]) |
                                          (static_cast<std::uint8_t>(bytes[4 * i + 1]) << 8));
        }
        return samples;
    }

  private:
    static int& Counter() {
        static int counter = 0;
        return counter;
    }
    std::string file_;
    pid_t pid_ = -1;
};

// What was heard: the span from the first to the last sample louder than a tenth of full
// scale, and its strongest frequency.
struct Heard {
    double seconds = 0;
    double frequency = 0;
};

inline double GoertzelPower(const std::vector<std::int16_t>& samples, std::size_t first,
                            std::size_t count, double frequency) {
    const double coefficient = 2 * std::cos(2 * std::numbers::pi * frequency / kRecordingRate);
    double previous = 0;
    double beforePrevious = 0;
    for (std::size_t i = first; i < first + count; ++i) {
        const double current = samples[i] + coefficient * previous - beforePrevious;
        beforePrevious = previous;
        previous = current;
    }
    return previous * previous + beforePrevious * beforePrevious -
           coefficient * previous * beforePrevious;
}

inline Heard Listen(const std::vector<std::int16_t>& samples) {
    constexpr int kLoud = 3277;
    std::size_t first = 0;
    while (first < samples.size() && std::abs(samples[first]) < kLoud) {
        ++first;
    }
    std::size_t end = samples.size();
    while (end > first && std::abs(samples[end - 1]) < kLoud) {
        --end;
    }
    Heard heard;
    if (end - first < 64) {
        return heard;
    }
    heard.seconds = static_cast<double>(end - first) / kRecordingRate;
    // A coarse scan in 2 Hz steps over the loud part's first 8192 samples, then a fine one
    // around the best step.
    const std::size_t count = std::min<std::size_t>(end - first, 8192);
    double best = 0;
    for (double f = 40; f < 8000; f += 2) {
        const double power = GoertzelPower(samples, first, count, f);
        if (power > best) {
            best = power;
            heard.frequency = f;
        }
    }
    const double coarse = heard.frequency;
    for (double f = coarse - 2; f <= coarse + 2; f += 0.1) {
        const double power = GoertzelPower(samples, first, count, f);
        if (power > best) {
            best = power;
            heard.frequency = f;
        }
    }
    return heard;
}

}  // namespace qm_test
