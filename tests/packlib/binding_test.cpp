// Binding PackLib as every program does: by name, through PackLibInit and its record.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "packlib/packlib.h"
#include "platform/debug_output.h"
#include "platform/dynamic_library.h"
#include "platform/library_binding.h"

namespace {

constexpr std::size_t kSlots = 41;

const void* const* Slots(const PACKLIBEXPORT& record) {
    return reinterpret_cast<const void* const*>(reinterpret_cast<const char*>(&record) + 8);
}

TEST(PackLibBinding, FillsEverySlotOfACorrectlySizedRecord) {
    static_assert(sizeof(PACKLIBEXPORT) == 8 + 8 * kSlots, "two words and 41 pointers");
    qm::LibraryBinding<PACKLIBEXPORT> binding;
    std::string error;
    ASSERT_TRUE(binding.Bind("PackLib.dll", "PackLibInit", &error)) << error;
    EXPECT_EQ(binding->dwSize, 336u);
    EXPECT_EQ(binding->dwVersion, 0x01040000u);
    for (std::size_t i = 0; i < kSlots; ++i) {
        EXPECT_NE(Slots(binding.Record())[i], nullptr) << "slot " << i + 1;
    }
    // The slots reach the library's functions.
    EXPECT_EQ(binding->FFLGetBufferSize(), 1024u);
    EXPECT_EQ(binding->FFLGetPBufferSize(), 16u);
    EXPECT_EQ(binding->FFLGetDbBufferSize(), 16u);
    FFLARCHIVE* archive = binding->FFLCreateArchive("x");
    EXPECT_NE(binding->FFLAddItem(archive, "a", "b", 1), nullptr);
    EXPECT_EQ(binding->FFLGetItemCount(archive), 1u);
    binding->FFLCloseArchive(archive);
}

TEST(PackLibBinding, RefusesWrongRecordSizesWithoutTouchingTheRecord) {
    auto library = qm::DynamicLibrary::Load("PackLib.dll");
    ASSERT_NE(library, nullptr);
    auto init = reinterpret_cast<LPPACKLIBINIT>(library->Symbol("PackLibInit"));
    ASSERT_NE(init, nullptr);
    const std::string refusal =
        "ERROR: Invalid parameter in PackLib.dll: PackLibInit(...)\n"
        "please pass a valid pointer to a an existing PACKLIBEXPORT structure\n"
        "which has been properly initialized. (dwSize = sizeof(PACKLIBEXPORT))\n";
    for (uint32_t size : {0u, 335u, 337u}) {
        PACKLIBEXPORT record;
        std::memset(&record, 0xAB, sizeof(record));
        record.dwSize = size;
        PACKLIBEXPORT before = record;
        qm::DebugCapture capture;
        EXPECT_FALSE(init(&record)) << size;
        EXPECT_EQ(capture.Text(), refusal) << size;
        EXPECT_EQ(std::memcmp(&record, &before, sizeof(record)), 0) << size;
    }
    qm::DebugCapture capture;
    EXPECT_FALSE(init(nullptr));
    EXPECT_EQ(capture.Text(), refusal);
}

TEST(PackLibBinding, SecondInitGivesTheSameSlots) {
    auto library = qm::DynamicLibrary::Load("PackLib.dll");
    ASSERT_NE(library, nullptr);
    auto init = reinterpret_cast<LPPACKLIBINIT>(library->Symbol("PackLibInit"));
    PACKLIBEXPORT first{};
    first.dwSize = sizeof(first);
    PACKLIBEXPORT second = first;
    ASSERT_TRUE(init(&first));
    ASSERT_TRUE(init(&second));
    EXPECT_EQ(std::memcmp(&first, &second, sizeof(first)), 0);
}

}  // namespace
