// The OLP conversion on the demo game: the count line, the item lines and their fields, every
// message with its buttons and what each answer does, the size question, and the editor's
// new untitled patch around it.
#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <memory>

#include "patchbench/engine/editor_texts.h"
#include "patchbench/engine/olp_conversion.h"
#include "patchbench/engine/patch_editor.h"
#include "platform/library_binding.h"
#include "platform/message_box.h"
#include "tests/patchbench/editor_fixture.h"
#include "tests/support/files.h"
#include "tests/support/private_game.h"
#include "tests/support/temp_dir.h"
#include "tests/support/wav_builder.h"

namespace {

using namespace patchbench;
using editor_test::Bytes;
using qm::MessageBoxButtons;
using qm::MessageBoxIcon;
using qm::MessageBoxResult;

TEST(PatchBenchOlpLines, FieldsAtTheFirstThreeBars) {
    const struct {
        const char* line;
        bool complete;
        const char* wave;
        const char* item;
        const char* fastfile;
    } cases[] = {
        {"c:\\w.wav|beep.wav|Common.ffl|\n", true, "c:\\w.wav", "beep.wav", "Common.ffl"},
        {"w.wav|beep.wav|Common.ffl|ignored|too\n", true, "w.wav", "beep.wav", "Common.ffl"},
        {"w.wav|beep.wav|Common.ffl\n", true, "w.wav", "beep.wav", "Common.ffl\n"},
        {"w.wav|beep.wav|\n", true, "w.wav", "beep.wav", "\n"},
        {"w.wav|beep.wav|", false, "", "", ""},
        {"w.wav|beep.wav||", false, "", "", ""},
        {"|beep.wav|Common.ffl|", false, "", "", ""},
        {"w.wav||Common.ffl|", false, "", "", ""},
        {"w.wav|beep.wav", false, "", "", ""},
        {"w.wav\n", false, "", "", ""},
    };
    for (const auto& c : cases) {
        const auto item = SplitOlpLine(c.line);
        ASSERT_EQ(item.has_value(), c.complete) << c.line;
        if (item) {
            EXPECT_EQ(item->wavePath, c.wave);
            EXPECT_EQ(item->itemName, c.item);
            EXPECT_EQ(item->fastfile, c.fastfile);
        }
    }
}

TEST(PatchBenchOlpLines, CountLine) {
    const struct {
        const char* line;
        int count;
    } cases[] = {
        {"2\n", 2},
        {"  \t+7 items\n", 7},
        {"-3\n", -3},
        {"abc\n", 0},
        {"\n", 0},
        {"99999999999999999999\n", INT_MAX},
        {"-99999999999\n", INT_MIN},
        {"0012|x", 12},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(OlpItemCount(c.line), c.count) << c.line;
    }
}

// WAVE files the tests name, from memory; anything else cannot be read.
class MemoryWaves : public WaveFiles {
  public:
    std::optional<std::vector<unsigned char>> Load(const std::string& path) override {
        loaded.push_back(path);
        const auto found = files.find(path);
        if (found == files.end()) {
            return std::nullopt;
        }
        return found->second;
    }
    std::map<std::string, Bytes> files;
    std::vector<std::string> loaded;
};

// A WAVE of exactly `size` bytes.
Bytes WaveOfSize(std::size_t size) {
    Bytes wave = qm_test::MakeWav({1, 1, 22050, 8}, Bytes(size - 44, 0x80));
    return wave;
}

struct Answered {
    std::string text;
    MessageBoxButtons buttons;
    MessageBoxIcon icon;
};

class PatchBenchOlp : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        game_ = std::make_unique<qm_test::PrivateGame>();
        ASSERT_TRUE(game_->Made()) << game_->Error();
        packLib_ = std::make_unique<qm::LibraryBinding<PACKLIBEXPORT>>();
        std::string error;
        ASSERT_TRUE(packLib_->Bind("PackLib.dll", "PackLibInit", &error)) << error;
        // Two items of one file name in one Fastfile: only the first is replaced.
        FFLARCHIVE* twice = Lib().FFLCreateArchive(nullptr);
        const Bytes wave = WaveOfSize(100);
        for (const char* path : {"sound\\First\\twin.wav", "sound\\Second\\twin.wav"}) {
            Lib().FFLAddItem(twice, path, wave.data(), static_cast<std::uint32_t>(wave.size()));
        }
        const std::string file = game_->Fastfiles() + "/Twice.ffl";
        ASSERT_TRUE(Lib().FFLSaveArchive(twice, file.c_str()));
        Lib().FFLCloseArchive(twice);
    }
    static void TearDownTestSuite() {
        packLib_.reset();
        game_.reset();
    }
    static const PACKLIBEXPORT& Lib() { return packLib_->Record(); }

    void SetUp() override {
        patch_ = editor_test::PatchLib().KDZCreatePatch(nullptr);
        waves_.files["w.wav"] = WaveOfSize(100);
        waves_.files["other.wav"] = WaveOfSize(120);
        waves_.files["text.wav"] = Bytes(100, 'x');
        waves_.files["199999.wav"] = WaveOfSize(199999);
        waves_.files["200000.wav"] = WaveOfSize(200000);
    }
    void TearDown() override { editor_test::PatchLib().KDZClosePatch(patch_); }

    // Converts the text with scripted answers; returns the items added.
    int Convert(const std::string& text, std::deque<MessageBoxResult> answers = {},
                const PATCHLIBEXPORT& patchLib = editor_test::PatchLib()) {
        qm_test::WriteText(dir_.File("list.olp"), text);
        qm::ScriptedMessageBoxes boxes(std::move(answers));
        const int added = ConvertOlpFile(dir_.File("list.olp"), patch_, Lib(), patchLib, waves_);
        asked_.clear();
        for (const auto& request : boxes.Asked()) {
            EXPECT_EQ(request.caption, kProgramTitle);
            asked_.push_back({request.text, request.buttons, request.icon});
        }
        return added;
    }
    std::vector<std::string> AskedTexts() const {
        std::vector<std::string> texts;
        for (const Answered& a : asked_) {
            texts.push_back(a.text);
        }
        return texts;
    }
    // Target and name of every patch item, in patch order.
    std::vector<std::pair<std::string, std::string>> Items() const {
        std::vector<std::pair<std::string, std::string>> items;
        for (KDZITEM* item = patch_->lpFirst; item != nullptr; item = item->lpNext) {
            items.emplace_back(item->lpszPath != nullptr ? item->lpszPath : "", item->szName);
        }
        return items;
    }

    inline static std::unique_ptr<qm_test::PrivateGame> game_;
    inline static std::unique_ptr<qm::LibraryBinding<PACKLIBEXPORT>> packLib_;
    qm_test::TempDir dir_;
    MemoryWaves waves_;
    KDZPATCH* patch_ = nullptr;
    std::vector<Answered> asked_;
};

using ItemList = std::vector<std::pair<std::string, std::string>>;

TEST_F(PatchBenchOlp, CountAgainstTheLinesThere) {
    // More items promised than there are: the conversion ends quietly at the end of the file.
    EXPECT_EQ(Convert("5\nw.wav|beep.wav|Common.ffl|\nother.wav|HISS.WAV|Common.ffl|\n"), 2);
    EXPECT_TRUE(asked_.empty());
    EXPECT_EQ(Items(), (ItemList{{"sound\\Common\\beep.wav", "w.wav"},
                                 {"sound\\Common\\hiss.wav", "other.wav"}}));
    // Fewer: the lines after them are not read. The last line needs no line end.
    EXPECT_EQ(Convert("1\r\nw.wav|chirp.wav|Common.ffl|\r\nother.wav|hum.wav|Common.ffl|"), 1);
    EXPECT_EQ(Items().back().first, "sound\\Common\\chirp.wav");
    EXPECT_EQ(waves_.loaded.size(), 3u);
}

TEST_F(PatchBenchOlp, FilesThatEndTheConversion) {
    const struct {
        const char* what;
        std::string text;
        const char* message;
    } cases[] = {
        {"count 0", "0\nw.wav|beep.wav|Common.ffl|\n", kOlpEmptyText},
        {"no number", "items\nw.wav|beep.wav|Common.ffl|\n", kOlpEmptyText},
        {"empty file", "", kOlpProcessFailedText},
        {"ends with the count", "2", kOlpProcessFailedText},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Convert(c.text), 0) << c.what;
        ASSERT_EQ(asked_.size(), 1u) << c.what;
        EXPECT_EQ(asked_[0].text, c.message) << c.what;
        EXPECT_EQ(asked_[0].buttons, MessageBoxButtons::Ok);
        EXPECT_EQ(asked_[0].icon, MessageBoxIcon::Error);
    }
    qm::ScriptedMessageBoxes boxes;
    EXPECT_EQ(
        ConvertOlpFile(dir_.File("missing.olp"), patch_, Lib(), editor_test::PatchLib(), waves_),
        0);
    EXPECT_EQ(boxes.Asked().at(0).text, kOlpOpenFailedText);
    // A directory opens but cannot be read as text.
    EXPECT_EQ(ConvertOlpFile(dir_.Path(), patch_, Lib(), editor_test::PatchLib(), waves_), 0);
    EXPECT_EQ(boxes.Asked().at(1).text, kOlpProcessFailedText);
    EXPECT_TRUE(Items().empty());
}

TEST_F(PatchBenchOlp, PerItemMessagesGoOnWithOkAndStopWithCancel) {
    const struct {
        const char* what;
        const char* line;
        const char* message;
    } cases[] = {
        {"no such WAVE", "gone.wav|beep.wav|Common.ffl|\n", kWaveOpenFailedText},
        {"no WAVE", "text.wav|beep.wav|Common.ffl|\n", kWaveInvalidText},
        {"no such Fastfile", "w.wav|beep.wav|Nowhere.ffl|\n", kTargetFastfileFailedText},
        // Without the closing bar the line feed is part of the Fastfile's name.
        {"no closing bar", "w.wav|beep.wav|Common.ffl\n", kTargetFastfileFailedText},
        {"no such item", "w.wav|gone.wav|Common.ffl|\n", kWaveNotLocatedText},
    };
    const std::string next = "other.wav|click.wav|Common.ffl|\n";
    for (const auto& c : cases) {
        EXPECT_EQ(Convert("2\n" + std::string(c.line) + next, {MessageBoxResult::Ok}), 1) << c.what;
        ASSERT_EQ(asked_.size(), 1u) << c.what;
        EXPECT_EQ(asked_[0].text, c.message) << c.what;
        EXPECT_EQ(asked_[0].buttons, MessageBoxButtons::OkCancel) << c.what;
        EXPECT_EQ(asked_[0].icon, MessageBoxIcon::Information) << c.what;
        EXPECT_EQ(Convert("2\n" + std::string(c.line) + next, {MessageBoxResult::Cancel}), 0)
            << c.what;
    }
}

TEST_F(PatchBenchOlp, ItemsThatCannotBeAddedAreTold) {
    PATCHLIBEXPORT refusing = editor_test::PatchLib();
    refusing.KDZAddItem = [](KDZPATCH*, const char*, const void*, std::uint32_t) -> KDZITEM* {
        return nullptr;
    };
    EXPECT_EQ(Convert("1\nw.wav|beep.wav|Common.ffl|\n", {MessageBoxResult::Ok}, refusing), 0);
    ASSERT_EQ(asked_.size(), 1u);
    EXPECT_EQ(asked_[0].text, kWaveImportFailedText);
    EXPECT_EQ(asked_[0].buttons, MessageBoxButtons::OkCancel);
    EXPECT_EQ(asked_[0].icon, MessageBoxIcon::Error);
}

TEST_F(PatchBenchOlp, LargeWavesAsk) {
    EXPECT_EQ(Convert("1\n199999.wav|beep.wav|Common.ffl|\n"), 1);
    EXPECT_TRUE(asked_.empty());
    const std::string two = "2\n200000.wav|beep.wav|Common.ffl|\nw.wav|hum.wav|Common.ffl|\n";
    const struct {
        MessageBoxResult answer;
        int added;
    } cases[] = {
        {MessageBoxResult::Yes, 2},
        {MessageBoxResult::No, 1},
        {MessageBoxResult::Cancel, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Convert(two, {c.answer}), c.added);
        ASSERT_EQ(asked_.size(), 1u);
        EXPECT_EQ(asked_[0].text, kWaveLargeQuestionText);
        EXPECT_EQ(asked_[0].buttons, MessageBoxButtons::YesNoCancel);
        EXPECT_EQ(asked_[0].icon, MessageBoxIcon::Question);
    }
}

TEST_F(PatchBenchOlp, IncompleteAndLongLines) {
    // Incomplete lines count as lines but are passed over without a word.
    EXPECT_EQ(Convert("4\n|beep.wav|Common.ffl|\nw.wav||Common.ffl|\nw.wav|beep.wav\n"
                      "w.wav|twin.wav|Twice.ffl|\n"),
              1);
    EXPECT_TRUE(asked_.empty());
    EXPECT_EQ(Items(), (ItemList{{"sound\\First\\twin.wav", "w.wav"}}));  // the first of the two

    // A line over 1023 characters goes on as a line of its own, which here is an item line.
    const std::string longLine = std::string(1023, 'x') + "w.wav|beep.wav|Common.ffl|\n";
    EXPECT_EQ(Convert("2\n" + longLine), 1);
    EXPECT_EQ(Convert("1\n" + longLine), 0);
}

TEST_F(PatchBenchOlp, EditorConvertsIntoANewUntitledPatch) {
    editor_test::ScriptedFrontEnd frontEnd;
    PatchEditor editor(editor_test::PatchLib(), frontEnd);
    editor.Start("");
    const Bytes block = editor_test::Block({{"graphics\\a.rim", editor_test::Texture()}});
    editor.ReceiveItems(block);
    ASSERT_TRUE(editor.Modified());
    KDZPATCH* before = editor.Patch();
    {
        // Cancel in the save question: nothing is asked for or converted.
        qm::ScriptedMessageBoxes boxes({MessageBoxResult::Cancel});
        editor.ConvertOlp(Lib(), waves_);
        EXPECT_EQ(boxes.Asked().size(), 1u);
    }
    EXPECT_EQ(frontEnd.olpAsked, 0);
    EXPECT_EQ(editor.Patch(), before);
    EXPECT_EQ(editor.List().Count(), 1);

    qm_test::WriteText(dir_.File("two.olp"),
                       "2\nw.wav|beep.wav|Common.ffl|\nother.wav|alarm.wav|Common.ffl|\n");
    frontEnd.olpAnswers.push_back(dir_.File("two.olp"));
    {
        qm::ScriptedMessageBoxes boxes({MessageBoxResult::No});
        editor.ConvertOlp(Lib(), waves_);
    }
    EXPECT_EQ(frontEnd.olpAsked, 1);
    EXPECT_TRUE(editor.Path().empty());
    EXPECT_TRUE(editor.Modified());
    EXPECT_EQ(editor.Title(), "Fastfile Patch Editor - [Untitled.kdz*]");
    ASSERT_EQ(editor.List().Count(), 2);
    EXPECT_EQ(editor.List().Rows()[0].label, "w.wav");
    EXPECT_EQ(editor.List().Rows()[1].kindText, "PCM Wave");

    // A file that adds nothing leaves the new patch clean; a cancelled dialog converts nothing.
    qm_test::WriteText(dir_.File("none.olp"), "1\ngone.wav|beep.wav|Common.ffl|\n");
    frontEnd.olpAnswers.push_back(dir_.File("none.olp"));
    frontEnd.olpAnswers.push_back(std::nullopt);
    {
        qm::ScriptedMessageBoxes boxes({MessageBoxResult::No, MessageBoxResult::Ok});
        editor.ConvertOlp(Lib(), waves_);
        editor.ConvertOlp(Lib(), waves_);
    }
    EXPECT_FALSE(editor.Modified());
    EXPECT_EQ(editor.List().Count(), 0);
}

TEST(PatchBenchOlpDisk, WavesAreReadFromRegularFilesOnly) {
    qm_test::TempDir dir;
    const Bytes wave = WaveOfSize(64);
    qm_test::WriteFile(dir.File("a.wav"), wave);
    DiskWaveFiles disk;
    EXPECT_EQ(disk.Load(dir.File("a.wav")), wave);
    EXPECT_FALSE(disk.Load(dir.Path()));
    EXPECT_FALSE(disk.Load("/dev/zero"));
    EXPECT_FALSE(disk.Load(dir.File("missing.wav")));
    EXPECT_FALSE(disk.Load(""));
}

}  // namespace
