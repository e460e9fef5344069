// The archives' private item indexes (see item_index.h).
#include "packlib/item_index.h"

#include <cstring>
#include <mutex>
#include <new>
#include <string>
#include <string_view>
#include <unordered_map>

#include "packlib/archive_records.h"
#include "platform/ascii.h"

namespace packlib {
namespace {

struct ItemIndex {
    const FFLITEM* first = nullptr;
    FFLITEM* last = nullptr;
    std::uint32_t count = 0;
    std::uint64_t pathGeneration = 0;
    // Folded key -> first item in list order with that path / that name part.
    std::unordered_map<std::string, FFLITEM*> byPath;
    std::unordered_map<std::string, FFLITEM*> byName;
};

std::mutex g_mutex;
std::uint64_t g_pathGeneration = 0;

std::unordered_map<const FFLARCHIVE*, ItemIndex>& Indexes() {
    static std::unordered_map<const FFLARCHIVE*, ItemIndex> indexes;
    return indexes;
}

const char* NamePart(const char* path) {
    const char* slash = std::strrchr(path, '\\');
    return slash != nullptr ? slash + 1 : path;
}

std::string Folded(std::string_view text) {
    std::string key(text);
    for (char& c : key) {
        c = qm::LowerAscii(c);
    }
    return key;
}

bool EqualIgnoringAsciiCase(const char* a, const char* b) {
    for (; *a != '\0' && *b != '\0'; ++a, ++b) {
        if (qm::LowerAscii(*a) != qm::LowerAscii(*b)) {
            return false;
        }
    }
    return *a == *b;
}

bool Matches(const FFLITEM* item, const char* name, bool nameOnly) {
    return EqualIgnoringAsciiCase(nameOnly ? NamePart(item->szPath) : item->szPath, name);
}

FFLITEM* FindByWalking(FFLITEM* from, const char* name, bool nameOnly) {
    for (FFLITEM* item = from; item != nullptr; item = item->lpNext) {
        if (Matches(item, name, nameOnly)) {
            return item;
        }
    }
    return nullptr;
}

// Keeps the earlier item of a key: entries are added in list order.
void AddKeys(ItemIndex& index, FFLITEM* item) {
    index.byPath.try_emplace(Folded(item->szPath), item);
    index.byName.try_emplace(Folded(NamePart(item->szPath)), item);
}

// Whether the index still describes the list: a caller may have relinked or recounted the
// records directly, and any rename makes the keys doubtful.
bool Describes(const ItemIndex& index, const FFLARCHIVE* archive) {
    if (index.first != archive->lpFirst || index.count != archive->dwCount ||
        index.pathGeneration != g_pathGeneration) {
        return false;
    }
    if (index.last == nullptr) {
        return archive->lpFirst == nullptr;
    }
    return IsLiveItem(index.last) && index.last->lpNext == nullptr;
}

// The archive's index, rebuilt from the list when it no longer describes it; null when memory
// runs out (the callers then walk the list).
ItemIndex* TrustedIndex(FFLARCHIVE* archive) {
    try {
        ItemIndex& index = Indexes()[archive];
        if (Describes(index, archive)) {
            return &index;
        }
        index = ItemIndex{};
        index.first = archive->lpFirst;
        index.count = archive->dwCount;
        index.pathGeneration = g_pathGeneration;
        for (FFLITEM* item = archive->lpFirst; item != nullptr; item = item->lpNext) {
            AddKeys(index, item);
            index.last = item;
        }
        return &index;
    } catch (const std::bad_alloc&) {
        Indexes().erase(archive);
        return nullptr;
    }
}

// After a removal from the index, the next item of the list that takes the key over.
void HandOver(std::unordered_map<std::string, FFLITEM*>& map, const std::string& key,
              const FFLITEM* removed, bool nameOnly) {
    const auto found = map.find(key);
    if (found == map.end() || found->second != removed) {
        return;
    }
    FFLITEM* next = FindByWalking(removed->lpNext, key.c_str(), nameOnly);
    if (next != nullptr) {
        found->second = next;
    } else {
        map.erase(found);
    }
}

}  // namespace

FFLITEM* LastItem(FFLARCHIVE* archive) {
    {
        std::lock_guard lock(g_mutex);
        if (const ItemIndex* index = TrustedIndex(archive)) {
            return index->last;
        }
    }
    FFLITEM* last = archive->lpFirst;
    while (last != nullptr && last->lpNext != nullptr) {
        last = last->lpNext;
    }
    return last;
}

void NoteAppended(FFLARCHIVE* archive, FFLITEM* item) {
    std::lock_guard lock(g_mutex);
    const auto found = Indexes().find(archive);
    if (found == Indexes().end()) {
        return;
    }
    ItemIndex& index = found->second;
    // Checked as it was before the append, so that only a step from a trusted state is taken.
    const bool wasTrusted =
        index.count + 1 == archive->dwCount && index.pathGeneration == g_pathGeneration &&
        (index.last == nullptr ? archive->lpFirst == item
                               : index.first == archive->lpFirst && index.last->lpNext == item);
    if (!wasTrusted) {
        Indexes().erase(found);
        return;
    }
    try {
        AddKeys(index, item);
    } catch (const std::bad_alloc&) {
        Indexes().erase(found);
        return;
    }
    index.first = archive->lpFirst;
    index.last = item;
    index.count = archive->dwCount;
}

void NoteRemoving(FFLARCHIVE* archive, FFLITEM* item, FFLITEM* previous) {
    std::lock_guard lock(g_mutex);
    const auto found = Indexes().find(archive);
    if (found == Indexes().end()) {
        return;
    }
    ItemIndex& index = found->second;
    if (!Describes(index, archive) || archive->dwCount == 0) {
        Indexes().erase(found);
        return;
    }
    try {
        HandOver(index.byPath, Folded(item->szPath), item, false);
        HandOver(index.byName, Folded(NamePart(item->szPath)), item, true);
    } catch (const std::bad_alloc&) {
        Indexes().erase(found);
        return;
    }
    if (index.first == item) {
        index.first = item->lpNext;
    }
    if (index.last == item) {
        index.last = previous;
    }
    --index.count;
}

void NotePathChanged() {
    std::lock_guard lock(g_mutex);
    ++g_pathGeneration;
}

void ForgetIndex(const FFLARCHIVE* archive) {
    std::lock_guard lock(g_mutex);
    Indexes().erase(archive);
}

FFLITEM* FindFirstItem(FFLARCHIVE* archive, const char* name, bool nameOnly) {
    {
        std::lock_guard lock(g_mutex);
        if (ItemIndex* index = TrustedIndex(archive)) {
            const auto& map = nameOnly ? index->byName : index->byPath;
            try {
                const auto found = map.find(Folded(name));
                if (found == map.end()) {
                    return nullptr;
                }
                // A path written into a record directly would go unseen; the walk below
                // answers then.
                if (Matches(found->second, name, nameOnly)) {
                    return found->second;
                }
                Indexes().erase(archive);
            } catch (const std::bad_alloc&) {
            }
        }
    }
    return FindByWalking(archive->lpFirst, name, nameOnly);
}

}  // namespace packlib
