// What leaves TexBench for the selected rows: the transfer block's exact bytes in row order,
// the single row's picture or sound, and the items written as files for a drop on a file
// manager, whose names come from a stranger's Fastfile and must stay inside their folder.
#include "texbench/browser/item_transfer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/files.h"
#include "tests/support/temp_dir.h"
#include "tests/texbench/browser/browser_fixture.h"
#include "texbench/imaging/image_data.h"
#include "texbench/imaging/packed_dib.h"

namespace texbench {
namespace {

using browser_test::Bytes;
using browser_test::Game;

// The block as the reading side expects it, laid out by hand.
Bytes ExpectedBlock(const std::vector<std::pair<std::string, Bytes>>& records) {
    Bytes out = {'R', 'F', 'F', 'L'};
    browser_test::PutU32(out, static_cast<std::uint32_t>(records.size()));
    for (const auto& [path, data] : records) {
        Bytes field(260, 0);
        std::copy(path.begin(), path.end(), field.begin());
        out.insert(out.end(), field.begin(), field.end());
        browser_test::PutU32(out, static_cast<std::uint32_t>(data.size()));
        out.insert(out.end(), data.begin(), data.end());
    }
    return out;
}

class ItemTransferTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(Game().Bound()) << Game().BindError();
        Game().Empty();
    }

    // A single Fastfile of these items; the list shows them sorted by name.
    void Open(const std::vector<std::pair<std::string, Bytes>>& items) {
        const std::string path = Game().Root() + "/transfer.ffl";
        ASSERT_TRUE(browser_test::MakeFastfile(path, items));
        model_ = std::make_unique<BrowserModel>(Game().Lib(), settings_);
        model_->OpenFromCommandLine("-nosplash " + path);
        model_->BuildTree();
        // Any folder of a single Fastfile lists all of its items.
        const std::string& first = items.front().first;
        model_->SelectNode(model_->Tree().Find(first.substr(0, first.rfind('\\'))));
        ASSERT_NE(model_->CurrentArchive(), nullptr);
    }
    int Row(const std::string& name) const { return model_->FindRow(name); }

    CIniDocument settings_;
    std::unique_ptr<BrowserModel> model_;
};

TEST_F(ItemTransferTest, BlockHoldsTheSelectedRowsInRowOrder) {
    const Bytes wall = browser_test::Texture(8, 8, false);
    const Bytes hit = browser_test::Wav(11025, 1, 8, 0.01);
    Open(
        {{"graphics\\b\\wall.rim", wall}, {"graphics\\a\\alpha.rim", {}}, {"sound\\hit.wav", hit}});
    // Rows, not archive order: alpha, hit, wall; an out-of-range row is no item.
    const std::vector<int> rows = {Row("wall.rim"), 99, Row("alpha.rim"), Row("hit.wav")};
    const RowsTransfer transfer = TransferOfRows(*model_, rows, Row("wall.rim"));
    EXPECT_EQ(transfer.block, ExpectedBlock({{"graphics\\b\\wall.rim", wall},
                                             {"graphics\\a\\alpha.rim", {}},
                                             {"sound\\hit.wav", hit}}));
    // Several rows carry no single picture or sound.
    EXPECT_TRUE(transfer.packedDib.empty());
    EXPECT_TRUE(transfer.wav.empty());
    EXPECT_EQ(TransferBlockOfRows(*model_, rows), transfer.block);

    EXPECT_TRUE(TransferOfRows(*model_, {}, -1).block.empty());
    const std::vector<int> none = {-1, 7};
    EXPECT_TRUE(TransferOfRows(*model_, none, -1).block.empty());
}

TEST_F(ItemTransferTest, OneFocusedRowAddsItsPictureOrSound) {
    const Bytes wall = browser_test::Texture(40, 30, false);
    const Bytes hit = browser_test::Wav(22050, 2, 16, 0.02);
    const Bytes note = {'j', 'u', 's', 't', ' ', 't', 'e', 'x', 't', '.', '.', '.', '!'};
    Open({{"graphics\\wall.rim", wall}, {"sound\\hit.wav", hit}, {"misc\\note.txt", note}});

    const std::vector<int> texture = {Row("wall.rim")};
    const RowsTransfer picture = TransferOfRows(*model_, texture, Row("wall.rim"));
    ASSERT_FALSE(picture.packedDib.empty());
    EXPECT_TRUE(picture.wav.empty());
    IMAGEDATA decoded{};
    ASSERT_TRUE(ImgFromPackedDib(picture.packedDib, &decoded));
    EXPECT_EQ(decoded.header.wWidth, 40);
    EXPECT_EQ(decoded.header.wHeight, 30);
    ImgFree(&decoded);
    // Selected but not focused: no single row to take the picture from.
    EXPECT_TRUE(TransferOfRows(*model_, texture, -1).packedDib.empty());

    const std::vector<int> sound = {Row("hit.wav")};
    const RowsTransfer wav = TransferOfRows(*model_, sound, Row("hit.wav"));
    EXPECT_EQ(wav.wav, hit);
    EXPECT_TRUE(wav.packedDib.empty());

    const std::vector<int> other = {Row("note.txt")};
    const RowsTransfer plain = TransferOfRows(*model_, other, Row("note.txt"));
    EXPECT_FALSE(plain.block.empty());
    EXPECT_TRUE(plain.packedDib.empty());
    EXPECT_TRUE(plain.wav.empty());
}

// A damaged texture still travels as a block; only its picture is missing.
TEST_F(ItemTransferTest, TextureWithoutPictureStillGivesTheBlock) {
    Bytes broken = browser_test::Texture(8, 8, false);
    broken.resize(40);
    Open({{"graphics\\broken.rim", broken}});
    const std::vector<int> rows = {0};
    const RowsTransfer transfer = TransferOfRows(*model_, rows, 0);
    EXPECT_EQ(transfer.block, ExpectedBlock({{"graphics\\broken.rim", broken}}));
    EXPECT_TRUE(transfer.packedDib.empty());
    EXPECT_TRUE(FirstPictureAsPackedDib({}).empty());
}

TEST(SafeFileName, KeepsEveryNameInsideItsFolder) {
    const struct {
        const char* name;
        const char* expected;
    } cases[] = {
        {"wall.rim", "wall.rim"},
        {"../../.bashrc", ".._.._.bashrc"},
        {"..", "item"},
        {".", "item"},
        {"", "item"},
        {"a:b*c?.rim", "a_b_c_.rim"},
        {"tab\there", "tab_here"},
        {".hidden", ".hidden"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SafeFileName(c.name), c.expected) << c.name;
    }
}

TEST_F(ItemTransferTest, RowsBecomeFilesWithTheirBytesAndDistinctNames) {
    const Bytes one = {1, 2, 3}, two = {4, 5}, three = {6};
    // Item names are whatever the Fastfile says: "/" is no folder separator in an item path.
    Open({{"graphics\\a\\wall.rim", one},
          {"graphics\\b\\wall.rim", two},
          {"graphics\\c\\WALL.rim", three},
          {"graphics\\d\\..", {7}},
          {"graphics\\e/../../escape.rim", {8}}});
    qm_test::TempDir directory("transfer-files");
    std::vector<int> rows;
    for (std::size_t i = 0; i < model_->Rows().size(); ++i) {
        rows.push_back(static_cast<int>(i));
    }
    const auto files = WriteRowsAsFiles(*model_, rows, directory.Path());
    ASSERT_EQ(files.size(), 5u);
    std::vector<std::string> names;
    for (const auto& file : files) {
        EXPECT_EQ(file.parent_path(), std::filesystem::path(directory.Path()));
        names.push_back(file.filename().string());
    }
    // Rows sort by name, letter case aside, keeping the archive's order among equals.
    EXPECT_EQ(names, (std::vector<std::string>{"item", "e_.._.._escape.rim", "wall.rim",
                                               "wall (2).rim", "WALL (3).rim"}));
    EXPECT_EQ(qm_test::ReadFile(files[2].string()), one);
    EXPECT_EQ(qm_test::ReadFile(files[3].string()), two);
    EXPECT_EQ(qm_test::ReadFile(files[4].string()), three);
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& entry :
         std::filesystem::recursive_directory_iterator(directory.Path())) {
        ++entries;
    }
    EXPECT_EQ(entries, 5u);  // nothing anywhere else below it
}

}  // namespace
}  // namespace texbench
