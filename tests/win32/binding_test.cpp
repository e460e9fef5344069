// Binding PackLib.dll and PatchLib.dll as the game's other tools do: by file name through
// LoadLibraryA, "PackLibInit"/"PatchLibInit" through GetProcAddress, a record of the 32-bit
// size. Also the ordinal tables and the version resources, as the loader sees them.
#include <cstring>
#include <string>
#include <vector>

#include "packlib/packlib.h"
#include "patchlib/patchlib.h"
#include "tests/win32/win32_test.h"

namespace {

static_assert(sizeof(void*) == 4, "the 32-bit build");
static_assert(sizeof(PACKLIBEXPORT) == 172, "two words and 41 pointers");
static_assert(sizeof(PATCHLIBEXPORT) == 88, "two words and 20 pointers");

// The slot names in record order; what the libraries fill them with is checked against
// GetProcAddress of each name, so a name table kept in a library cannot be checked against
// itself.
const std::vector<std::string> kPackLibSlots = {
    "GetFastfilePath",    "DoReadOnlyCheck",   "FFLCreateDatabase", "FFLOpenDatabase",
    "FFLSaveDatabase",    "FFLCloseDatabase",  "FFLGetDbItemCount", "FFLGetDbPath",
    "FFLSetDbPath",       "FFLGetFirstDbItem", "FFLGetNextDbItem",  "FFLGetDbItemPath",
    "FFLGetDbItemFile",   "FFLSetDbItemPath",  "FFLSetDbItemFile",  "FFLAddDbItem",
    "FFLDeleteDbItem",    "FFLFindDbItem",     "FFLCreateArchive",  "FFLOpenArchive",
    "FFLParseArchive",    "FFLSaveArchive",    "FFLCloseArchive",   "FFLGetItemCount",
    "FFLGetPath",         "FFLSetPath",        "FFLGetFirstItem",   "FFLGetNextItem",
    "FFLGetItemPath",     "FFLGetItemData",    "FFLSetItemPath",    "FFLSetItemData",
    "FFLAddItem",         "FFLDeleteItem",     "FFLFindItem",       "FFLGetBufferSize",
    "FFLSetBufferSize",   "FFLGetPBufferSize", "FFLSetPBufferSize", "FFLGetDbBufferSize",
    "FFLSetDbBufferSize",
};
const std::vector<std::string> kPatchLibSlots = {
    "KDZCreatePatch", "KDZOpenPatch",   "KDZSavePatch",    "KDZClosePatch",    "KDZGetItemCount",
    "KDZGetPath",     "KDZSetPath",     "KDZGetFirstItem", "KDZGetNextItem",   "KDZGetItemName",
    "KDZGetItemPath", "KDZGetItemData", "KDZSetItemName",  "KDZSetItemPath",   "KDZSetItemData",
    "KDZAddItem",     "KDZDeleteItem",  "KDZFindItem",     "KDZGetBufferSize", "KDZSetBufferSize",
};

// The export tables: one name per ordinal, "" for a position left empty.
std::vector<std::string> PackLibOrdinals() {
    std::vector<std::string> table = {"PackLibInit", "GetFastfilePath", "DoReadOnlyCheck"};
    table.resize(9);
    for (const char* name : {"FFLGetBufferSize", "FFLSetBufferSize", "FFLGetPBufferSize",
                             "FFLSetPBufferSize", "FFLGetDbBufferSize", "FFLSetDbBufferSize"}) {
        table.push_back(name);
    }
    table.resize(19);
    for (std::size_t slot = 2; slot < 18; ++slot) {  // the database functions, slots 3 to 18
        table.push_back(kPackLibSlots[slot]);
    }
    table.resize(39);
    for (std::size_t slot = 18; slot < 35; ++slot) {  // the archive functions, slots 19 to 35
        table.push_back(kPackLibSlots[slot]);
    }
    return table;
}

std::vector<std::string> PatchLibOrdinals() {
    std::vector<std::string> table = {"PatchLibInit", "KDZGetBufferSize", "KDZSetBufferSize"};
    table.resize(9);
    for (std::size_t slot = 0; slot < 18; ++slot) {
        table.push_back(kPatchLibSlots[slot]);
    }
    return table;
}

class Module {
  public:
    explicit Module(const char* name) : module_(LoadLibraryA(name)) {}
    ~Module() {
        if (module_ != nullptr) {
            FreeLibrary(module_);
        }
    }
    Module(const Module&) = delete;
    Module& operator=(const Module&) = delete;
    HMODULE Handle() const { return module_; }
    void* Export(const char* name) const {
        return reinterpret_cast<void*>(GetProcAddress(module_, name));
    }
    void* Export(WORD ordinal) const {
        return reinterpret_cast<void*>(GetProcAddress(module_, MAKEINTRESOURCEA(ordinal)));
    }

  private:
    HMODULE module_;
};

template <typename Record>
void* const* Slots(const Record& record) {
    return reinterpret_cast<void* const*>(reinterpret_cast<const char*>(&record) + 8);
}

struct Library {
    const char* file;
    const char* init;
    std::uint32_t size;
    std::uint32_t version;
    const std::vector<std::string>* slots;
    std::vector<std::string> ordinals;
    const char* refusal;
};

const std::vector<Library>& Libraries() {
    static const std::vector<Library> libraries = {
        {"PackLib.dll", "PackLibInit", 172, 0x01040000, &kPackLibSlots, PackLibOrdinals(),
         "ERROR: Invalid parameter in PackLib.dll: PackLibInit(...)\n"
         "please pass a valid pointer to a an existing PACKLIBEXPORT structure\n"
         "which has been properly initialized. (dwSize = sizeof(PACKLIBEXPORT))\n"},
        {"PatchLib.dll", "PatchLibInit", 88, 0x01000000, &kPatchLibSlots, PatchLibOrdinals(),
         "ERROR: Invalid parameter in PatchLib.dll: PatchLibInit(...)\n"
         "please pass a valid pointer to a an existing PATCHLIBEXPORT structure\n"
         "which has been properly initialized. (dwSize = sizeof(PATCHLIBEXPORT))\n"},
    };
    return libraries;
}

using Init = bool(__stdcall*)(void* record);

// Big enough for either record and a guard beyond it.
struct RecordBuffer {
    unsigned char bytes[256];
};

TEST_CASE("every slot of a correctly sized record is the export of its name, in order") {
    for (const Library& library : Libraries()) {
        Module module(library.file);
        REQUIRE(module.Handle() != nullptr);
        auto init = reinterpret_cast<Init>(module.Export(library.init));
        REQUIRE(init != nullptr);
        RecordBuffer buffer;
        std::memset(buffer.bytes, 0, sizeof(buffer.bytes));
        std::memset(buffer.bytes + library.size, 0xCD, sizeof(buffer.bytes) - library.size);
        std::memcpy(buffer.bytes, &library.size, 4);
        win32_test::DebugOutputCapture capture;
        CHECK(init(buffer.bytes));
        CHECK_EQ(capture.Text(), std::string());
        std::uint32_t version = 0;
        std::memcpy(&version, buffer.bytes + 4, 4);
        CHECK_EQ(version, library.version);
        CHECK_EQ(8 + 4 * library.slots->size(), library.size);
        for (std::size_t i = 0; i < library.slots->size(); ++i) {
            void* slot = nullptr;
            std::memcpy(&slot, buffer.bytes + 8 + 4 * i, 4);
            void* expected = module.Export((*library.slots)[i].c_str());
            CHECK(expected != nullptr);
            if (slot != expected) {
                win32_test::Fail(__FILE__, __LINE__,
                                 std::string(library.file) + " slot " + std::to_string(i + 1) +
                                     " is not " + (*library.slots)[i]);
            }
        }
        // Nothing is written past the record.
        for (std::size_t i = library.size; i < sizeof(buffer.bytes); ++i) {
            CHECK_EQ(static_cast<int>(buffer.bytes[i]), 0xCD);
        }
        // A second call refills the record with the same values.
        RecordBuffer again = buffer;
        std::memset(again.bytes + 4, 0, library.size - 4);
        CHECK(init(again.bytes));
        CHECK(std::memcmp(again.bytes, buffer.bytes, library.size) == 0);
    }
}

TEST_CASE("a wrong dwSize or no record is refused on the debug output, record untouched") {
    for (const Library& library : Libraries()) {
        Module module(library.file);
        REQUIRE(module.Handle() != nullptr);
        auto init = reinterpret_cast<Init>(module.Export(library.init));
        REQUIRE(init != nullptr);
        for (std::uint32_t size : {0u, library.size - 1, library.size + 1, 2 * library.size}) {
            RecordBuffer buffer;
            std::memset(buffer.bytes, 0xAB, sizeof(buffer.bytes));
            std::memcpy(buffer.bytes, &size, 4);
            const RecordBuffer before = buffer;
            win32_test::DebugOutputCapture capture;
            CHECK(!init(buffer.bytes));
            CHECK_EQ(capture.Text(), std::string(library.refusal));
            CHECK(std::memcmp(buffer.bytes, before.bytes, sizeof(buffer.bytes)) == 0);
        }
        win32_test::DebugOutputCapture capture;
        CHECK(!init(nullptr));
        CHECK_EQ(capture.Text(), std::string(library.refusal));
    }
}

TEST_CASE("the ordinal tables: every position holds its name, the empty ones nothing") {
    for (const Library& library : Libraries()) {
        Module module(library.file);
        REQUIRE(module.Handle() != nullptr);
        for (std::size_t i = 0; i < library.ordinals.size(); ++i) {
            const WORD ordinal = static_cast<WORD>(i + 1);
            const std::string& name = library.ordinals[i];
            void* byOrdinal = module.Export(ordinal);
            if (name.empty()) {
                if (byOrdinal != nullptr) {
                    win32_test::Fail(__FILE__, __LINE__,
                                     std::string(library.file) + " ordinal " +
                                         std::to_string(ordinal) + " should be empty");
                }
            } else if (byOrdinal == nullptr || byOrdinal != module.Export(name.c_str())) {
                win32_test::Fail(__FILE__, __LINE__,
                                 std::string(library.file) + " ordinal " + std::to_string(ordinal) +
                                     " is not " + name);
            }
        }
        const WORD pastTheEnd = static_cast<WORD>(library.ordinals.size() + 1);
        CHECK(module.Export(pastTheEnd) == nullptr);
    }
}

TEST_CASE("the version resources match dwVersion") {
    struct Expected {
        const char* file;
        DWORD versionMs;
        DWORD versionLs;
    };
    for (const Expected& expected :
         {Expected{"PackLib.dll", 0x00010004, 0}, Expected{"PatchLib.dll", 0x00010000, 0}}) {
        Module module(expected.file);
        REQUIRE(module.Handle() != nullptr);
        char path[MAX_PATH] = {};
        REQUIRE(GetModuleFileNameA(module.Handle(), path, MAX_PATH) != 0);
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeA(path, &ignored);
        REQUIRE(size != 0);
        std::vector<char> info(size);
        REQUIRE(GetFileVersionInfoA(path, 0, size, info.data()));
        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT length = 0;
        REQUIRE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
        CHECK_EQ(fixed->dwSignature, static_cast<DWORD>(0xFEEF04BD));
        CHECK_EQ(fixed->dwFileVersionMS, expected.versionMs);
        CHECK_EQ(fixed->dwFileVersionLS, expected.versionLs);
        CHECK_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DLL));
        char* text = nullptr;
        REQUIRE(VerQueryValueA(info.data(), "\\StringFileInfo\\040904E4\\OriginalFilename",
                               reinterpret_cast<void**>(&text), &length));
        CHECK_EQ(std::string(text), std::string(expected.file));
    }
}

TEST_CASE("PackLib's string table holds the read-only check's texts") {
    Module module("PackLib.dll");
    REQUIRE(module.Handle() != nullptr);
    const std::pair<UINT, std::string> strings[] = {
        {3,
         "One or more of your Fastfiles have the read-only attribute set. This can happen if "
         "you copy files manually from CD-Rom. Because read-only files cannot be modified it "
         "is recommended that you change the file(s) attributes. Do you want %s to do this for "
         "you now?"},
        {4, "ERROR: Failed to reset file attributes for one or more Fastfile(s)."},
        {57344, "AvP Fastfile API"},
    };
    for (const auto& [id, text] : strings) {
        char buffer[512] = {};
        const int length = LoadStringA(module.Handle(), id, buffer, sizeof(buffer));
        CHECK_EQ(std::string(buffer, length > 0 ? length : 0), text);
    }
}

TEST_CASE("the buffer sizes start at their defaults and keep to 4 to 65536 KB") {
    Module packLib("PackLib.dll");
    Module patchLib("PatchLib.dll");
    REQUIRE(packLib.Handle() != nullptr && patchLib.Handle() != nullptr);
    using Get = std::uint32_t(__stdcall*)();
    using Set = bool(__stdcall*)(std::uint32_t);
    struct Size {
        const Module* module;
        const char* get;
        const char* set;
        std::uint32_t defaultKBytes;
    };
    for (const Size& size : {Size{&packLib, "FFLGetBufferSize", "FFLSetBufferSize", 1024},
                             Size{&packLib, "FFLGetPBufferSize", "FFLSetPBufferSize", 16},
                             Size{&packLib, "FFLGetDbBufferSize", "FFLSetDbBufferSize", 16},
                             Size{&patchLib, "KDZGetBufferSize", "KDZSetBufferSize", 1024}}) {
        auto get = reinterpret_cast<Get>(size.module->Export(size.get));
        auto set = reinterpret_cast<Set>(size.module->Export(size.set));
        REQUIRE(get != nullptr && set != nullptr);
        CHECK_EQ(get(), size.defaultKBytes);
        CHECK(!set(3));
        CHECK(!set(65537));
        CHECK(!set(0xFFFFFFFFu));
        CHECK_EQ(get(), size.defaultKBytes);
        CHECK(set(4));
        CHECK_EQ(get(), 4u);
        CHECK(set(65536));
        CHECK_EQ(get(), 65536u);
        CHECK(set(size.defaultKBytes));
    }
}

}  // namespace

WIN32_TEST_MAIN()
