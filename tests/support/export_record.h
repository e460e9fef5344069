// Checks a library's export record slot by slot against the library's own exports: every
// slot must hold the function exported under the slot's name. Comparing by name, in record
// order, catches two slots of the same type filled the wrong way round, which a null check
// or a call through one slot cannot.
#pragma once

#include <cstddef>
#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "platform/dynamic_library.h"

namespace qm_test {

struct ExportSlot {
    const char* name;    // the export's name, the same as the record's member
    std::size_t offset;  // where the member lies in the record
};

// One row of a slot table: the member's name as text and its offset.
#define QM_EXPORT_SLOT(Record, member)    \
    ::qm_test::ExportSlot {               \
#member, offsetof(Record, member) \
    }

// What is wrong with the record, one line per fault; empty when every slot is right. The
// table must list the record's members in order, one pointer after the other from behind
// the two 32-bit header words to the record's end, so that no slot goes unchecked.
template <typename Record>
std::vector<std::string> SlotFaults(const Record& record, std::span<const ExportSlot> table,
                                    const qm::DynamicLibrary& library) {
    std::vector<std::string> faults;
    std::size_t expected = 2 * sizeof(std::uint32_t);
    for (const ExportSlot& slot : table) {
        if (slot.offset != expected) {
            faults.push_back(std::string("table out of record order at ") + slot.name);
        }
        expected = slot.offset + sizeof(void*);
        void* filled = nullptr;
        std::memcpy(&filled, reinterpret_cast<const char*>(&record) + slot.offset, sizeof(filled));
        void* exported = library.Symbol(slot.name);
        if (exported == nullptr) {
            faults.push_back(std::string("no export named ") + slot.name);
        } else if (filled != exported) {
            faults.push_back(std::string("slot ") + slot.name + " holds another function");
        }
    }
    if (expected != sizeof(Record)) {
        faults.push_back("table ends before the record does");
    }
    return faults;
}

}  // namespace qm_test
