// OLP conversion fed with random text: every line, count and answer the user could give must
// end without a crash, a hang or a leak, and the conversion may only read. The libraries'
// writing functions abort when called; the Fastfile it reads is compared byte for byte after
// every run; every patch item must pair a known WAVE with an item of that Fastfile.
//
// Input: one byte that seeds the answers to the messages, then the OLP text. The Fastfile
// "fuzz.ffl" and the WAVE files "a.wav", "b.wav" (not a WAVE), "edge.wav" (199999 bytes) and
// "big.wav" (200000 bytes) exist; every other name cannot be opened.
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "patchbench/engine/editor_texts.h"
#include "patchbench/engine/olp_conversion.h"
#include "platform/ascii.h"
#include "platform/message_box.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

using Bytes = std::vector<unsigned char>;

const char* const kFastfileItems[] = {"sound\\A\\beep.wav", "sound\\B\\BEEP.WAV",
                                      "sound\\A\\hum.wav", "hum.wav"};

Bytes Wave(std::size_t size) {
    Bytes wave(size, 0x80);
    std::memcpy(wave.data(), "RIFF\0\0\0\0WAVEfmt ", 16);
    return wave;
}

class FixtureWaves : public patchbench::WaveFiles {
  public:
    FixtureWaves() {
        files_["a.wav"] = Wave(100);
        files_["b.wav"] = Bytes(100, 'b');
        files_["edge.wav"] = Wave(199999);
        files_["big.wav"] = Wave(200000);
    }
    std::optional<Bytes> Load(const std::string& path) override {
        const auto found = files_.find(path);
        if (found == files_.end()) {
            return std::nullopt;
        }
        return found->second;
    }
    const Bytes* Find(const std::string& path) const {
        const auto found = files_.find(path);
        return found == files_.end() ? nullptr : &found->second;
    }

  private:
    std::map<std::string, Bytes> files_;
};

// Answers each message with one of its buttons, chosen by the seed; checks that every
// message is one the conversion may show, under the program's title.
class SeededAnswers : public qm::MessageBoxService {
  public:
    explicit SeededAnswers(unsigned seed) : state_(seed * 2654435761u + 1) {}
    qm::MessageBoxResult Show(const qm::MessageBoxRequest& request) override {
        static const std::set<std::string> known = {patchbench::kOlpOpenFailedText,
                                                    patchbench::kOlpProcessFailedText,
                                                    patchbench::kOlpEmptyText,
                                                    patchbench::kWaveOpenFailedText,
                                                    patchbench::kWaveInvalidText,
                                                    patchbench::kWaveLargeQuestionText,
                                                    patchbench::kTargetFastfileFailedText,
                                                    patchbench::kWaveNotLocatedText,
                                                    patchbench::kWaveImportFailedText};
        if (request.caption != patchbench::kProgramTitle || known.count(request.text) == 0) {
            QMFUZZ_FAIL();
        }
        state_ = state_ * 1103515245u + 12345u;
        const unsigned pick = (state_ >> 16) % 3;
        switch (request.buttons) {
            case qm::MessageBoxButtons::OkCancel:
                return pick == 0 ? qm::MessageBoxResult::Cancel : qm::MessageBoxResult::Ok;
            case qm::MessageBoxButtons::YesNoCancel:
                return pick == 0   ? qm::MessageBoxResult::Cancel
                       : pick == 1 ? qm::MessageBoxResult::No
                                   : qm::MessageBoxResult::Yes;
            case qm::MessageBoxButtons::Ok:
                return qm::MessageBoxResult::Ok;
            default:
                QMFUZZ_FAIL();
        }
    }

  private:
    unsigned state_;
};

// The fixture's Fastfile is the only one that opens.
struct FastfileGuard {
    inline static std::string path;
    inline static LPFFLOPENARCHIVE open = nullptr;
    static FFLARCHIVE* FFLAPI Open(const char* name) {
        return name != nullptr && qm::EqualsNoCase(name, "fuzz.ffl") ? open(path.c_str()) : nullptr;
    }
};

[[noreturn]] void Wrote() {
    std::fputs("qmfuzz: the conversion called a function that writes\n", stderr);
    std::abort();
}

PACKLIBEXPORT ReadingPackLib() {
    PACKLIBEXPORT lib = qmfuzz::PackLib();
    FastfileGuard::open = lib.FFLOpenArchive;
    lib.FFLOpenArchive = &FastfileGuard::Open;
    lib.FFLParseArchive = [](const char*) -> FFLARCHIVE* { Wrote(); };
    lib.FFLSaveArchive = [](FFLARCHIVE*, const char*) -> bool { Wrote(); };
    lib.FFLSetItemData = [](FFLITEM*, const void*, std::uint32_t) -> bool { Wrote(); };
    lib.FFLSetItemPath = [](FFLITEM*, const char*) -> bool { Wrote(); };
    lib.FFLAddItem = [](FFLARCHIVE*, const char*, const void*, std::uint32_t) -> FFLITEM* {
        Wrote();
    };
    lib.FFLDeleteItem = [](FFLARCHIVE*, FFLITEM*) { Wrote(); };
    lib.FFLSetPath = [](FFLARCHIVE*, const char*) -> bool { Wrote(); };
    lib.FFLSaveDatabase = [](FFLDB*, const char*) -> bool { Wrote(); };
    return lib;
}

PATCHLIBEXPORT InMemoryPatchLib() {
    PATCHLIBEXPORT lib = qmfuzz::PatchLib();
    lib.KDZSavePatch = [](KDZPATCH*, const char*) -> bool { Wrote(); };
    lib.KDZSetPath = [](KDZPATCH*, const char*) -> bool { Wrote(); };
    lib.KDZOpenPatch = [](const char*) -> KDZPATCH* { Wrote(); };
    return lib;
}

Bytes ReadAll(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const qmfuzz::ScratchFile fastfile("olp-fuzz.ffl");
    static const qmfuzz::ScratchFile olp("olp-fuzz.olp");
    static const Bytes fastfileBytes = [] {
        const PACKLIBEXPORT& lib = qmfuzz::PackLib();
        FFLARCHIVE* archive = lib.FFLCreateArchive(nullptr);
        const Bytes sound = Wave(64);
        for (const char* path : kFastfileItems) {
            lib.FFLAddItem(archive, path, sound.data(), static_cast<std::uint32_t>(sound.size()));
        }
        if (!lib.FFLSaveArchive(archive, fastfile.Path())) {
            std::abort();
        }
        lib.FFLCloseArchive(archive);
        FastfileGuard::path = fastfile.Path();
        return ReadAll(fastfile.Path());
    }();
    static const PACKLIBEXPORT packLib = ReadingPackLib();
    static const PATCHLIBEXPORT patchLib = InMemoryPatchLib();
    static FixtureWaves waves;

    if (size == 0) {
        return 0;
    }
    olp.Write(data + 1, size - 1);
    SeededAnswers answers(data[0]);
    qm::MessageBoxService* previous = qm::SetMessageBoxService(&answers);
    KDZPATCH* patch = patchLib.KDZCreatePatch(nullptr);
    const int added = patchbench::ConvertOlpFile(olp.Path(), patch, packLib, patchLib, waves);
    qm::SetMessageBoxService(previous);

    int items = 0;
    for (KDZITEM* item = patch->lpFirst; item != nullptr; item = item->lpNext, ++items) {
        const Bytes* wave = waves.Find(item->szName);
        bool knownTarget = false;
        for (const char* path : kFastfileItems) {
            knownTarget = knownTarget ||
                          (item->lpszPath != nullptr && std::strcmp(item->lpszPath, path) == 0);
        }
        if (wave == nullptr || !knownTarget || item->dwSize != wave->size() ||
            std::memcmp(item->lpData, wave->data(), wave->size()) != 0) {
            QMFUZZ_FAIL();
        }
    }
    patchLib.KDZClosePatch(patch);
    if (items != added || ReadAll(fastfile.Path()) != fastfileBytes) {
        QMFUZZ_FAIL();
    }
    return 0;
}
