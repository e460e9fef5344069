// The platform layer's Windows side: the system registry, SearchPathA and FindFirstFileA,
// file attributes, the debug output and loading libraries by name.
#include <algorithm>
#include <string>
#include <vector>

#include "platform/debug_output.h"
#include "platform/dynamic_library.h"
#include "platform/file_attributes.h"
#include "platform/file_search.h"
#include "platform/program_path.h"
#include "platform/registry.h"
#include "tests/win32/test_support.h"

namespace {

using namespace win32_test;
using qm::RegistryRoot;

constexpr const char* kTestKey = "Software\\Quillmark Test";

// The key and everything below it, gone before and after each case.
struct ScratchKey {
    ScratchKey() { Remove(); }
    ~ScratchKey() { Remove(); }
    static void Remove() {
        RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Quillmark Test\\Child\\Grandchild");
        RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Quillmark Test\\Child");
        RegDeleteKeyA(HKEY_CURRENT_USER, kTestKey);
    }
};

std::string RawValue(const char* key, const char* name, DWORD* type) {
    char buffer[256] = {};
    DWORD size = sizeof(buffer) - 1;
    if (RegGetValueA(HKEY_CURRENT_USER, key, name, RRF_RT_ANY, type, buffer, &size) !=
        ERROR_SUCCESS) {
        return "<none>";
    }
    return buffer;
}

TEST_CASE("registry values go to the system registry as strings and come back") {
    ScratchKey scratch;
    CHECK_EQ(qm::RegistryStorePath(), std::string());
    CHECK(!qm::RegistryGetString(RegistryRoot::CurrentUser, kTestKey, "Path").has_value());
    CHECK(qm::RegistrySetString(RegistryRoot::CurrentUser, kTestKey, "Path", "C:\\Games\\AvP"));
    CHECK(qm::RegistrySetString(RegistryRoot::CurrentUser, kTestKey, "", "default"));
    CHECK(qm::RegistrySetString(RegistryRoot::CurrentUser, "\\Software\\Quillmark Test\\", "Empty",
                                ""));
    DWORD type = 0;
    CHECK_EQ(RawValue(kTestKey, "Path", &type), std::string("C:\\Games\\AvP"));
    CHECK_EQ(type, static_cast<DWORD>(REG_SZ));
    CHECK_EQ(RawValue(kTestKey, nullptr, &type), std::string("default"));
    CHECK_EQ(qm::RegistryGetString(RegistryRoot::CurrentUser, kTestKey, "path").value_or("-"),
             std::string("C:\\Games\\AvP"));
    CHECK_EQ(qm::RegistryGetString(RegistryRoot::CurrentUser, kTestKey, "").value_or("-"),
             std::string("default"));
    CHECK_EQ(qm::RegistryGetString(RegistryRoot::CurrentUser, kTestKey, "Empty").value_or("-"),
             std::string());
    CHECK(qm::RegistrySetString(RegistryRoot::CurrentUser, kTestKey, "Path", "D:\\AvP"));
    CHECK_EQ(qm::RegistryGetString(RegistryRoot::CurrentUser, kTestKey, "Path").value_or("-"),
             std::string("D:\\AvP"));
    // In whatever order the registry keeps them.
    std::vector<std::string> values = qm::RegistryEnumValues(RegistryRoot::CurrentUser, kTestKey);
    std::sort(values.begin(), values.end());
    CHECK(values == (std::vector<std::string>{"", "Empty", "Path"}));
    CHECK(qm::RegistryDeleteValue(RegistryRoot::CurrentUser, kTestKey, "Path"));
    CHECK(!qm::RegistryDeleteValue(RegistryRoot::CurrentUser, kTestKey, "Path"));
    CHECK(!qm::RegistryGetString(RegistryRoot::CurrentUser, kTestKey, "Path").has_value());
}

TEST_CASE("a value written by another program is read whatever its type, up to its first zero") {
    ScratchKey scratch;
    HKEY key = nullptr;
    REQUIRE(RegCreateKeyExA(HKEY_CURRENT_USER, kTestKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                            &key, nullptr) == ERROR_SUCCESS);
    const char unterminated[] = {'a', 'b', 'c'};
    RegSetValueExA(key, "NoEnd", 0, REG_BINARY, reinterpret_cast<const BYTE*>(unterminated), 3);
    const char twoTexts[] = "first\0second";
    RegSetValueExA(key, "Multi", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(twoTexts),
                   sizeof(twoTexts));
    RegCloseKey(key);
    CHECK_EQ(qm::RegistryGetString(RegistryRoot::CurrentUser, kTestKey, "NoEnd").value_or("-"),
             std::string("abc"));
    CHECK_EQ(qm::RegistryGetString(RegistryRoot::CurrentUser, kTestKey, "Multi").value_or("-"),
             std::string("first"));
}

TEST_CASE("registry keys: created with parents, listed, deleted only without subkeys") {
    ScratchKey scratch;
    const std::string grandchild = std::string(kTestKey) + "\\Child\\Grandchild";
    CHECK(!qm::RegistryKeyExists(RegistryRoot::CurrentUser, kTestKey));
    CHECK(qm::RegistryCreateKey(RegistryRoot::CurrentUser, grandchild));
    CHECK(qm::RegistryKeyExists(RegistryRoot::CurrentUser, kTestKey));
    CHECK(qm::RegistryEnumSubkeys(RegistryRoot::CurrentUser, kTestKey) ==
          std::vector<std::string>{"Child"});
    CHECK(!qm::RegistryDeleteKey(RegistryRoot::CurrentUser, kTestKey));
    CHECK(qm::RegistryKeyExists(RegistryRoot::CurrentUser, grandchild));
    CHECK(qm::RegistryDeleteKey(RegistryRoot::CurrentUser, grandchild));
    CHECK(qm::RegistryDeleteKey(RegistryRoot::CurrentUser, std::string(kTestKey) + "\\Child"));
    CHECK(qm::RegistryDeleteKey(RegistryRoot::CurrentUser, kTestKey));
    CHECK(!qm::RegistryDeleteKey(RegistryRoot::CurrentUser, kTestKey));
    CHECK(!qm::RegistryDeleteKey(RegistryRoot::CurrentUser, ""));
    CHECK(qm::RegistryEnumSubkeys(RegistryRoot::CurrentUser, kTestKey).empty());
}

TEST_CASE("file search: any letter case, the default extension only for names without one") {
    TempDir dir;
    WriteFile(dir.File("Common.FFL"), Bytes{1});
    WriteFile(dir.File("ffinfo.txt"), Bytes{1});
    WriteFile(dir.File("notes"), Bytes{1});
    REQUIRE(CreateDirectoryA(dir.File("folder.ffl").c_str(), nullptr));
    struct Case {
        const char* name;
        const char* extension;
        bool found;
    };
    const Case cases[] = {
        {"common", ".FFL", true},   {"COMMON.ffl", ".FFL", true}, {"FFINFO.TXT", ".FFL", true},
        {"ffinfo", ".FFL", false},  {"notes", "", true},          {"folder", ".FFL", false},
        {"missing", ".FFL", false}, {"", ".FFL", false},
    };
    for (const Case& c : cases) {
        const auto found = qm::SearchFile(dir.Path(), c.name, c.extension);
        if (found.has_value() != c.found) {
            Fail(__FILE__, __LINE__, std::string("SearchFile ") + c.name);
        }
    }
    // An absolute name is looked for as it is.
    CHECK(qm::SearchFile("C:\\nowhere", dir.File("common"), ".FFL").has_value());
    CHECK(qm::FindFiles(dir.Path(), "*.ffl") == std::vector<std::string>{"Common.FFL"});
    CHECK(qm::FindFiles(dir.Path(), "*.none").empty());
    RemoveDirectoryA(dir.File("folder.ffl").c_str());
}

TEST_CASE("file attributes are the system's: read-only set and cleared, missing files") {
    TempDir dir;
    const std::string file = dir.File("game.ffl");
    WriteFile(file, Bytes{1});
    CHECK(qm::WriteFileAttributes(file, qm::kFileAttributeReadOnly));
    CHECK((qm::ReadFileAttributes(file) & qm::kFileAttributeReadOnly) != 0);
    CHECK((GetFileAttributesA(file.c_str()) & FILE_ATTRIBUTE_READONLY) != 0);
    CHECK(qm::WriteFileAttributes(file, qm::kFileAttributeArchive));
    CHECK((qm::ReadFileAttributes(file) & qm::kFileAttributeReadOnly) == 0);
    CHECK_EQ(qm::ReadFileAttributes(dir.File("missing")), qm::kInvalidFileAttributes);
    CHECK(!qm::WriteFileAttributes(dir.File("missing"), qm::kFileAttributeArchive));
}

TEST_CASE("diagnostics go to the system's debug output exactly as written") {
    DebugOutputCapture system;
    qm::DebugCapture own;
    qm::DebugOutput("WARNING: Test() one\n");
    qm::DebugOutput(" second line\n");
    CHECK_EQ(system.Text(), std::string("WARNING: Test() one\n second line\n"));
    CHECK_EQ(own.Text(), system.Text());
}

TEST_CASE("libraries load by their Windows names; a missing one says why") {
    std::string error;
    auto library = qm::DynamicLibrary::Load("PackLib.dll", &error);
    REQUIRE(library != nullptr);
    CHECK(library->Symbol("PackLibInit") != nullptr);
    CHECK(library->Symbol("NoSuchExport") == nullptr);
    CHECK_EQ(qm::PlatformLibraryFileName("PackLib.dll"), std::string("PackLib.dll"));
    CHECK(qm::DynamicLibrary::Load("NoSuchLibrary.dll", &error) == nullptr);
    CHECK(!error.empty());
    const std::string directory = qm::ProgramDirectory();
    CHECK(!directory.empty() && directory.back() == '\\');
    CHECK(qm::SearchFile(directory, "win32_platform_test.exe", "").has_value());
}

}  // namespace

WIN32_TEST_MAIN()
