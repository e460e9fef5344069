// The editor's document with scripted answers: title and command states, the save question
// before every action that would lose changes, New/Open/Save/Save As with their failures,
// patch information, rename, delete, receiving items, sorting.
#include <gtest/gtest.h>

#include <functional>

#include "patchbench/engine/editor_texts.h"
#include "patchbench/engine/patch_editor.h"
#include "platform/message_box.h"
#include "tests/patchbench/editor_fixture.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace patchbench;
using editor_test::Block;
using editor_test::Bytes;
using editor_test::PatchLib;
using editor_test::Sound;
using editor_test::Texture;
using qm::MessageBoxResult;

class PatchBenchEditor : public ::testing::Test {
  protected:
    std::string File(const std::string& name) const { return dir_.File(name); }

    // A saved patch with a title and the given items (target path list, data).
    std::string WritePatch(const std::string& name,
                           const std::vector<std::pair<std::string, Bytes>>& items,
                           const char* title = "Sky") {
        const PATCHLIBEXPORT& lib = PatchLib();
        KDZPATCH* patch = lib.KDZCreatePatch(nullptr);
        std::snprintf(patch->szTitle, sizeof patch->szTitle, "%s", title);
        for (const auto& [paths, data] : items) {
            lib.KDZAddItem(patch, paths.c_str(), data.data(),
                           static_cast<std::uint32_t>(data.size()));
        }
        const std::string path = File(name);
        EXPECT_TRUE(lib.KDZSavePatch(patch, path.c_str()));
        lib.KDZClosePatch(patch);
        return path;
    }

    // Items of the patch file on disk, as target path lists.
    std::vector<std::string> PathsOnDisk(const std::string& path) {
        const PATCHLIBEXPORT& lib = PatchLib();
        std::vector<std::string> paths;
        KDZPATCH* patch = lib.KDZOpenPatch(path.c_str());
        if (patch == nullptr) {
            return {"<cannot open>"};
        }
        for (KDZITEM* item = lib.KDZGetFirstItem(patch); item; item = lib.KDZGetNextItem(item)) {
            paths.push_back(item->lpszPath ? item->lpszPath : "");
        }
        lib.KDZClosePatch(patch);
        return paths;
    }

    std::vector<std::string> Labels(const PatchEditor& editor) {
        std::vector<std::string> labels;
        for (const PatchRow& row : editor.List().Rows()) {
            labels.push_back(row.label);
        }
        return labels;
    }

    // A named patch, opened and then modified by one received texture.
    void OpenModified(PatchEditor& editor, const std::string& name = "work.kdz") {
        editor.Start(WritePatch(name, {{"graphics\\old.rim", Texture()}}));
        editor.ReceiveItems(Block({{"graphics\\new.rim", Texture()}}));
        ASSERT_TRUE(editor.Modified());
    }

    qm_test::TempDir dir_;
    editor_test::ScriptedFrontEnd frontEnd_;
};

TEST_F(PatchBenchEditor, TitleAndCommandStatesFollowTheDocument) {
    qm::ScriptedMessageBoxes boxes;
    PatchEditor editor(PatchLib(), frontEnd_);
    editor.Start("");
    EXPECT_EQ(editor.Title(), "Fastfile Patch Editor - [Untitled.kdz]");
    CommandStates states = editor.States();
    EXPECT_FALSE(states.save);
    EXPECT_TRUE(states.saveAs);
    EXPECT_TRUE(states.patchInfo);
    EXPECT_FALSE(states.install);  // nothing to install before the patch has a file

    editor.ReceiveItems(Block({{"graphics\\a.rim", Texture()}}));
    EXPECT_EQ(editor.Title(), "Fastfile Patch Editor - [Untitled.kdz*]");
    EXPECT_TRUE(editor.States().save);
    EXPECT_FALSE(editor.States().install);

    frontEnd_.saveAsAnswers.push_back(File("first.kdz"));
    ASSERT_TRUE(editor.Save());
    EXPECT_EQ(editor.Title(), "Fastfile Patch Editor - [first.kdz]");
    states = editor.States();
    EXPECT_FALSE(states.save);
    EXPECT_TRUE(states.saveAs && states.patchInfo && states.install);

    editor.EditPatchInfo();  // cancelled: nothing changes
    EXPECT_EQ(editor.Title(), "Fastfile Patch Editor - [first.kdz]");
    frontEnd_.infoAnswers.push_back(PatchHeaderTexts{"Sky", "", "", "", ""});
    editor.EditPatchInfo();
    EXPECT_EQ(editor.Title(), "Fastfile Patch Editor - [first.kdz*]");
    EXPECT_TRUE(editor.States().install);
}

TEST_F(PatchBenchEditor, WithoutAPatchEveryPatchCommandBeeps) {
    PATCHLIBEXPORT failingCreate = PatchLib();
    failingCreate.KDZCreatePatch = [](const char*) -> KDZPATCH* { return nullptr; };
    qm::ScriptedMessageBoxes boxes;
    PatchEditor editor(failingCreate, frontEnd_);
    editor.Start("");
    ASSERT_EQ(boxes.Asked().size(), 1u);
    EXPECT_EQ(boxes.Asked()[0].text, kCreateFailedText);
    EXPECT_EQ(boxes.Asked()[0].icon, qm::MessageBoxIcon::Information);
    EXPECT_EQ(editor.Patch(), nullptr);

    const CommandStates states = editor.States();
    EXPECT_FALSE(states.save || states.saveAs || states.patchInfo || states.install);
    EXPECT_FALSE(editor.Save());
    EXPECT_FALSE(editor.SaveAs());
    editor.EditPatchInfo();
    EXPECT_EQ(frontEnd_.beeps, 3);
    EXPECT_TRUE(frontEnd_.saveAsShownWith.empty() && frontEnd_.infoShownWith.empty());

    // Items arriving now have nowhere to go.
    editor.ReceiveItems(Block({{"graphics\\a.rim", Texture()}}));
    EXPECT_EQ(editor.List().Count(), 0);
    EXPECT_FALSE(editor.Modified());
    EXPECT_EQ(editor.Title(), "Fastfile Patch Editor - [Untitled.kdz]");
}

// The three answers of the save question before each action that would drop the changes.
TEST_F(PatchBenchEditor, SaveQuestionBeforeEveryActionThatDropsChanges) {
    const std::string other = WritePatch("other.kdz", {{"graphics\\other.rim", Texture()}});
    struct Action {
        const char* name;
        std::function<bool(PatchEditor&)> run;  // true when the action went on
    };
    const std::vector<Action> actions = {
        {"New",
         [](PatchEditor& e) {
             e.New();
             return e.Path().empty();
         }},
        {"Open",
         [&](PatchEditor& e) {
             frontEnd_.openAnswers = {other};
             e.Open();
             return e.Path() == other;
         }},
        {"open request", [&](PatchEditor& e) { return e.OpenRequested(other); }},
        {"closing", [](PatchEditor& e) { return e.AskToSave(); }},
    };
    for (const Action& action : actions) {
        for (MessageBoxResult answer :
             {MessageBoxResult::Yes, MessageBoxResult::No, MessageBoxResult::Cancel}) {
            SCOPED_TRACE(std::string(action.name) + " answered " +
                         std::to_string(static_cast<int>(answer)));
            qm::ScriptedMessageBoxes boxes({answer});
            PatchEditor editor(PatchLib(), frontEnd_);
            OpenModified(editor);
            const std::string path = editor.Path();

            const bool wentOn = action.run(editor);
            ASSERT_EQ(boxes.Asked().size(), 1u);
            EXPECT_EQ(boxes.Asked()[0].text,
                      "You have modified 'work.kdz'.\nDo you want to save it?");
            EXPECT_EQ(boxes.Asked()[0].buttons, qm::MessageBoxButtons::YesNoCancel);
            EXPECT_EQ(boxes.Asked()[0].icon, qm::MessageBoxIcon::Question);
            EXPECT_EQ(wentOn, answer != MessageBoxResult::Cancel);
            const std::vector<std::string> saved = {"graphics\\old.rim", "graphics\\new.rim"};
            if (answer == MessageBoxResult::Yes) {
                EXPECT_EQ(PathsOnDisk(path), saved);
            } else {
                EXPECT_EQ(PathsOnDisk(path), std::vector<std::string>{"graphics\\old.rim"});
            }
            if (answer == MessageBoxResult::Cancel) {
                EXPECT_TRUE(editor.Modified());
                EXPECT_EQ(editor.List().Count(), 2);
            }
        }
    }
}

TEST_F(PatchBenchEditor, YesThatCannotSaveStopsTheAction) {
    qm::ScriptedMessageBoxes boxes({MessageBoxResult::Yes});
    PatchEditor editor(PatchLib(), frontEnd_);
    editor.Start("");
    editor.ReceiveItems(Block({{"graphics\\a.rim", Texture()}}));
    editor.New();  // Yes, then the save dialog is cancelled
    ASSERT_EQ(frontEnd_.saveAsShownWith.size(), 1u);
    EXPECT_EQ(boxes.Asked()[0].text, "You have modified 'Untitled.kdz'.\nDo you want to save it?");
    EXPECT_TRUE(editor.Modified());
    EXPECT_EQ(editor.List().Count(), 1);
}

TEST_F(PatchBenchEditor, NothingToAskWhenUnmodified) {
    qm::ScriptedMessageBoxes boxes;
    PatchEditor editor(PatchLib(), frontEnd_);
    editor.Start(WritePatch("clean.kdz", {{"graphics\\a.rim", Texture()}}));
    EXPECT_TRUE(editor.AskToSave());
    editor.New();
    EXPECT_TRUE(boxes.Asked().empty());
    EXPECT_EQ(editor.List().Count(), 0);
    EXPECT_EQ(editor.Title(), "Fastfile Patch Editor - [Untitled.kdz]");
}

TEST_F(PatchBenchEditor, OpenListsThePatchInItsOrder) {
    qm::ScriptedMessageBoxes boxes;
    PatchEditor editor(PatchLib(), frontEnd_);
    editor.Start("");
    const std::string path = WritePatch("three.kdz", {{"graphics\\b.rim", Texture(2000)},
                                                      {"sound\\a.wav|sound\\c.wav", Sound(999)},
                                                      {"x\\other", Bytes(5, 9)}});
    frontEnd_.openAnswers = {path};
    editor.Open();
    EXPECT_EQ(editor.Path(), path);
    EXPECT_FALSE(editor.Modified());
    EXPECT_EQ(editor.Title(), "Fastfile Patch Editor - [three.kdz]");
    ASSERT_EQ(editor.List().Count(), 3);
    const PatchRow& sound = editor.List().Rows()[1];
    EXPECT_EQ(sound.label, "c.wav");
    EXPECT_EQ(sound.sizeText, "999 Bytes");
    EXPECT_EQ(sound.kindText, "PCM Wave");
    EXPECT_EQ(sound.icon, 5);
    EXPECT_EQ(editor.List().Rows()[0].sizeText, "2.0 KByte");
    EXPECT_EQ(editor.List().Rows()[2].kindText, "(unknown)");
    EXPECT_TRUE(boxes.Asked().empty());

    frontEnd_.openAnswers = {std::nullopt};  // a cancelled file dialog keeps the patch
    editor.Open();
    EXPECT_EQ(editor.Path(), path);
    EXPECT_EQ(editor.List().Count(), 3);
}

TEST_F(PatchBenchEditor, APatchThatCannotBeOpenedLeavesAnEmptyUntitledOne) {
    const std::string broken = File("broken.kdz");
    qm_test::WriteFile(broken, {'Q', 'M', 'R', 'K', 0, 0, 0, 0, 'N', 'O', 'P', 'E'});
    for (const std::string& path : {broken, File("missing.kdz")}) {
        qm::ScriptedMessageBoxes boxes;
        PatchEditor editor(PatchLib(), frontEnd_);
        editor.Start(WritePatch("good.kdz", {{"graphics\\a.rim", Texture()}}));
        ASSERT_TRUE(editor.OpenRequested(path));
        ASSERT_EQ(boxes.Asked().size(), 1u);
        EXPECT_EQ(boxes.Asked()[0].text, kOpenFailedText);
        EXPECT_EQ(boxes.Asked()[0].icon, qm::MessageBoxIcon::Information);
        EXPECT_NE(editor.Patch(), nullptr);
        EXPECT_TRUE(editor.Path().empty());
        EXPECT_EQ(editor.List().Count(), 0);
        EXPECT_EQ(editor.Title(), "Fastfile Patch Editor - [Untitled.kdz]");
    }
}

TEST_F(PatchBenchEditor, AnEmptyPatchCannotBeSavedOneWithATitleCan) {
    qm::ScriptedMessageBoxes boxes;
    PatchEditor editor(PatchLib(), frontEnd_);
    editor.Start("");
    frontEnd_.infoAnswers.push_back(PatchHeaderTexts{});  // OK on empty fields: still modified
    editor.EditPatchInfo();
    ASSERT_TRUE(editor.Modified());
    const std::string path = File("empty.kdz");
    frontEnd_.saveAsAnswers.push_back(path);
    EXPECT_FALSE(editor.Save());
    ASSERT_EQ(boxes.Asked().size(), 1u);
    EXPECT_EQ(boxes.Asked()[0].text, kSaveFailedText);
    EXPECT_EQ(boxes.Asked()[0].icon, qm::MessageBoxIcon::Information);
    EXPECT_TRUE(editor.Modified());
    EXPECT_EQ(editor.Path(), path);  // the path stays as chosen
    EXPECT_EQ(editor.Title(), "Fastfile Patch Editor - [empty.kdz*]");

    frontEnd_.infoAnswers.push_back(PatchHeaderTexts{"", "", "", "", "Only a description"});
    editor.EditPatchInfo();
    EXPECT_TRUE(editor.Save());  // now to its own path, without a dialog
    EXPECT_EQ(frontEnd_.saveAsShownWith.size(), 1u);
    EXPECT_FALSE(editor.Modified());
    KDZPATCH* reread = PatchLib().KDZOpenPatch(path.c_str());
    ASSERT_NE(reread, nullptr);
    EXPECT_STREQ(reread->szDescription, "Only a description");
    PatchLib().KDZClosePatch(reread);
}

TEST_F(PatchBenchEditor, SaveAsToANameThePatchCannotTakeDoesNotSaveUnderTheOldOne) {
    qm::ScriptedMessageBoxes boxes;
    PatchEditor editor(PatchLib(), frontEnd_);
    OpenModified(editor);
    const std::string old = editor.Path();
    frontEnd_.saveAsAnswers.push_back(File(std::string(300, 'n') + ".kdz"));
    EXPECT_FALSE(editor.SaveAs());
    ASSERT_EQ(frontEnd_.saveAsShownWith.size(), 1u);
    EXPECT_EQ(frontEnd_.saveAsShownWith[0], old);  // the dialog starts at the current name
    ASSERT_EQ(boxes.Asked().size(), 1u);
    EXPECT_EQ(boxes.Asked()[0].text, kSaveFailedText);
    EXPECT_TRUE(editor.Modified());
    EXPECT_EQ(PathsOnDisk(old), std::vector<std::string>{"graphics\\old.rim"});
}

TEST_F(PatchBenchEditor, PatchInfoWritesAllFiveFieldsCutTo255) {
    qm::ScriptedMessageBoxes boxes;
    PatchEditor editor(PatchLib(), frontEnd_);
    editor.Start(WritePatch("info.kdz", {{"graphics\\a.rim", Texture()}}, "Old title"));
    frontEnd_.infoAnswers.push_back(
        PatchHeaderTexts{std::string(300, 't'), "1.1", "Ann", "(c) Ann", "Line 1\r\nLine 2"});
    editor.EditPatchInfo();
    ASSERT_EQ(frontEnd_.infoShownWith.size(), 1u);
    EXPECT_EQ(frontEnd_.infoShownWith[0].title, "Old title");
    const KDZPATCH* patch = editor.Patch();
    EXPECT_EQ(std::string(patch->szTitle), std::string(255, 't'));
    EXPECT_STREQ(patch->szVersion, "1.1");
    EXPECT_STREQ(patch->szAuthor, "Ann");
    EXPECT_STREQ(patch->szCopyright, "(c) Ann");
    EXPECT_STREQ(patch->szDescription, "Line 1\r\nLine 2");

    ASSERT_TRUE(editor.Save());
    frontEnd_.infoAnswers.push_back(frontEnd_.infoShownWith.back());
    editor.EditPatchInfo();  // OK without a change still counts as a change
    EXPECT_TRUE(editor.Modified());
}

TEST_F(PatchBenchEditor, RenameNamesTheItemWithAtMost127Characters) {
    qm::ScriptedMessageBoxes boxes;
    PatchEditor editor(PatchLib(), frontEnd_);
    editor.Start(WritePatch("names.kdz", {{"graphics\\a.rim", Texture()}}));
    ASSERT_TRUE(editor.CanEditLabel(0));
    EXPECT_FALSE(editor.CanEditLabel(1));
    editor.RenameRow(0, std::string(200, 'r'));
    EXPECT_EQ(editor.List().Rows()[0].label, std::string(127, 'r'));
    EXPECT_EQ(std::string(editor.List().Rows()[0].item->szName), std::string(127, 'r'));
    EXPECT_TRUE(editor.Modified());
    editor.RenameRow(0, "");  // a cleared name shows the target's file name again
    EXPECT_EQ(editor.List().Rows()[0].label, "a.rim");
}

TEST_F(PatchBenchEditor, DeleteRemovesSelectedRowsAndKeepsTheFocusPlace) {
    const struct {
        std::vector<int> selected;
        int focused;
        std::vector<std::string> left;
        int selectedAfter;  // -1: nothing selected afterwards
    } cases[] = {
        {{1, 3}, 1, {"0", "2", "4"}, 1},  // the focused index now holds the next row
        {{3, 4}, 4, {"0", "1", "2"}, 2},  // past the end: the last row
        {{0, 1, 2, 3, 4}, 2, {}, -1},
        {{1}, 3, {"0", "2", "3", "4"}, -1},  // focus on an unselected row is not remembered
    };
    for (const auto& c : cases) {
        qm::ScriptedMessageBoxes boxes;
        PatchEditor editor(PatchLib(), frontEnd_);
        std::vector<std::pair<std::string, Bytes>> items;
        for (int i = 0; i < 5; ++i) {
            items.push_back({"graphics\\" + std::to_string(i), Texture()});
        }
        editor.Start(WritePatch("five.kdz", items));
        for (int row : c.selected) {
            editor.List().SetSelected(row, true);
        }
        editor.List().SetFocused(c.focused);
        editor.DeleteSelected();
        EXPECT_TRUE(boxes.Asked().empty());  // no confirmation
        EXPECT_EQ(Labels(editor), c.left);
        EXPECT_EQ(PatchLib().KDZGetItemCount(editor.Patch()), c.left.size());
        const std::vector<int> expected =
            c.selectedAfter < 0 ? std::vector<int>{} : std::vector<int>{c.selectedAfter};
        EXPECT_EQ(editor.List().SelectedRows(), expected);
        EXPECT_TRUE(editor.Modified());
    }

    PatchEditor editor(PatchLib(), frontEnd_);
    editor.Start(WritePatch("one.kdz", {{"graphics\\a.rim", Texture()}}));
    editor.DeleteSelected();  // nothing selected: nothing happens
    EXPECT_EQ(editor.List().Count(), 1);
    EXPECT_FALSE(editor.Modified());
}

TEST_F(PatchBenchEditor, ReceivedItemsBecomeRowsAndTheLastOneIsSelected) {
    qm::ScriptedMessageBoxes boxes;
    PatchEditor editor(PatchLib(), frontEnd_);
    editor.Start("");
    editor.ReceiveItems(Block({{"graphics\\a\\sky.rim", Texture(1000)},
                               {"", Texture()},                 // no path: skipped
                               {"graphics\\a\\empty.rim", {}},  // no data: skipped
                               {"sound\\b\\hit.wav", Sound(999)}}));
    EXPECT_TRUE(boxes.Asked().empty());
    ASSERT_EQ(Labels(editor), (std::vector<std::string>{"sky.rim", "hit.wav"}));
    EXPECT_EQ(editor.List().Rows()[0].sizeText, "1.0 KByte");
    EXPECT_EQ(editor.List().Rows()[1].kindText, "PCM Wave");
    EXPECT_EQ(editor.List().SelectedRows(), std::vector<int>{1});
    EXPECT_EQ(editor.List().Focused(), 1);
    EXPECT_TRUE(editor.Modified());
    KDZITEM* item = PatchLib().KDZGetFirstItem(editor.Patch());
    EXPECT_STREQ(item->lpszPath, "graphics\\a\\sky.rim");
    EXPECT_STREQ(item->szName, "");
    EXPECT_EQ(item->dwSize, 1000u);
}

TEST_F(PatchBenchEditor, CoveredPathsAskBeforeReplacingAndCancelStops) {
    qm::ScriptedMessageBoxes boxes({MessageBoxResult::Yes, MessageBoxResult::Cancel});
    PatchEditor editor(PatchLib(), frontEnd_);
    // Each existing item covers one arriving path as the beginning of one of its targets.
    editor.Start(WritePatch("covered.kdz", {{"x\\other.rim|graphics\\r1.rim", Texture(100)},
                                            {"graphics\\r2.rim.bak", Texture(100)},
                                            {"graphics\\r3.rim", Texture(100)}}));
    editor.List().SelectOnly(2);
    editor.ReceiveItems(Block({{"graphics\\r1.rim", Texture(500, 7)},
                               {"graphics\\r2.rim", Texture(600)},
                               {"graphics\\r3.rim", Texture(700)},
                               {"graphics\\new4.rim", Texture(800)},
                               {"graphics\\new5.rim", Texture(900)}}));
    ASSERT_EQ(boxes.Asked().size(), 2u);
    EXPECT_EQ(boxes.Asked()[0].text,
              "The item 'graphics\\r1.rim' already exists. Do you want to replace it?");
    EXPECT_EQ(boxes.Asked()[0].buttons, qm::MessageBoxButtons::YesNoCancel);
    EXPECT_EQ(boxes.Asked()[1].text,
              "The item 'graphics\\r2.rim' already exists. Do you want to replace it?");
    // Records three to five were not looked at: no new rows, r3 unchanged.
    ASSERT_EQ(editor.List().Count(), 3);
    const auto& rows = editor.List().Rows();
    EXPECT_EQ(rows[0].item->dwSize, 500u);
    EXPECT_EQ(rows[0].item->lpData[20], 7);
    EXPECT_EQ(rows[0].sizeText, "500 Bytes");
    EXPECT_STREQ(rows[0].item->lpszPath, "x\\other.rim|graphics\\r1.rim");
    EXPECT_EQ(rows[1].item->dwSize, 100u);
    EXPECT_EQ(rows[2].item->dwSize, 100u);
    EXPECT_EQ(editor.List().SelectedRows(), std::vector<int>{0});  // the last one touched
    EXPECT_TRUE(editor.Modified());
}

TEST_F(PatchBenchEditor, NoSkipsACoveredRecordAndTheRestGoesOn) {
    qm::ScriptedMessageBoxes boxes({MessageBoxResult::No});
    PatchEditor editor(PatchLib(), frontEnd_);
    editor.Start(WritePatch("no.kdz", {{"graphics\\r1.rim", Texture(100)}}));
    editor.ReceiveItems(
        Block({{"graphics\\r1.rim", Texture(500)}, {"graphics\\n.rim", Texture(8)}}));
    ASSERT_EQ(editor.List().Count(), 2);
    EXPECT_EQ(editor.List().Rows()[0].item->dwSize, 100u);
    EXPECT_EQ(editor.List().SelectedRows(), std::vector<int>{1});

    // Answering No to every record changes nothing at all.
    qm::ScriptedMessageBoxes onlyNo({MessageBoxResult::No});
    PatchEditor clean(PatchLib(), frontEnd_);
    clean.Start(WritePatch("no2.kdz", {{"graphics\\r1.rim", Texture(100)}}));
    clean.ReceiveItems(Block({{"graphics\\r1.rim", Texture(500)}}));
    EXPECT_FALSE(clean.Modified());
    EXPECT_TRUE(clean.List().SelectedRows().empty());
}

TEST_F(PatchBenchEditor, BadBlocksDoNothing) {
    qm::ScriptedMessageBoxes boxes;
    PatchEditor editor(PatchLib(), frontEnd_);
    editor.Start("");
    Bytes wrongMagic = Block({{"graphics\\a.rim", Texture()}});
    wrongMagic[3] = 'X';
    // Each of these begins with a good record that must not be added on its own.
    Bytes lying = Block({{"graphics\\a.rim", Texture()}, {"graphics\\b.rim", Texture()}});
    lying.resize(lying.size() - 10);
    Bytes unterminated =
        Block({{"graphics\\a.rim", Texture()}, {std::string(260, 'p'), Texture()}});
    Bytes countTooHigh = Block({{"graphics\\a.rim", Texture()}});
    countTooHigh[4] = 2;
    for (const Bytes* block : {&wrongMagic, &lying, &unterminated, &countTooHigh}) {
        editor.ReceiveItems(*block);
    }
    editor.ReceiveItems(std::span<const unsigned char>(wrongMagic.data(), 7));
    EXPECT_EQ(editor.List().Count(), 0);
    EXPECT_EQ(PatchLib().KDZGetItemCount(editor.Patch()), 0u);
    EXPECT_FALSE(editor.Modified());
    EXPECT_TRUE(boxes.Asked().empty());
}

TEST_F(PatchBenchEditor, SortingIsAscendingEveryTime) {
    qm::ScriptedMessageBoxes boxes;
    PatchEditor editor(PatchLib(), frontEnd_);
    Bytes other(40, 'z');
    editor.Start(WritePatch("sort.kdz", {{"graphics\\Beta.rim", Texture(3000)},
                                         {"sound\\alpha.wav", Sound(20)},
                                         {"x\\Gamma", other},
                                         {"graphics\\delta.rim", Texture(100)}}));
    editor.List().SelectOnly(2);
    editor.SortBy(ListColumn::Size);
    const std::vector<std::string> bySize = {"alpha.wav", "Gamma", "delta.rim", "Beta.rim"};
    EXPECT_EQ(Labels(editor), bySize);
    editor.SortBy(ListColumn::Size);  // no toggling to descending
    EXPECT_EQ(Labels(editor), bySize);
    EXPECT_EQ(editor.List().Rows()[editor.List().Focused()].label, "Gamma");  // focus moves along
    EXPECT_EQ(editor.List().SelectedRows(), std::vector<int>{1});

    editor.SortBy(ListColumn::Name);  // without regard to case
    EXPECT_EQ(Labels(editor),
              (std::vector<std::string>{"alpha.wav", "Beta.rim", "delta.rim", "Gamma"}));
    editor.SortBy(ListColumn::Type);  // "(unknown)" < "PCM" < "RIM", equal keys keep their order
    EXPECT_EQ(Labels(editor),
              (std::vector<std::string>{"Gamma", "alpha.wav", "Beta.rim", "delta.rim"}));

    editor.Refresh();  // back to patch order
    EXPECT_EQ(Labels(editor),
              (std::vector<std::string>{"Beta.rim", "alpha.wav", "Gamma", "delta.rim"}));
    EXPECT_FALSE(editor.Modified());
}

}  // namespace
