#pragma once

#include <mutex>
#include <optional>
#include <unordered_map>
#include <unordered_set>

namespace qm {

// The set of record handles a library has issued and not yet released. The Windows
// libraries probe a handle's memory before using it; here a handle is valid exactly when it
// is in this set, so null, foreign and already-released handles are all refused the same way.
template <typename Record>
class LiveHandles {
  public:
    void Add(const Record* handle) {
        std::lock_guard lock(mutex_);
        handles_.insert(handle);
    }
    void Remove(const Record* handle) {
        std::lock_guard lock(mutex_);
        handles_.erase(handle);
    }
    bool Contains(const void* handle) const {
        if (handle == nullptr) {
            return false;
        }
        std::lock_guard lock(mutex_);
        return handles_.count(static_cast<const Record*>(handle)) != 0;
    }

  private:
    mutable std::mutex mutex_;
    std::unordered_set<const Record*> handles_;
};

// A value a library keeps beside each of its handles without widening the record that callers
// see (the record's layout is part of the interface): set while the handle lives, erased
// when it is released.
template <typename Record, typename Value>
class HandleValues {
  public:
    void Set(const Record* handle, Value value) {
        std::lock_guard lock(mutex_);
        values_.insert_or_assign(handle, std::move(value));
    }
    void Erase(const Record* handle) {
        std::lock_guard lock(mutex_);
        values_.erase(handle);
    }
    std::optional<Value> Get(const Record* handle) const {
        std::lock_guard lock(mutex_);
        const auto found = values_.find(handle);
        if (found == values_.end()) {
            return std::nullopt;
        }
        return found->second;
    }

  private:
    mutable std::mutex mutex_;
    std::unordered_map<const Record*, Value> values_;
};

}  // namespace qm
