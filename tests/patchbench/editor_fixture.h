// What the editor tests share: PatchLib bound by name, a front end that answers from a script,
// and transfer blocks made on the spot. A private per-user environment comes from the shared
// test support (tests/support/private_environment.h).
#pragma once

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "patchbench/engine/patch_editor.h"
#include "patchlib/patchlib.h"
#include "platform/library_binding.h"
#include "tests/support/private_environment.h"

namespace editor_test {

using Bytes = std::vector<unsigned char>;

class ScriptedFrontEnd : public patchbench::EditorFrontEnd {
  public:
    std::optional<std::string> AskPatchToOpen() override { return Take(openAnswers); }
    std::optional<std::string> AskPatchToSaveAs(const std::string& currentPath) override {
        saveAsShownWith.push_back(currentPath);
        return Take(saveAsAnswers);
    }
    std::optional<patchbench::PatchHeaderTexts> EditPatchInfo(
        const patchbench::PatchHeaderTexts& texts) override {
        infoShownWith.push_back(texts);
        if (infoAnswers.empty()) {
            return std::nullopt;
        }
        auto answer = infoAnswers.front();
        infoAnswers.pop_front();
        return answer;
    }
    std::optional<std::string> AskOlpToConvert() override {
        ++olpAsked;
        return Take(olpAnswers);
    }
    void Beep() override { ++beeps; }

    std::deque<std::optional<std::string>> openAnswers;
    std::deque<std::optional<std::string>> saveAsAnswers;
    std::deque<std::optional<patchbench::PatchHeaderTexts>> infoAnswers;
    std::deque<std::optional<std::string>> olpAnswers;
    int olpAsked = 0;
    std::vector<std::string> saveAsShownWith;
    std::vector<patchbench::PatchHeaderTexts> infoShownWith;
    int beeps = 0;

  private:
    static std::optional<std::string> Take(std::deque<std::optional<std::string>>& answers) {
        if (answers.empty()) {
            return std::nullopt;
        }
        auto answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

// PatchLib as the program binds it; the record can be copied and a slot replaced to make a
// library call fail.
inline const PATCHLIBEXPORT& PatchLib() {
    static qm::LibraryBinding<PATCHLIBEXPORT> binding;
    if (!binding.IsBound()) {
        std::string error;
        // Nothing here can go on without the library.
        if (!binding.Bind("PatchLib.dll", "PatchLibInit", &error)) {
            std::fprintf(stderr, "cannot bind PatchLib: %s\n", error.c_str());
            std::abort();
        }
    }
    return binding.Record();
}

// Item data of `size` bytes that begins like a texture (or a sound); shorter than its
// header, it holds as much of the header as fits.
inline Bytes Texture(std::size_t size = 64, unsigned char fill = 1) {
    Bytes data(std::max<std::size_t>(size, 12), fill);
    const char head[] = "LIST\0\0\0\0ILBM";
    std::copy(head, head + 12, data.begin());
    data.resize(size);
    return data;
}

inline Bytes Sound(std::size_t size = 64, unsigned char fill = 2) {
    Bytes data(std::max<std::size_t>(size, 16), fill);
    const char head[] = "RIFF\0\0\0\0WAVEfmt ";
    std::copy(head, head + 16, data.begin());
    data.resize(size);
    return data;
}

inline void PutU32(Bytes& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<unsigned char>(value >> (8 * i)));
    }
}

// A transfer block as TexBench writes it.
inline Bytes Block(const std::vector<std::pair<std::string, Bytes>>& records) {
    Bytes block = {'R', 'F', 'F', 'L'};
    PutU32(block, static_cast<std::uint32_t>(records.size()));
    for (const auto& [path, data] : records) {
        Bytes field(260, 0);
        std::copy(path.begin(),
                  path.begin() + static_cast<long>(std::min<std::size_t>(path.size(), 260)),
                  field.begin());
        block.insert(block.end(), field.begin(), field.end());
        PutU32(block, static_cast<std::uint32_t>(data.size()));
        block.insert(block.end(), data.begin(), data.end());
    }
    return block;
}

}  // namespace editor_test
