#include "texbench/browser/browser_model.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/texbench/browser/browser_fixture.h"
#include "texbench/browser/browser_texts.h"

namespace texbench {
namespace {

using browser_test::Bytes;
using browser_test::Game;

std::vector<std::string> Texts(const std::vector<std::unique_ptr<FolderNode>>& nodes) {
    std::vector<std::string> texts;
    for (const auto& node : nodes) {
        texts.push_back(node->Text());
    }
    return texts;
}

std::vector<std::string> RowNames(const BrowserModel& model) {
    std::vector<std::string> names;
    for (const ListRow& row : model.Rows()) {
        names.push_back(row.name);
    }
    return names;
}

Bytes Data(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

class BrowserModelTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(Game().Bound()) << Game().BindError();
        Game().Empty();
    }

    const PACKLIBEXPORT& Lib() const { return Game().Lib(); }
    std::string Fastfile(const std::string& name) const { return Game().Fastfiles() + name; }

    void WriteDatabase(const std::string& lines) const {
        browser_test::WriteText(Fastfile("ffinfo.txt"), lines);
    }
    void MakeFastfile(const std::string& name,
                      const std::vector<std::pair<std::string, Bytes>>& items) const {
        ASSERT_TRUE(browser_test::MakeFastfile(Fastfile(name), items));
    }
    // The menus Fastfile of most tests: rows of every kind, names in mixed case.
    void MakeMenus() const {
        MakeFastfile("menus.ffl",
                     {{"graphics\\menus\\zeta.rim", browser_test::Texture(8, 8, false)},
                      {"graphics\\menus\\Alpha.rim", browser_test::Texture(8, 8, false)},
                      {"graphics\\menus\\beta.wav", browser_test::Wav(11025, 1, 8, 0.1)},
                      {"graphics\\menus\\sub\\gamma.bin", Data("plain bytes")},
                      {"noslash", Data("x")}});
    }

    // Starts the model as the dialog does: open, then build the tree.
    std::unique_ptr<BrowserModel> Start(const std::string& commandLine = "") {
        auto model = std::make_unique<BrowserModel>(Lib(), settings_);
        opened_ = model->OpenFromCommandLine(commandLine);
        model->BuildTree();
        return model;
    }
    FolderNode* Node(BrowserModel& model, const std::string& path) const {
        FolderNode* node = model.Tree().Find(path);
        EXPECT_NE(node, nullptr) << path;
        return node;
    }

    CIniDocument settings_;
    bool opened_ = false;
};

const std::string kDatabase =
    "graphics\\menus;menus.ffl\n"
    "sound\\effects;fx.ffl\n"
    "graphics\\hud;hud.ffl\n"
    "levels\\alpha;alpha.ffl\n"
    "GraphicsExtra\\x;extra.ffl\n";

TEST_F(BrowserModelTest, DatabaseTreeHidesSoundsUnlessNoSndIsZero) {
    WriteDatabase(kDatabase);
    struct Case {
        const char* noSnd;  // null: the key is absent
        std::vector<std::string> roots;
    };
    const Case cases[] = {
        {nullptr, {"graphics", "GraphicsExtra"}},
        {"1", {"graphics", "GraphicsExtra"}},
        {"0", {"graphics", "sound", "levels", "GraphicsExtra"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.noSnd != nullptr ? c.noSnd : "absent");
        settings_.Clear();
        if (c.noSnd != nullptr) {
            settings_.SetString(kNoSound.section, kNoSound.key, c.noSnd);
        }
        auto model = Start();
        ASSERT_TRUE(opened_);
        EXPECT_EQ(model->Mode(), BrowserMode::Database);
        EXPECT_EQ(Texts(model->Tree().Roots()), c.roots);
        EXPECT_EQ(Texts(model->Tree().FirstRoot()->Children()),
                  (std::vector<std::string>{"menus", "hud"}));
        // The first root is expanded and selected; it carries no entry, so nothing is open.
        EXPECT_EQ(model->SelectedNode(), model->Tree().FirstRoot());
        EXPECT_TRUE(model->SelectedNode()->Expanded());
        EXPECT_EQ(model->OpenArchive(), nullptr);
        EXPECT_TRUE(model->Rows().empty());

        FolderNode* hud = Node(*model, "graphics\\hud");
        ASSERT_TRUE(std::holds_alternative<FFLDBITEM*>(hud->Value()));
        EXPECT_STREQ(Lib().FFLGetDbItemFile(std::get<FFLDBITEM*>(hud->Value())), "hud.ffl");
        if (c.roots.size() == 4) {
            EXPECT_EQ(Texts(Node(*model, "sound")->Children()),
                      (std::vector<std::string>{"Common", "effects"}));
            EXPECT_EQ(Node(*model, "sound")->Icon(), kIconSoundRoot);
            EXPECT_EQ(std::get<FFLDBITEM*>(Node(*model, "sound\\Common")->Value()),
                      model->SoundEntry());
        }
    }
}

TEST_F(BrowserModelTest, LaterEntryWithTheSamePrefixTakesTheNodeAndPathsMergeInAnyCase) {
    WriteDatabase(
        "graphics\\menus;old.ffl\nGRAPHICS\\MENUS;menus.ffl\ngraphics\\Menus\\sub;sub.ffl\n");
    MakeMenus();
    auto model = Start();
    EXPECT_EQ(model->Tree().Roots().size(), 1u);
    FolderNode* menus = Node(*model, "graphics\\menus");
    EXPECT_EQ(menus->Text(), "menus");  // the first spelling names the node
    EXPECT_EQ(Texts(menus->Children()), std::vector<std::string>{"sub"});
    EXPECT_STREQ(Lib().FFLGetDbItemFile(std::get<FFLDBITEM*>(menus->Value())), "menus.ffl");

    model->SelectNode(menus);
    EXPECT_EQ(model->Rows().size(), 5u);
}

TEST_F(BrowserModelTest, SelectingANodeOpensItsFastfileAndListsItsItemsSorted) {
    WriteDatabase(kDatabase);
    MakeMenus();
    auto model = Start();
    model->SelectNode(Node(*model, "graphics\\menus"));

    ASSERT_NE(model->OpenArchive(), nullptr);
    EXPECT_EQ(model->CurrentArchive(), model->OpenArchive());
    EXPECT_EQ(RowNames(*model), (std::vector<std::string>{"Alpha.rim", "beta.wav", "gamma.bin",
                                                          "noslash", "zeta.rim"}));
    std::vector<int> icons;
    for (const ListRow& row : model->Rows()) {
        icons.push_back(row.icon);
        EXPECT_STREQ(Lib().FFLGetItemPath(row.item) + std::strlen(Lib().FFLGetItemPath(row.item)) -
                         row.name.size(),
                     row.name.c_str());
    }
    EXPECT_EQ(icons, (std::vector<int>{4, 5, 6, 6, 4}));

    // The root carries no entry: the Fastfile is closed and the list emptied.
    model->SelectNode(model->Tree().FirstRoot());
    EXPECT_EQ(model->OpenArchive(), nullptr);
    EXPECT_EQ(model->CurrentArchive(), nullptr);
    EXPECT_TRUE(model->Rows().empty());

    // An entry whose Fastfile is missing lists nothing and leaves no current archive.
    model->SelectNode(Node(*model, "graphics\\hud"));
    EXPECT_EQ(model->CurrentArchive(), nullptr);
    EXPECT_TRUE(model->Rows().empty());
}

TEST_F(BrowserModelTest, SoundEntryOpensTheGamesSoundFastfile) {
    WriteDatabase(kDatabase);
    browser_test::WriteBytes(
        Fastfile("COMMON.FFL"),
        browser_test::SoundArchive({{"roar.wav", browser_test::Wav(22050, 1, 16, 0.2)},
                                    {"hiss.wav", browser_test::Wav(11025, 2, 8, 0.1)}}));
    settings_.SetString(kNoSound.section, kNoSound.key, "0");
    auto model = Start();
    model->SelectNode(Node(*model, "sound\\Common"));
    EXPECT_EQ(RowNames(*model), (std::vector<std::string>{"hiss.wav", "roar.wav"}));
    EXPECT_EQ(model->CurrentArchiveKind(), suite::ItemKind::Sound);
}

TEST_F(BrowserModelTest, SingleFastfileWithoutFoldersShowsSoundCommon) {
    WriteDatabase(kDatabase);
    const std::string path = Game().Root() + "/loose.ffl";
    browser_test::WriteBytes(
        path, browser_test::SoundArchive({{"b.wav", browser_test::Wav(8000, 1, 8, 0.1)},
                                          {"A.wav", browser_test::Wav(8000, 1, 8, 0.1)}}));
    auto model = Start(path);
    EXPECT_EQ(model->Mode(), BrowserMode::SingleFastfile);
    EXPECT_EQ(Texts(model->Tree().Roots()), std::vector<std::string>{"sound"});
    EXPECT_EQ(model->Tree().FirstRoot()->Icon(), kIconSoundRoot);
    EXPECT_TRUE(model->Rows().empty());  // the root holds no items itself

    FolderNode* common = Node(*model, "sound\\Common");
    EXPECT_EQ(std::get<FFLARCHIVE*>(common->Value()), model->OpenArchive());
    model->SelectNode(common);
    EXPECT_EQ(RowNames(*model), (std::vector<std::string>{"A.wav", "b.wav"}));
}

TEST_F(BrowserModelTest, SingleFastfileListsEverythingFromAnyFolderThatHoldsItems) {
    const std::string path = Game().Root() + "/menus.ffl";
    ASSERT_TRUE(browser_test::MakeFastfile(path, {{"graphics\\menus\\a.rim", Data("1")},
                                                  {"graphics\\menus\\deep\\b.rim", Data("2")},
                                                  {"graphics\\hud\\c.rim", Data("3")}}));
    auto model = Start("-nosplash " + path);
    ASSERT_EQ(model->Mode(), BrowserMode::SingleFastfile);
    EXPECT_EQ(Texts(Node(*model, "graphics")->Children()),
              (std::vector<std::string>{"menus", "hud"}));

    // "graphics" only holds folders.
    EXPECT_EQ(model->SelectedNode(), Node(*model, "graphics"));
    EXPECT_EQ(model->CurrentArchive(), nullptr);
    EXPECT_TRUE(model->Rows().empty());

    for (const char* folder : {"graphics\\menus", "graphics\\menus\\deep", "graphics\\hud"}) {
        SCOPED_TRACE(folder);
        model->SelectNode(Node(*model, folder));
        EXPECT_EQ(model->CurrentArchive(), model->OpenArchive());
        EXPECT_EQ(RowNames(*model), (std::vector<std::string>{"a.rim", "b.rim", "c.rim"}));
    }
}

TEST_F(BrowserModelTest, CommandLineOpensDatabaseFastfileOrTheDefaultDatabase) {
    WriteDatabase(kDatabase);
    const std::string altDirectory = Game().Root() + "/alt";
    std::filesystem::create_directories(altDirectory);
    browser_test::WriteText(altDirectory + "/ffinfo.txt", "graphics\\alt;alt.ffl\n");
    const std::string fastfile = Game().Root() + "/one.ffl";
    ASSERT_TRUE(browser_test::MakeFastfile(fastfile, {{"graphics\\one\\x.rim", Data("x")}}));
    const std::string defaultDatabase = Fastfile("ffinfo.txt");

    struct Case {
        std::string commandLine;
        BrowserMode mode;
        std::string path;  // of the database or the archive
    };
    const Case cases[] = {
        {"", BrowserMode::Database, defaultDatabase},
        {"-nosplash " + altDirectory + "/ffinfo.txt", BrowserMode::Database,
         altDirectory + "/ffinfo.txt"},
        {fastfile, BrowserMode::SingleFastfile, fastfile},
        // A further extension makes it a Fastfile, which cannot be opened.
        {altDirectory + "/ffinfo.txt.bak", BrowserMode::Database, defaultDatabase},
        // The capitalised switch stays in the text, so nothing valid is named.
        {"-NOSPLASH " + fastfile, BrowserMode::Database, defaultDatabase},
        {altDirectory + "/missing/ffinfo.txt", BrowserMode::Database, defaultDatabase},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.commandLine);
        auto model = Start(c.commandLine);
        EXPECT_TRUE(opened_);
        EXPECT_EQ(model->Mode(), c.mode);
        const char* path = c.mode == BrowserMode::Database ? Lib().FFLGetDbPath(model->Database())
                                                           : Lib().FFLGetPath(model->OpenArchive());
        EXPECT_EQ(std::string(path != nullptr ? path : ""), c.path);
    }
}

// A file named on the command line, in the Open dialog or by another program that does not
// open is reported, naming the file and what is wrong with it, before the database is shown.
TEST_F(BrowserModelTest, AFileThatDoesNotOpenIsReportedWithItsCause) {
    WriteDatabase(kDatabase);
    const std::string empty = Game().Root() + "/empty.ffl";
    browser_test::WriteText(empty, "");
    const std::string damaged = Game().Root() + "/damaged.ffl";
    browser_test::WriteText(damaged, "RFFL\x01");
    const std::string good = Game().Root() + "/good.ffl";
    ASSERT_TRUE(browser_test::MakeFastfile(good, {{"graphics\\one\\x.rim", Data("x")}}));
    const std::string database = Game().Root() + "/nowhere/ffinfo.txt";

    struct Case {
        std::string path;
        std::string expected;  // empty: nothing to report
    };
    const Case cases[] = {
        {good, ""},
        {Game().Root() + "/missing.ffl", "Failed to open the Fastfile '" + Game().Root() +
                                             "/missing.ffl'!\nThe file was not found."},
        {empty, "Failed to open the Fastfile '" + empty + "'!\nThe file is empty."},
        {damaged, "Failed to open the Fastfile '" + damaged +
                      "'!\nThe file is damaged or is not a Fastfile."},
        {database,
         "Failed to open the Fastfile database '" + database + "'!\nThe file was not found."},
    };
    const std::string fallback = "\nThe game's Fastfile database is opened instead.";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const std::string expected = c.expected.empty() ? "" : c.expected + fallback;
        auto model = Start(c.path);
        EXPECT_EQ(model->TakeOpenFailure(), expected);
        EXPECT_EQ(model->TakeOpenFailure(), "");  // taken once
        if (c.path.ends_with(".ffl")) {
            model->OpenFastfile(c.path);
            EXPECT_EQ(model->TakeOpenFailure(), expected);
            const std::string text = c.path + '\0';
            model->OpenFromOtherProgram(
                std::span(reinterpret_cast<const unsigned char*>(text.data()), text.size()));
            EXPECT_EQ(model->TakeOpenFailure(), expected);
        }
        EXPECT_EQ(model->Mode(),
                  expected.empty() ? BrowserMode::SingleFastfile : BrowserMode::Database);
    }
}

// Another installation's database lists its own Fastfiles: they are opened from beside it,
// never from the registered game's folder, even where a file of the same name is there.
TEST_F(BrowserModelTest, ADatabaseFromAFileOpensTheFastfilesBesideIt) {
    WriteDatabase(kDatabase);
    MakeMenus();
    const std::string other = Game().Root() + "/other";
    std::filesystem::create_directories(other);
    browser_test::WriteText(other + "/ffinfo.txt",
                            "graphics\\menus;menus.ffl\ngraphics\\hud;hud\n");
    ASSERT_TRUE(browser_test::MakeFastfile(other + "/MENUS.FFL",
                                           {{"graphics\\menus\\theirs.rim", Data("t")}}));
    MakeFastfile("hud.ffl", {{"graphics\\hud\\ours.rim", Data("o")}});

    auto model = Start("-nosplash " + other + "/ffinfo.txt");
    EXPECT_EQ(model->TakeOpenFailure(), "");
    model->SelectNode(Node(*model, "graphics\\menus"));
    EXPECT_EQ(RowNames(*model), std::vector<std::string>{"theirs.rim"});
    ASSERT_NE(model->CurrentArchive(), nullptr);
    EXPECT_EQ(std::string(Lib().FFLGetPath(model->CurrentArchive())), other + "/MENUS.FFL");
    // Not beside the database: nothing is shown, rather than the registered game's file.
    model->SelectNode(Node(*model, "graphics\\hud"));
    EXPECT_EQ(model->CurrentArchive(), nullptr);
    EXPECT_TRUE(model->Rows().empty());

    // The game's own database still finds its Fastfiles in the game's folder.
    model->OpenDefaultDatabase();
    model->SelectNode(Node(*model, "graphics\\hud"));
    EXPECT_EQ(RowNames(*model), std::vector<std::string>{"ours.rim"});
}

TEST_F(BrowserModelTest, WithoutAnyDatabaseTheCallerIsToldAndTheTreeStaysEmpty) {
    auto model = Start("-nosplash missing.ffl");
    EXPECT_FALSE(opened_);
    EXPECT_EQ(model->Mode(), BrowserMode::Empty);
    EXPECT_TRUE(model->Tree().Empty());
    EXPECT_EQ(model->SelectedNode(), nullptr);
    EXPECT_FALSE(model->FolderPropertiesText().has_value());
}

TEST_F(BrowserModelTest, FolderPropertiesNameFolderFileCountAndKind) {
    WriteDatabase(kDatabase + "levels\\beta;beta.ffl\n");
    MakeMenus();
    MakeFastfile("fx.ffl", {{"sound\\effects\\a.wav", browser_test::Wav(8000, 1, 8, 0.1)}});
    MakeFastfile("alpha.ffl",
                 {{"levels\\alpha\\a.bin", Data("abc")}, {"levels\\alpha\\b.bin", Data("d")}});
    MakeFastfile("beta.ffl", {});
    settings_.SetString(kNoSound.section, kNoSound.key, "0");
    auto model = Start();

    struct Case {
        const char* node;
        const char* file;
        const char* contents;
    };
    const Case cases[] = {
        {"graphics\\menus", "menus.ffl", "5 Images (*.RIM)"},
        {"sound\\effects", "fx.ffl", "1 Sounds (*.WAV)"},
        {"levels\\alpha", "alpha.ffl", "2 Items"},
        {"levels\\beta", "beta.ffl", "0 Items"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.node);
        model->SelectNode(Node(*model, c.node));
        EXPECT_EQ(model->FolderPropertiesText().value_or("(none)"),
                  std::string("Folder:   '") + c.node + "'\nFilename: '" + Fastfile(c.file) +
                      "'\nContents: " + c.contents);
    }
    // Nothing for a node with children or one without an open Fastfile.
    model->SelectNode(Node(*model, "levels"));
    EXPECT_FALSE(model->FolderPropertiesText().has_value());
    model->SelectNode(Node(*model, "graphics\\hud"));
    EXPECT_FALSE(model->FolderPropertiesText().has_value());
}

TEST_F(BrowserModelTest, ReloadReopensAndKeepsNodeAndRow) {
    WriteDatabase(kDatabase);
    MakeMenus();
    auto model = Start();
    model->SelectNode(Node(*model, "graphics\\menus"));

    // The Fastfile changes on disk (a patch was installed): the reload sees the new item.
    MakeFastfile("menus.ffl", {{"graphics\\menus\\beta.wav", browser_test::Wav(11025, 1, 8, 0.1)},
                               {"graphics\\menus\\Added.rim", browser_test::Texture(8, 8, false)}});
    const int row = model->Reload("BETA.WAV");
    ASSERT_NE(model->SelectedNode(), nullptr);
    EXPECT_EQ(model->SelectedNode()->Path(), "graphics\\menus");
    EXPECT_TRUE(model->SelectedNode()->Expanded());
    EXPECT_TRUE(model->SelectedNode()->Parent()->Expanded());
    EXPECT_EQ(RowNames(*model), (std::vector<std::string>{"Added.rim", "beta.wav"}));
    EXPECT_EQ(row, 1);

    // A node that is gone leaves the first root selected.
    WriteDatabase("graphics\\hud;hud.ffl\n");
    EXPECT_EQ(model->Reload("beta.wav"), -1);
    EXPECT_EQ(model->SelectedNode(), model->Tree().FirstRoot());
    EXPECT_EQ(model->Tree().Find("graphics\\menus"), nullptr);
}

TEST_F(BrowserModelTest, ReloadInSingleFastfileModeReopensTheSameFile) {
    const std::string path = Game().Root() + "/one.ffl";
    ASSERT_TRUE(browser_test::MakeFastfile(path, {{"graphics\\one\\x.rim", Data("x")}}));
    auto model = Start(path);
    model->SelectNode(Node(*model, "graphics\\one"));
    ASSERT_TRUE(browser_test::MakeFastfile(
        path, {{"graphics\\one\\x.rim", Data("x")}, {"graphics\\one\\w.rim", Data("w")}}));
    EXPECT_EQ(model->Reload("x.rim"), 1);
    EXPECT_EQ(model->Mode(), BrowserMode::SingleFastfile);
    EXPECT_EQ(model->SelectedNode()->Path(), "graphics\\one");
    EXPECT_EQ(RowNames(*model), (std::vector<std::string>{"w.rim", "x.rim"}));
}

TEST_F(BrowserModelTest, ReloadAfterADatabaseFromTheCommandLineSwitchesToTheDefault) {
    WriteDatabase(kDatabase);
    const std::string alt = Game().Root() + "/alt-ffinfo.txt";
    browser_test::WriteText(alt, "graphics\\alt;alt.ffl\n");
    auto model = Start(alt);
    ASSERT_STREQ(Lib().FFLGetDbPath(model->Database()), alt.c_str());
    model->Reload("");
    EXPECT_EQ(std::string(Lib().FFLGetDbPath(model->Database())), Fastfile("ffinfo.txt"));
    EXPECT_NE(model->Tree().Find("graphics\\menus"), nullptr);
}

TEST_F(BrowserModelTest, OpenFastfileRemembersItsDirectoryAndFallsBackToTheDatabase) {
    WriteDatabase(kDatabase);
    auto model = Start();
    EXPECT_EQ(model->FastfileDialogDirectory(), Game().Fastfiles());

    const std::string directory = Game().Root() + "/mods";
    std::filesystem::create_directories(directory);
    ASSERT_TRUE(
        browser_test::MakeFastfile(directory + "/mod.ffl", {{"graphics\\mod\\m.rim", Data("m")}}));
    model->OpenFastfile(directory + "/mod.ffl");
    EXPECT_EQ(model->Mode(), BrowserMode::SingleFastfile);
    EXPECT_EQ(ReadText(settings_, kFastfilePath), directory);
    EXPECT_EQ(model->FastfileDialogDirectory(), directory);
    EXPECT_NE(model->Tree().Find("graphics\\mod"), nullptr);

    model->OpenFastfile(directory + "/gone.ffl");
    EXPECT_EQ(model->Mode(), BrowserMode::Database);
    EXPECT_EQ(model->OpenArchive(), nullptr);

    model->OpenDefaultDatabase();
    EXPECT_EQ(model->Mode(), BrowserMode::Database);
    Game().Empty();
    model->OpenDefaultDatabase();  // fails quietly, leaving an empty tree
    EXPECT_EQ(model->Mode(), BrowserMode::Empty);
    EXPECT_TRUE(model->Tree().Empty());
}

TEST_F(BrowserModelTest, OpenFromOtherProgramTakesTheTextUpToItsNul) {
    WriteDatabase(kDatabase);
    const std::string path = Game().Root() + "/one.ffl";
    ASSERT_TRUE(browser_test::MakeFastfile(path, {{"graphics\\one\\x.rim", Data("x")}}));
    auto model = Start();

    EXPECT_FALSE(model->OpenFromOtherProgram({}));
    EXPECT_EQ(model->Mode(), BrowserMode::Database);

    Bytes text(path.begin(), path.end());
    text.push_back(0);
    text.push_back('!');
    EXPECT_TRUE(model->OpenFromOtherProgram(text));
    EXPECT_EQ(model->Mode(), BrowserMode::SingleFastfile);
    EXPECT_STREQ(Lib().FFLGetPath(model->OpenArchive()), path.c_str());

    // A database named here is tried as a Fastfile, fails, and the default database opens.
    const std::string database = Fastfile("ffinfo.txt");
    EXPECT_TRUE(model->OpenFromOtherProgram(Bytes(database.begin(), database.end())));
    EXPECT_EQ(model->Mode(), BrowserMode::Database);
}

}  // namespace
}  // namespace texbench
