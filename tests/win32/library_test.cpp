// PackLib.dll and PatchLib.dll through their records, on Windows: archives, the database and
// patches written byte for byte, files of hostile sizes, refused handles named on the debug
// output, and the game found through the system registry at process attach.
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tests/win32/test_support.h"

namespace {

using namespace win32_test;

std::vector<std::string> ItemPaths(const PackLib& lib, FFLARCHIVE* archive) {
    std::vector<std::string> paths;
    for (FFLITEM* item = lib->FFLGetFirstItem(archive); item != nullptr;
         item = lib->FFLGetNextItem(item)) {
        paths.push_back(lib->FFLGetItemPath(item));
    }
    return paths;
}

std::string ItemData(const PackLib& lib, FFLITEM* item) {
    uint32_t size = 0;
    const void* data = lib->FFLGetItemData(item, &size);
    return data != nullptr ? std::string(static_cast<const char*>(data), size) : std::string();
}

TEST_CASE("an archive is saved with data and paths padded to four bytes and reads back") {
    PackLib lib;
    REQUIRE(lib.IsBound());
    TempDir dir;
    FFLARCHIVE* archive = lib->FFLCreateArchive(nullptr);
    REQUIRE(archive != nullptr);
    CHECK(lib->FFLAddItem(archive, "abc", "1", 1) != nullptr);
    CHECK(lib->FFLAddItem(archive, "gfx\\abcd", "2222", 4) != nullptr);
    CHECK(lib->FFLAddItem(archive, "e", "33333", 5) != nullptr);
    const std::string path = dir.File("out.ffl");
    CHECK(lib->FFLSaveArchive(archive, path.c_str()));
    CHECK_EQ(std::string(lib->FFLGetPath(archive)), path);
    lib->FFLCloseArchive(archive);

    const Bytes directory = Concat(
        {FastfileEntry(0, 1, "abc"), FastfileEntry(4, 4, "gfx\\abcd"), FastfileEntry(8, 5, "e")});
    const Bytes data = {'1', 0, 0, 0, '2', '2', '2', '2', '3', '3', '3', '3', '3', 0, 0, 0};
    const Bytes expected =
        Concat({FastfileHeader(3, static_cast<uint32_t>(directory.size()), 16), directory, data});
    CHECK(ReadFile(path) == expected);

    for (auto open : {lib->FFLOpenArchive, lib->FFLParseArchive}) {
        FFLARCHIVE* reopened = open(path.c_str());
        REQUIRE(reopened != nullptr);
        CHECK(ItemPaths(lib, reopened) == (std::vector<std::string>{"abc", "gfx\\abcd", "e"}));
        CHECK_EQ(lib->FFLGetItemCount(reopened), 3u);
        lib->FFLCloseArchive(reopened);
    }
    FFLARCHIVE* reopened = lib->FFLOpenArchive(path.c_str());
    REQUIRE(reopened != nullptr);
    FFLITEM* found = lib->FFLFindItem(reopened, "ABCD", true);
    REQUIRE(found != nullptr);
    CHECK_EQ(ItemData(lib, found), std::string("2222"));
    CHECK(lib->FFLSetItemData(found, "xy", 2));
    lib->FFLDeleteItem(reopened, lib->FFLFindItem(reopened, "e", false));
    CHECK(lib->FFLSaveArchive(reopened, nullptr));
    lib->FFLCloseArchive(reopened);
    const Bytes edited =
        Concat({FastfileHeader(2, 32, 8), FastfileEntry(0, 1, "abc"),
                FastfileEntry(4, 2, "gfx\\abcd"), Bytes{'1', 0, 0, 0, 'x', 'y', 0, 0}});
    CHECK(ReadFile(path) == edited);
}

TEST_CASE(
    "hostile sizes in a Fastfile never crash, also where 32-bit sums wrap; what opens is whole") {
    PackLib lib;
    REQUIRE(lib.IsBound());
    TempDir dir;
    struct Case {
        const char* what;
        Bytes file;
    };
    const Case cases[] = {
        {"directory claims 4 GB", Concat({FastfileHeader(1, 0xFFFFFFF0u, 4), Bytes(80, 0)})},
        {"data claims 4 GB", Concat({FastfileHeader(1, 12, 0xFFFFFFF0u),
                                     FastfileEntry(0, 0xFFFFFF00u, "a"), Bytes(64, 0)})},
        {"offset plus length wraps",
         Concat(
             {FastfileHeader(1, 12, 16), FastfileEntry(0xFFFFFFF0u, 0x20, "a"), Bytes(16, 'x')})},
        {"length alone wraps the data end",
         Concat({FastfileHeader(1, 12, 16), FastfileEntry(8, 0xFFFFFFFCu, "a"), Bytes(16, 'x')})},
        {"count claims four billion items",
         Concat({FastfileHeader(0xFFFFFFFFu, 12, 4), FastfileEntry(0, 4, "a"), Bytes(4, 'x')})},
        {"half the address space", Concat({FastfileHeader(1, 0x7FFFFFF0u, 0x7FFFFFF0u),
                                           FastfileEntry(0, 4, "a"), Bytes(4, 'x')})},
    };
    for (const Case& c : cases) {
        const std::string path = dir.File("hostile.ffl");
        WriteFile(path, c.file);
        for (auto open : {lib->FFLOpenArchive, lib->FFLParseArchive}) {
            const bool parse = open == lib->FFLParseArchive;
            FFLARCHIVE* archive = open(path.c_str());
            if (archive != nullptr) {
                // Whatever is accepted must be whole: every item an open holds lies inside the
                // file. A parse keeps the listed lengths for listings but holds no data, so
                // nothing can be read past the file through it.
                CHECK_EQ(ItemPaths(lib, archive).size(),
                         static_cast<std::size_t>(lib->FFLGetItemCount(archive)));
                for (FFLITEM* item = lib->FFLGetFirstItem(archive); item != nullptr;
                     item = lib->FFLGetNextItem(item)) {
                    std::uint32_t size = 1;
                    const void* data = lib->FFLGetItemData(item, &size);
                    if (parse && (data != nullptr || size != 0)) {
                        Fail(__FILE__, __LINE__, std::string(c.what) + ": a parse holds data");
                    }
                    if (!parse && item->dwSize > c.file.size()) {
                        Fail(__FILE__, __LINE__, std::string(c.what) + ": item larger than file");
                    }
                }
                lib->FFLCloseArchive(archive);
            }
        }
    }
    // The library is still whole after all that.
    FFLARCHIVE* archive = lib->FFLCreateArchive("x");
    CHECK(lib->FFLAddItem(archive, "a", "b", 1) != nullptr);
    CHECK_EQ(lib->FFLGetItemCount(archive), 1u);
    lib->FFLCloseArchive(archive);
}

TEST_CASE("the database is saved as exact lines and found again") {
    PackLib lib;
    REQUIRE(lib.IsBound());
    TempDir dir;
    const std::string in = dir.File("in.txt");
    WriteFile(in, Bytes{'a', ';', 'x', '.', 'f', 'f', 'l', '\r', '\n', '\r', '\n', 'b', ';', '\n'});
    FFLDB* db = lib->FFLOpenDatabase(in.c_str());
    REQUIRE(db != nullptr);
    CHECK_EQ(lib->FFLGetDbItemCount(db), 2u);
    CHECK(lib->FFLAddDbItem(db, "textures\\menus", "menus.ffl") != nullptr);
    const std::string out = dir.File("ffinfo.txt");
    CHECK(lib->FFLSaveDatabase(db, out.c_str()));
    lib->FFLCloseDatabase(db);
    const std::string text = "a;x.ffl\nb;\ntextures\\menus;menus.ffl\n";
    CHECK(ReadFile(out) == Bytes(text.begin(), text.end()));

    db = lib->FFLOpenDatabase(out.c_str());
    REQUIRE(db != nullptr);
    FFLDBITEM* entry = lib->FFLFindDbItem(db, "textures\\menus\\title.rim", nullptr);
    REQUIRE(entry != nullptr);
    CHECK_EQ(std::string(lib->FFLGetDbItemFile(entry)), std::string("menus.ffl"));
    lib->FFLCloseDatabase(db);
}

TEST_CASE("a patch is written chunk by chunk and reads back; rewriting it is identical") {
    PatchLib lib;
    REQUIRE(lib.IsBound());
    TempDir dir;
    KDZPATCH* patch = lib->KDZCreatePatch(nullptr);
    REQUIRE(patch != nullptr);
    std::strcpy(patch->szTitle, "Demo");
    const std::string first = dir.File("title.kdz");
    CHECK(lib->KDZSavePatch(patch, first.c_str()));
    const Bytes titleOnly =
        PatchFile({Container("PROP", {Chunk("LABL", std::string("Demo\0", 5))})});
    CHECK_EQ(titleOnly.size(), 50u);
    CHECK(ReadFile(first) == titleOnly);

    KDZITEM* item = lib->KDZAddItem(patch, "odd", "abc", 3);
    REQUIRE(item != nullptr);
    CHECK(lib->KDZSetItemPath(item, "textures\\a.rim|textures\\b.rim"));
    CHECK(lib->KDZSavePatch(patch, nullptr));
    lib->KDZClosePatch(patch);

    patch = lib->KDZOpenPatch(first.c_str());
    REQUIRE(patch != nullptr);
    CHECK_EQ(std::string(patch->szTitle), std::string("Demo"));
    CHECK_EQ(lib->KDZGetItemCount(patch), 1u);
    KDZITEM* read = lib->KDZFindItem(patch, "textures\\b.rim", true);
    REQUIRE(read != nullptr);
    uint32_t size = 0;
    const void* data = lib->KDZGetItemData(read, &size);
    CHECK_EQ(std::string(static_cast<const char*>(data), size), std::string("abc"));
    const std::string second = dir.File("again.kdz");
    CHECK(lib->KDZSavePatch(patch, second.c_str()));
    lib->KDZClosePatch(patch);
    CHECK(ReadFile(first) == ReadFile(second));
}

TEST_CASE("hostile chunk sizes in a patch open as nothing, also where 32-bit sums wrap") {
    PatchLib lib;
    REQUIRE(lib.IsBound());
    TempDir dir;
    for (std::uint32_t claim : {0xFFFFFFFFu, 0xFFFFFFF8u, 0xFFFFFFF0u, 0x7FFFFFFFu, 0x10000000u}) {
        for (const char* tag : {"DATA", "PATH", "NAME"}) {
            Bytes file = PatchFile({Container("FORM", {Chunk("NAME", "n")})});
            file.insert(file.end(), tag, tag + 4);
            PutU32(file, claim);
            file.insert(file.end(), 40, 'x');
            const std::string path = dir.File("huge.kdz");
            WriteFile(path, file);
            KDZPATCH* patch = lib->KDZOpenPatch(path.c_str());
            if (patch != nullptr) {
                Fail(__FILE__, __LINE__,
                     std::string(tag) + " claiming " + std::to_string(claim) + " was accepted");
                lib->KDZClosePatch(patch);
            }
        }
    }
}

TEST_CASE("null, foreign and closed handles are refused and named on the debug output") {
    PackLib pack;
    PatchLib patch;
    REQUIRE(pack.IsBound() && patch.IsBound());
    FFLARCHIVE foreignArchive{};
    FFLITEM foreignItem{};
    FFLARCHIVE* closed = pack->FFLCreateArchive("gone");
    FFLITEM* closedItem = pack->FFLAddItem(closed, "i", "d", 1);
    pack->FFLCloseArchive(closed);
    KDZPATCH foreignPatch{};
    const std::pair<FFLARCHIVE*, FFLITEM*> handles[] = {
        {nullptr, nullptr}, {&foreignArchive, &foreignItem}, {closed, closedItem}};
    for (const auto& [archive, item] : handles) {
        DebugOutputCapture capture;
        CHECK_EQ(pack->FFLGetItemCount(archive), 0u);
        CHECK(pack->FFLGetFirstItem(archive) == nullptr);
        CHECK(pack->FFLGetItemData(item, nullptr) == nullptr);
        CHECK_EQ(capture.Text(), std::string());
        CHECK(pack->FFLAddItem(archive, "p", "d", 1) == nullptr);
        CHECK(!pack->FFLSetItemData(item, "d", 1));
        pack->FFLDeleteItem(archive, item);
        CHECK_EQ(capture.Text(),
                 std::string("WARNING: FFLAddItem() called with invalid parameter!\n"
                             "WARNING: FFLSetItemData() called with invalid "
                             "parameter!\n"
                             "WARNING: FFLDeleteItem() called with invalid "
                             "parameter!\n"));
    }
    DebugOutputCapture capture;
    CHECK(!patch->KDZSavePatch(&foreignPatch, "never.kdz"));
    CHECK(patch->KDZAddItem(nullptr, "x", "x", 1) == nullptr);
    CHECK_EQ(capture.Text(), std::string("ERROR: KDZSavePatch() called with invalid parameter!\n"
                                         "WARNING: KDZAddItem() called with invalid parameter!\n"));
}

TEST_CASE("GetFastfilePath reads the game's Path from the system registry each call") {
    PackLib lib;
    REQUIRE(lib.IsBound());
    struct Case {
        std::string path;
        bool found;
        std::string directory;
    };
    const std::string longest(248, 'p');
    const Case cases[] = {
        {"C:\\Games\\AvP", true, "C:\\Games\\AvP\\fastfile\\"},
        {"C:\\Games\\AvP\\", true, "C:\\Games\\AvP\\fastfile\\"},
        {"C:\\Games\\AvP/", true, "C:\\Games\\AvP/fastfile\\"},
        {longest, true, longest + "\\fastfile\\"},
        {longest + "p", false, ""},
        {"", false, ""},
    };
    for (const Case& c : cases) {
        REQUIRE(SetGamePath(c.path.c_str()));
        char buffer[FFL_MAX_PATH];
        std::memset(buffer, 'z', sizeof(buffer));
        CHECK_EQ(lib->GetFastfilePath(buffer), c.found);
        CHECK_EQ(std::string(buffer), c.directory);
    }
    SetGamePath(nullptr);
    char buffer[FFL_MAX_PATH];
    CHECK(!lib->GetFastfilePath(buffer));
    CHECK_EQ(std::string(buffer), std::string());
}

TEST_CASE("process attach: without the game a warning; with it, names resolve in its folder") {
    SetGamePath(nullptr);
    {
        DebugOutputCapture capture;
        PackLib lib;
        REQUIRE(lib.IsBound());
        CHECK_EQ(capture.Text(),
                 std::string("WARNING: PackLib.dll failed to initialize 'FastFile' Path!\n"));
        capture.Clear();
        CHECK(lib->DoReadOnlyCheck("Test"));
        CHECK_EQ(capture.Text(), std::string("WARNING: DoReadOnlyCheck() failed because the "
                                             "Fastfile path is not initialized\n"));
    }

    TempDir game;
    const std::string fastfiles = game.File("fastfile");
    REQUIRE(CreateDirectoryA(fastfiles.c_str(), nullptr));
    const Bytes one =
        Concat({FastfileHeader(1, 12, 4), FastfileEntry(0, 3, "a"), Bytes{'x', 'y', 'z', 0}});
    WriteFile(fastfiles + "\\MENUS.FFL", one);
    WriteFile(fastfiles + "\\ffinfo.txt", Bytes{'a', ';', 'm', 'e', 'n', 'u', 's', '\n'});
    REQUIRE(SetGamePath(game.Path().c_str()));
    {
        DebugOutputCapture capture;
        PackLib lib;
        REQUIRE(lib.IsBound());
        CHECK_EQ(capture.Text(), std::string());
        // A name without folder and extension is the game's Fastfile of that name.
        FFLARCHIVE* archive = lib->FFLOpenArchive("menus");
        REQUIRE(archive != nullptr);
        CHECK_EQ(lib->FFLGetItemCount(archive), 1u);
        lib->FFLCloseArchive(archive);
        // The default database is the game's.
        FFLDB* db = lib->FFLOpenDatabase(nullptr);
        REQUIRE(db != nullptr);
        CHECK_EQ(lib->FFLGetDbItemCount(db), 1u);
        lib->FFLCloseDatabase(db);
        // Nothing read-only: no question, go on.
        CHECK(lib->DoReadOnlyCheck(nullptr));
        CHECK_EQ(capture.Text(), std::string());
        // A read-only Fastfile is found and asked about. Without a desktop to show the
        // question on, nobody agreed: the careful answer (Cancel) ends the start, and the
        // file keeps its attribute.
        const std::string menus = fastfiles + "\\MENUS.FFL";
        REQUIRE(SetFileAttributesA(menus.c_str(), FILE_ATTRIBUTE_READONLY));
        if (std::getenv("QM_WIN32_NO_DESKTOP") != nullptr) {
            CHECK(!lib->DoReadOnlyCheck("Test"));
            CHECK((GetFileAttributesA(menus.c_str()) & FILE_ATTRIBUTE_READONLY) != 0);
        }
        REQUIRE(SetFileAttributesA(menus.c_str(), FILE_ATTRIBUTE_ARCHIVE));
        // The directory was fixed at attach: a later change of the entry is not seen.
        REQUIRE(SetGamePath("C:\\elsewhere"));
        archive = lib->FFLOpenArchive("menus");
        CHECK(archive != nullptr);
        lib->FFLCloseArchive(archive);
    }
    RemoveDirectoryA(fastfiles.c_str());
    SetGamePath(nullptr);
}

}  // namespace

WIN32_TEST_MAIN()
