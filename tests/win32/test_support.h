// What the Windows library tests share: the libraries bound through their records, a
// temporary directory, hand-made file bytes and the game's registry entry.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "packlib/packlib.h"
#include "patchlib/patchlib.h"
#include "tests/win32/win32_test.h"

namespace win32_test {

using Bytes = std::vector<unsigned char>;

// One library loaded by name and bound through its init export, unloaded at the end, so that
// the next load runs its process attach again.
template <typename Record>
class Bound {
  public:
    Bound(const char* file, const char* init) : module_(LoadLibraryA(file)) {
        record_ = Record{};
        record_.dwSize = sizeof(Record);
        using Init = bool(__stdcall*)(Record*);
        auto function =
            module_ != nullptr
                ? reinterpret_cast<Init>(reinterpret_cast<void*>(GetProcAddress(module_, init)))
                : nullptr;
        bound_ = function != nullptr && function(&record_);
    }
    ~Bound() {
        if (module_ != nullptr) {
            FreeLibrary(module_);
        }
    }
    Bound(const Bound&) = delete;
    Bound& operator=(const Bound&) = delete;

    bool IsBound() const { return bound_; }
    const Record* operator->() const { return &record_; }

  private:
    HMODULE module_;
    Record record_{};
    bool bound_ = false;
};

struct PackLib : Bound<PACKLIBEXPORT> {
    PackLib() : Bound("PackLib.dll", "PackLibInit") {}
};
struct PatchLib : Bound<PATCHLIBEXPORT> {
    PatchLib() : Bound("PatchLib.dll", "PatchLibInit") {}
};

// A fresh directory in the temporary folder, removed with its files (no subfolders).
class TempDir {
  public:
    TempDir() {
        char base[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, base);
        for (unsigned attempt = 0; attempt < 1000; ++attempt) {
            const std::string candidate = std::string(base) + "qmtest" +
                                          std::to_string(GetCurrentProcessId()) + "_" +
                                          std::to_string(attempt);
            if (CreateDirectoryA(candidate.c_str(), nullptr)) {
                path_ = candidate;
                break;
            }
        }
    }
    ~TempDir() {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((path_ + "\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                const std::string file = File(found.cFileName);
                SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(file.c_str());
            } while (FindNextFileA(search, &found));
            FindClose(search);
        }
        RemoveDirectoryA(path_.c_str());
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string File(const std::string& name) const { return path_ + "\\" + name; }
    const std::string& Path() const { return path_; }

  private:
    std::string path_;
};

inline void WriteFile(const std::string& path, const Bytes& bytes) {
    if (std::FILE* file = std::fopen(path.c_str(), "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }
}

inline Bytes ReadFile(const std::string& path) {
    Bytes bytes;
    if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
        unsigned char chunk[4096];
        for (std::size_t n; (n = std::fread(chunk, 1, sizeof(chunk), file)) > 0;) {
            bytes.insert(bytes.end(), chunk, chunk + n);
        }
        std::fclose(file);
    }
    return bytes;
}

inline void PutU32(Bytes& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<unsigned char>(value >> shift));
    }
}

inline void PutText(Bytes& out, const std::string& text) {
    out.insert(out.end(), text.begin(), text.end());
}

inline Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) {
        out.insert(out.end(), part.begin(), part.end());
    }
    return out;
}

// Fastfile pieces: the "RFFL" header and one directory entry (path padded to four bytes).
inline Bytes FastfileHeader(std::uint32_t count, std::uint32_t directorySize,
                            std::uint32_t dataSize) {
    Bytes out;
    PutText(out, "RFFL");
    PutU32(out, 0);
    PutU32(out, count);
    PutU32(out, directorySize);
    PutU32(out, dataSize);
    return out;
}

inline Bytes FastfileEntry(std::uint32_t offset, std::uint32_t length, const std::string& path) {
    Bytes out;
    PutU32(out, offset);
    PutU32(out, length);
    PutText(out, path);
    out.insert(out.end(), (path.size() + 4) / 4 * 4 - path.size(), 0);
    return out;
}

// Patch pieces: a chunk (tag, size, content, pad byte) and a container of chunks.
inline Bytes Chunk(const char* tag, const std::string& content) {
    Bytes out(tag, tag + 4);
    PutU32(out, static_cast<std::uint32_t>(content.size()));
    PutText(out, content);
    if (content.size() % 2 != 0) {
        out.push_back(0);
    }
    return out;
}

inline Bytes Container(const char* tag, const std::vector<Bytes>& chunks) {
    Bytes content;
    PutText(content, "KDZ1");
    for (const Bytes& chunk : chunks) {
        content.insert(content.end(), chunk.begin(), chunk.end());
    }
    Bytes out(tag, tag + 4);
    PutU32(out, static_cast<std::uint32_t>(content.size()));
    return Concat({out, content});
}

inline Bytes PatchFile(const std::vector<Bytes>& chunks) {
    return Container("QMRK", {Container("LIST", chunks)});
}

// The game's registry entry, in the system registry; nothing when `path` is null.
inline constexpr const char* kGameKey = "Software\\Fox Interactive\\Aliens versus Predator";

inline bool SetGamePath(const char* path) {
    if (path == nullptr) {
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kGameKey);
        return true;
    }
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kGameKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const bool ok =
        RegSetValueExA(key, "Path", 0, REG_SZ, reinterpret_cast<const BYTE*>(path),
                       static_cast<DWORD>(std::string(path).size() + 1)) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}

}  // namespace win32_test
