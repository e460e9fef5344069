// Binding PatchLib by name through its init export, as the programs do.
#include <gtest/gtest.h>

#include <cstring>
#include <utility>
#include <vector>

#include "patchlib/patchlib.h"
#include "platform/debug_output.h"
#include "platform/library_binding.h"
#include "tests/support/export_record.h"

namespace {

// Every slot of the record in its order, each named like the export it must hold.
const qm_test::ExportSlot kSlotTable[] = {
    QM_EXPORT_SLOT(PATCHLIBEXPORT, KDZCreatePatch),
    QM_EXPORT_SLOT(PATCHLIBEXPORT, KDZOpenPatch),
    QM_EXPORT_SLOT(PATCHLIBEXPORT, KDZSavePatch),
    QM_EXPORT_SLOT(PATCHLIBEXPORT, KDZClosePatch),
    QM_EXPORT_SLOT(PATCHLIBEXPORT, KDZGetItemCount),
    QM_EXPORT_SLOT(PATCHLIBEXPORT, KDZGetPath),
    QM_EXPORT_SLOT(PATCHLIBEXPORT, KDZSetPath),
    QM_EXPORT_SLOT(PATCHLIBEXPORT, KDZGetFirstItem),
    QM_EXPORT_SLOT(PATCHLIBEXPORT, KDZGetNextItem),
    QM_EXPORT_SLOT(PATCHLIBEXPORT, KDZGetItemName),
    QM_EXPORT_SLOT(PATCHLIBEXPORT, KDZGetItemPath),
    QM_EXPORT_SLOT(PATCHLIBEXPORT, KDZGetItemData),
    QM_EXPORT_SLOT(PATCHLIBEXPORT, KDZSetItemName),
    QM_EXPORT_SLOT(PATCHLIBEXPORT, KDZSetItemPath),
    QM_EXPORT_SLOT(PATCHLIBEXPORT, KDZSetItemData),
    QM_EXPORT_SLOT(PATCHLIBEXPORT, KDZAddItem),
    QM_EXPORT_SLOT(PATCHLIBEXPORT, KDZDeleteItem),
    QM_EXPORT_SLOT(PATCHLIBEXPORT, KDZFindItem),
    QM_EXPORT_SLOT(PATCHLIBEXPORT, KDZGetBufferSize),
    QM_EXPORT_SLOT(PATCHLIBEXPORT, KDZSetBufferSize),
};

TEST(PatchLibBinding, BindsByNameAndFillsEverySlot) {
    qm::LibraryBinding<PATCHLIBEXPORT> binding;
    std::string error;
    ASSERT_TRUE(binding.Bind("PatchLib.dll", "PatchLibInit", &error)) << error;
    const PATCHLIBEXPORT& record = binding.Record();
    EXPECT_EQ(record.dwSize, sizeof(void*) == 8 ? 168u : 88u);
    EXPECT_EQ(record.dwVersion, 0x01000000u);
    void* slots[20];
    std::memcpy(slots, reinterpret_cast<const char*>(&record) + 8, sizeof(slots));
    for (void* slot : slots) {
        EXPECT_NE(slot, nullptr);
    }
    // Through the record: a patch made and read back.
    KDZPATCH* patch = record.KDZCreatePatch("x.kdz");
    ASSERT_NE(patch, nullptr);
    EXPECT_STREQ(record.KDZGetPath(patch), "x.kdz");
    EXPECT_EQ(record.KDZGetBufferSize(), 1024u);
    record.KDZClosePatch(patch);
}

TEST(PatchLibBinding, InitChecksTheRecordSize) {
    auto library = qm::DynamicLibrary::Load("PatchLib.dll");
    ASSERT_TRUE(library);
    auto init = reinterpret_cast<LPPATCHLIBINIT>(library->Symbol("PatchLibInit"));
    ASSERT_NE(init, nullptr);
    for (uint32_t size : {0u, static_cast<uint32_t>(sizeof(PATCHLIBEXPORT) - 1)}) {
        PATCHLIBEXPORT record;
        std::memset(&record, 0xAB, sizeof(record));
        record.dwSize = size;
        PATCHLIBEXPORT before = record;
        qm::DebugCapture capture;
        EXPECT_FALSE(init(&record));
        EXPECT_EQ(capture.Text(),
                  "ERROR: Invalid parameter in PatchLib.dll: PatchLibInit(...)\n"
                  "please pass a valid pointer to a an existing PATCHLIBEXPORT structure\n"
                  "which has been properly initialized. (dwSize = sizeof(PATCHLIBEXPORT))\n");
        EXPECT_EQ(std::memcmp(&record, &before, sizeof(record)), 0);
    }
    PATCHLIBEXPORT first{}, second{};
    first.dwSize = second.dwSize = sizeof(PATCHLIBEXPORT);
    EXPECT_TRUE(init(&first));
    EXPECT_TRUE(init(&second));
    EXPECT_EQ(std::memcmp(&first, &second, sizeof(first)), 0);
}

TEST(PatchLibBinding, EverySlotHoldsTheExportOfItsOwnName) {
    auto library = qm::DynamicLibrary::Load("PatchLib.dll");
    ASSERT_TRUE(library);
    auto init = reinterpret_cast<LPPATCHLIBINIT>(library->Symbol("PatchLibInit"));
    ASSERT_NE(init, nullptr);
    PATCHLIBEXPORT record{};
    record.dwSize = sizeof(record);
    ASSERT_TRUE(init(&record));
    EXPECT_EQ(qm_test::SlotFaults(record, kSlotTable, *library), std::vector<std::string>{});

    PATCHLIBEXPORT swapped = record;
    std::swap(swapped.KDZGetItemName, swapped.KDZGetItemPath);
    EXPECT_EQ(qm_test::SlotFaults(swapped, kSlotTable, *library),
              (std::vector<std::string>{"slot KDZGetItemName holds another function",
                                        "slot KDZGetItemPath holds another function"}));
}

}  // namespace
