#pragma once

#include <cstring>
#include <memory>
#include <string>

#include "platform/dynamic_library.h"

namespace qm {

// Binds one of the suite's libraries as every program does: load it by name, look up its
// initialisation export by name, zero the export record, set dwSize and let the library fill
// it. From then on the program calls the library through the record only. The library is
// unloaded when the binding ends.
template <typename ExportRecord>
class LibraryBinding {
  public:
    using InitFunction = bool (*)(ExportRecord*);

    // False, with *error saying why, when the library or its init export is missing or the
    // init call refuses the record.
    bool Bind(const char* libraryName, const char* initName, std::string* error = nullptr) {
        Unbind();
        std::string loadError;
        auto library = DynamicLibrary::Load(libraryName, &loadError);
        if (!library) {
            SetError(error, "cannot load " + std::string(libraryName) + ": " + loadError);
            return false;
        }
        auto init = reinterpret_cast<InitFunction>(library->Symbol(initName));
        if (init == nullptr) {
            SetError(error, std::string(libraryName) + " has no export " + initName);
            return false;
        }
        std::memset(&record_, 0, sizeof(record_));
        record_.dwSize = sizeof(record_);
        if (!init(&record_)) {
            SetError(error, std::string(initName) + " failed");
            std::memset(&record_, 0, sizeof(record_));
            return false;
        }
        library_ = std::move(library);
        return true;
    }

    void Unbind() {
        library_.reset();
        std::memset(&record_, 0, sizeof(record_));
    }

    bool IsBound() const { return library_ != nullptr; }
    const ExportRecord* operator->() const { return &record_; }
    const ExportRecord& Record() const { return record_; }
    const DynamicLibrary* Library() const { return library_.get(); }

  private:
    static void SetError(std::string* error, std::string text) {
        if (error != nullptr) {
            *error = std::move(text);
        }
    }

    std::unique_ptr<DynamicLibrary> library_;
    ExportRecord record_{};
};

}  // namespace qm
