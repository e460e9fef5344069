// Binding PackLib as every program does: by name, through PackLibInit and its record.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "packlib/packlib.h"
#include "platform/debug_output.h"
#include "platform/dynamic_library.h"
#include "platform/library_binding.h"
#include "tests/support/export_record.h"

namespace {

constexpr std::size_t kSlots = 41;

const void* const* Slots(const PACKLIBEXPORT& record) {
    return reinterpret_cast<const void* const*>(reinterpret_cast<const char*>(&record) + 8);
}

// Every slot of the record in its order, each named like the export it must hold.
const qm_test::ExportSlot kSlotTable[] = {
    QM_EXPORT_SLOT(PACKLIBEXPORT, GetFastfilePath),
    QM_EXPORT_SLOT(PACKLIBEXPORT, DoReadOnlyCheck),
    QM_EXPORT_SLOT(PACKLIBEXPORT, FFLCreateDatabase),
    QM_EXPORT_SLOT(PACKLIBEXPORT, FFLOpenDatabase),
    QM_EXPORT_SLOT(PACKLIBEXPORT, FFLSaveDatabase),
    QM_EXPORT_SLOT(PACKLIBEXPORT, FFLCloseDatabase),
    QM_EXPORT_SLOT(PACKLIBEXPORT, FFLGetDbItemCount),
    QM_EXPORT_SLOT(PACKLIBEXPORT, FFLGetDbPath),
    QM_EXPORT_SLOT(PACKLIBEXPORT, FFLSetDbPath),
    QM_EXPORT_SLOT(PACKLIBEXPORT, FFLGetFirstDbItem),
    QM_EXPORT_SLOT(PACKLIBEXPORT, FFLGetNextDbItem),
    QM_EXPORT_SLOT(PACKLIBEXPORT, FFLGetDbItemPath),
    QM_EXPORT_SLOT(PACKLIBEXPORT, FFLGetDbItemFile),
    QM_EXPORT_SLOT(PACKLIBEXPORT, FFLSetDbItemPath),
    QM_EXPORT_SLOT(PACKLIBEXPORT, FFLSetDbItemFile),
    QM_EXPORT_SLOT(PACKLIBEXPORT, FFLAddDbItem),
    QM_EXPORT_SLOT(PACKLIBEXPORT, FFLDeleteDbItem),
    QM_EXPORT_SLOT(PACKLIBEXPORT, FFLFindDbItem),
    QM_EXPORT_SLOT(PACKLIBEXPORT, FFLCreateArchive),
    QM_EXPORT_SLOT(PACKLIBEXPORT, FFLOpenArchive),
    QM_EXPORT_SLOT(PACKLIBEXPORT, FFLParseArchive),
    QM_EXPORT_SLOT(PACKLIBEXPORT, FFLSaveArchive),
    QM_EXPORT_SLOT(PACKLIBEXPORT, FFLCloseArchive),
    QM_EXPORT_SLOT(PACKLIBEXPORT, FFLGetItemCount),
    QM_EXPORT_SLOT(PACKLIBEXPORT, FFLGetPath),
    QM_EXPORT_SLOT(PACKLIBEXPORT, FFLSetPath),
    QM_EXPORT_SLOT(PACKLIBEXPORT, FFLGetFirstItem),
    QM_EXPORT_SLOT(PACKLIBEXPORT, FFLGetNextItem),
    QM_EXPORT_SLOT(PACKLIBEXPORT, FFLGetItemPath),
    QM_EXPORT_SLOT(PACKLIBEXPORT, FFLGetItemData),
    QM_EXPORT_SLOT(PACKLIBEXPORT, FFLSetItemPath),
    QM_EXPORT_SLOT(PACKLIBEXPORT, FFLSetItemData),
    QM_EXPORT_SLOT(PACKLIBEXPORT, FFLAddItem),
    QM_EXPORT_SLOT(PACKLIBEXPORT, FFLDeleteItem),
    QM_EXPORT_SLOT(PACKLIBEXPORT, FFLFindItem),
    QM_EXPORT_SLOT(PACKLIBEXPORT, FFLGetBufferSize),
    QM_EXPORT_SLOT(PACKLIBEXPORT, FFLSetBufferSize),
    QM_EXPORT_SLOT(PACKLIBEXPORT, FFLGetPBufferSize),
    QM_EXPORT_SLOT(PACKLIBEXPORT, FFLSetPBufferSize),
    QM_EXPORT_SLOT(PACKLIBEXPORT, FFLGetDbBufferSize),
    QM_EXPORT_SLOT(PACKLIBEXPORT, FFLSetDbBufferSize),
};

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

TEST(PackLibBinding, EverySlotHoldsTheExportOfItsOwnName) {
    auto library = qm::DynamicLibrary::Load("PackLib.dll");
    ASSERT_NE(library, nullptr);
    auto init = reinterpret_cast<LPPACKLIBINIT>(library->Symbol("PackLibInit"));
    ASSERT_NE(init, nullptr);
    PACKLIBEXPORT record{};
    record.dwSize = sizeof(record);
    ASSERT_TRUE(init(&record));
    EXPECT_EQ(qm_test::SlotFaults(record, kSlotTable, *library), std::vector<std::string>{});

    // Two slots of the same type the wrong way round still call a function of the right
    // signature; only the comparison by name notices.
    PACKLIBEXPORT swapped = record;
    std::swap(swapped.FFLGetBufferSize, swapped.FFLGetPBufferSize);
    EXPECT_EQ(qm_test::SlotFaults(swapped, kSlotTable, *library),
              (std::vector<std::string>{"slot FFLGetBufferSize holds another function",
                                        "slot FFLGetPBufferSize holds another function"}));
    // A table that skips a slot is refused rather than leaving the slot unchecked.
    EXPECT_FALSE(qm_test::SlotFaults(record, std::span(kSlotTable).subspan(1), *library).empty());
}

}  // namespace
