// The demo game, opened through its database as TexBench opens it, for the tests of import,
// drop and paste: pictures written on the spot, the Fastfiles read back through PackLib after
// each operation, and the questions answered by the scripted message-box service.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/message_box.h"
#include "tests/support/temp_dir.h"
#include "tests/texbench/browser/browser_fixture.h"
#include "tests/texbench/browser/picture_files.h"
#include "texbench/browser/browser_model.h"
#include "texbench/imaging/image_base.h"
#include "texbench/imaging/rim_archive.h"
#include "tools/demogame/demo_game.h"

namespace import_test {

using texbench::BrowserModel;
using texbench::FolderNode;

using browser_test::Bytes;
using browser_test::Game;

struct SavedItem {
    std::string path;
    Bytes data;
};

class ImportTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(Game().Bound()) << Game().BindError();
        model_.reset();
        Game().Empty();
        std::string error;
        ASSERT_TRUE(demogame::MakeDemoGame(Game().Root() + "/game", {}, &error)) << error;
        settings_.SetString("Settings.UI", "No Snd", "0");  // the sound Fastfile in the tree
        model_ = std::make_unique<BrowserModel>(Game().Lib(), settings_);
        ASSERT_TRUE(model_->OpenFromCommandLine(""));
        model_->BuildTree();
    }

    void Select(const std::string& folder) {
        FolderNode* node = model_->Tree().Find(folder);
        ASSERT_NE(node, nullptr) << folder;
        model_->SelectNode(node);
        ASSERT_NE(model_->CurrentArchive(), nullptr) << folder;
    }

    static std::string FastfilePath(const std::string& fastfile) {
        return Game().Root() + "/game/fastfile/" + fastfile;
    }

    // Every item of the Fastfile as saved on disk, in stored order.
    static std::vector<SavedItem> Saved(const std::string& fastfile) {
        const PACKLIBEXPORT& lib = Game().Lib();
        FFLARCHIVE* archive = lib.FFLOpenArchive(FastfilePath(fastfile).c_str());
        std::vector<SavedItem> items;
        for (FFLITEM* item = lib.FFLGetFirstItem(archive); item != nullptr;
             item = lib.FFLGetNextItem(item)) {
            std::uint32_t size = 0;
            const auto* data = static_cast<const unsigned char*>(lib.FFLGetItemData(item, &size));
            items.push_back({lib.FFLGetItemPath(item), Bytes(data, data + size)});
        }
        lib.FFLCloseArchive(archive);
        return items;
    }
    static std::optional<Bytes> SavedData(const std::string& fastfile, const std::string& path) {
        for (SavedItem& item : Saved(fastfile)) {
            if (item.path == path) {
                return std::move(item.data);
            }
        }
        return std::nullopt;
    }
    static std::vector<std::string> SavedPaths(const std::string& fastfile) {
        std::vector<std::string> paths;
        for (const SavedItem& item : Saved(fastfile)) {
            paths.push_back(item.path);
        }
        return paths;
    }

    std::string RowName(int row) const {
        return row >= 0 && row < static_cast<int>(model_->Rows().size())
                   ? model_->Rows()[static_cast<std::size_t>(row)].name
                   : std::string("<no row>");
    }

    static std::vector<std::string> Texts(const qm::ScriptedMessageBoxes& boxes) {
        std::vector<std::string> texts;
        for (const qm::MessageBoxRequest& request : boxes.Asked()) {
            texts.push_back(request.text);
        }
        return texts;
    }

    qm_test::TempDir files_{"quillmark-import"};
    CIniDocument settings_;
    std::unique_ptr<BrowserModel> model_;
};

}  // namespace import_test
