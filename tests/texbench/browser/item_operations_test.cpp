// The item commands that change the archive: the questions they ask (answered by the scripted
// message-box service), the Fastfile they save (read back through PackLib) and the rows the
// list selects afterwards.
#include "texbench/browser/item_operations.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/message_box.h"
#include "tests/texbench/browser/browser_fixture.h"
#include "texbench/browser/browser_texts.h"

namespace texbench {
namespace {

using browser_test::Bytes;
using browser_test::Game;
using qm::MessageBoxResult;

constexpr const char* kFolder = "graphics\\menus\\";

class ItemOperationsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(Game().Bound()) << Game().BindError();
        Game().Empty();
        path_ = Game().Root() + "/menus.ffl";
    }

    // A single Fastfile whose folder holds the named items, opened and shown as the dialog does.
    void Open(const std::vector<std::string>& names) {
        std::vector<std::pair<std::string, Bytes>> items;
        for (const std::string& name : names) {
            items.emplace_back(std::string(kFolder) + name, Bytes(name.begin(), name.end()));
        }
        ASSERT_TRUE(browser_test::MakeFastfile(path_, items));
        model_ = std::make_unique<BrowserModel>(Game().Lib(), settings_);
        model_->OpenFromCommandLine("-nosplash " + path_);
        model_->BuildTree();
        model_->SelectNode(model_->Tree().Find("graphics\\menus"));
        ASSERT_NE(model_->CurrentArchive(), nullptr);
    }

    // The item paths of the Fastfile as saved on disk, in stored order.
    std::vector<std::string> Saved() const {
        const PACKLIBEXPORT& lib = Game().Lib();
        FFLARCHIVE* archive = lib.FFLOpenArchive(path_.c_str());
        std::vector<std::string> paths;
        for (FFLITEM* item = lib.FFLGetFirstItem(archive); item != nullptr;
             item = lib.FFLGetNextItem(item)) {
            paths.emplace_back(lib.FFLGetItemPath(item));
        }
        lib.FFLCloseArchive(archive);
        return paths;
    }
    static std::vector<std::string> InFolder(const std::vector<std::string>& names) {
        std::vector<std::string> paths;
        for (const std::string& name : names) {
            paths.push_back(kFolder + name);
        }
        return paths;
    }
    std::vector<std::string> RowNames() const {
        std::vector<std::string> names;
        for (const ListRow& row : model_->Rows()) {
            names.push_back(row.name);
        }
        return names;
    }

    std::string path_;
    CIniDocument settings_;
    std::unique_ptr<BrowserModel> model_;
};

TEST_F(ItemOperationsTest, RowsCarryTheItemsFullPathForTheirTooltip) {
    Open({"a.rim", "b.rim"});
    ASSERT_EQ(model_->Rows().size(), 2u);
    EXPECT_EQ(model_->Rows()[1].path, "graphics\\menus\\b.rim");
}

struct DeleteCase {
    const char* what;
    std::vector<int> selected;
    int focused;
    std::vector<std::string> remaining;
    std::vector<int> selectedAfter;
    int focusedAfter;
};

TEST_F(ItemOperationsTest, DeleteAsksSavesAndSelectsByTheFocusedRow) {
    const std::vector<DeleteCase> cases = {
        {"the focused middle row", {1}, 1, {"a", "c", "d"}, {1}, 1},
        {"the last row: the new last row", {3}, 3, {"a", "b", "c"}, {2}, 2},
        {"two rows, focus past the new end", {1, 2}, 2, {"a", "d"}, {1}, 1},
        {"the focus outside the selection: all the rest", {0, 1}, 3, {"c", "d"}, {0, 1}, -1},
        {"every row", {0, 1, 2, 3}, 0, {}, {}, -1},
    };
    for (const DeleteCase& c : cases) {
        SCOPED_TRACE(c.what);
        Open({"a", "b", "c", "d"});
        qm::ScriptedMessageBoxes boxes({MessageBoxResult::Yes});
        const ItemCommandResult result = DeleteRows(*model_, settings_, c.selected, c.focused);
        ASSERT_EQ(boxes.Asked().size(), 1u);
        EXPECT_EQ(boxes.Asked()[0].text, kDeleteQuestion);
        EXPECT_EQ(boxes.Asked()[0].buttons, qm::MessageBoxButtons::YesNo);
        EXPECT_TRUE(result.listRefilled);
        EXPECT_EQ(RowNames(), c.remaining);
        EXPECT_EQ(Saved(), InFolder(c.remaining));
        EXPECT_EQ(result.selectedRows, c.selectedAfter);
        EXPECT_EQ(result.focusedRow, c.focusedAfter);
    }
}

TEST_F(ItemOperationsTest, DeleteChangesNothingUnlessAnsweredYesAndAsksOnlyWhenConfirming) {
    Open({"a", "b"});
    {
        qm::ScriptedMessageBoxes boxes({MessageBoxResult::No});
        const ItemCommandResult result = DeleteRows(*model_, settings_, std::vector{0}, 0);
        EXPECT_FALSE(result.listRefilled);
        EXPECT_FALSE(result.beep);
        EXPECT_EQ(RowNames(), (std::vector<std::string>{"a", "b"}));
        EXPECT_EQ(Saved(), InFolder({"a", "b"}));
    }
    {
        qm::ScriptedMessageBoxes boxes;
        EXPECT_TRUE(DeleteRows(*model_, settings_, {}, -1).beep) << "no row selected";
        EXPECT_TRUE(boxes.Asked().empty());
    }
    settings_.SetInt(kConfirmDelete.section, kConfirmDelete.key, 0);
    qm::ScriptedMessageBoxes boxes;
    EXPECT_TRUE(DeleteRows(*model_, settings_, std::vector{0}, 0).listRefilled);
    EXPECT_TRUE(boxes.Asked().empty());
    EXPECT_EQ(Saved(), InFolder({"b"}));
}

TEST_F(ItemOperationsTest, RenameKeepsTheFolderUpTo259CharactersInAll) {
    const std::size_t folder = std::string(kFolder).size();
    Open({"a.rim"});
    {
        qm::ScriptedMessageBoxes boxes;
        const std::string tooLong(FFL_MAX_PATH - folder, 'x');  // 260 in all
        EXPECT_FALSE(RenameRow(*model_, 0, tooLong).listRefilled);
        ASSERT_EQ(boxes.Asked().size(), 1u);
        EXPECT_EQ(boxes.Asked()[0].text, kNameTooLong);
        EXPECT_EQ(Saved(), InFolder({"a.rim"}));
    }
    qm::ScriptedMessageBoxes boxes;
    const std::string longest(FFL_MAX_PATH - 1 - folder, 'x');  // 259 in all
    const ItemCommandResult result = RenameRow(*model_, 0, longest);
    EXPECT_TRUE(boxes.Asked().empty());
    EXPECT_TRUE(result.listRefilled);
    EXPECT_EQ(result.selectedRows, std::vector{0});
    EXPECT_EQ(result.focusedRow, 0);
    EXPECT_EQ(Saved(), InFolder({longest}));
}

TEST_F(ItemOperationsTest, RenameChangesLetterCaseButNotTheSameNameOrAnEmptyOne) {
    Open({"a.rim", "b.rim"});
    qm::ScriptedMessageBoxes boxes;
    // The name-only search finds the edited item itself: no replace question.
    EXPECT_TRUE(RenameRow(*model_, 0, "A.RIM").listRefilled);
    EXPECT_EQ(Saved(), InFolder({"A.RIM", "b.rim"}));
    EXPECT_FALSE(RenameRow(*model_, 0, "A.RIM").listRefilled);
    EXPECT_FALSE(RenameRow(*model_, 0, "").listRefilled);
    EXPECT_TRUE(boxes.Asked().empty());
    EXPECT_EQ(Saved(), InFolder({"A.RIM", "b.rim"}));
}

TEST_F(ItemOperationsTest, RenameRefusesEveryForbiddenCharacter) {
    Open({"a.rim"});
    for (const char c : kForbiddenNameCharacters) {
        SCOPED_TRACE(std::string(1, c));
        qm::ScriptedMessageBoxes boxes;
        EXPECT_FALSE(RenameRow(*model_, 0, std::string("x") + c + "y.rim").listRefilled);
        ASSERT_EQ(boxes.Asked().size(), 1u);
        EXPECT_EQ(boxes.Asked()[0].text,
                  "A filename cannot contain any of the following characters:\n"
                  "\t\\ / : * ? \" < > |");
    }
    EXPECT_EQ(Saved(), InFolder({"a.rim"}));
}

TEST_F(ItemOperationsTest, RenameOntoAnotherItemsNameReplacesItOnlyOnYes) {
    Open({"a.rim", "b.rim", "c.rim"});
    {
        qm::ScriptedMessageBoxes boxes({MessageBoxResult::No});
        EXPECT_FALSE(RenameRow(*model_, 0, "C.rim").listRefilled);
        ASSERT_EQ(boxes.Asked().size(), 1u);
        EXPECT_EQ(boxes.Asked()[0].text, kReplaceOnRename);
        EXPECT_EQ(Saved(), InFolder({"a.rim", "b.rim", "c.rim"}));
    }
    qm::ScriptedMessageBoxes boxes({MessageBoxResult::Yes});
    const ItemCommandResult result = RenameRow(*model_, 0, "C.rim");
    EXPECT_TRUE(result.listRefilled);
    EXPECT_EQ(Saved(), InFolder({"C.rim", "b.rim"}));
    EXPECT_EQ(RowNames(), (std::vector<std::string>{"b.rim", "C.rim"}));
    EXPECT_EQ(result.focusedRow, 1) << "the renamed row, where the sorted list now has it";
}

}  // namespace
}  // namespace texbench
