#pragma once

#include <mutex>
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

}  // namespace qm
