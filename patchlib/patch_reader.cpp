// KDZOpenPatch: reads a whole patch file into a patch record.
//
// A patch comes from strangers, so every size field is weighed against what is left of the
// file before anything is allocated or read: a chunk that claims more than the file holds
// fails the open at once instead of asking for gigabytes.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "patchlib/library_state.h"
#include "patchlib/patch_records.h"
#include "patchlib/patchlib_exports.h"
#include "platform/byte_order.h"
#include "platform/debug_output.h"
#include "platform/file_identity.h"

#if defined(_WIN32)
#define fseeko _fseeki64
#define ftello _ftelli64
using FileOffset = __int64;
#else
using FileOffset = off_t;
#endif

namespace patchlib {
namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

struct ItemReleaser {
    void operator()(KDZITEM* item) const { FreeItem(item); }
};
using PendingItem = std::unique_ptr<KDZITEM, ItemReleaser>;

struct PatchReleaser {
    void operator()(KDZPATCH* patch) const { FreePatch(patch); }
};
using PatchHolder = std::unique_ptr<KDZPATCH, PatchReleaser>;

bool TagIs(const unsigned char* tag, const char* name) {
    return std::memcmp(tag, name, 4) == 0;
}

// The flat walk over the chunks of one file. Containers are not tracked: their sub-chunks
// are read as part of the same sequence, and an item is complete at its "DATA" chunk.
class PatchReader {
  public:
    PatchReader(std::FILE* file, std::uint64_t length, KDZPATCH* patch)
        : file_(file), length_(length), patch_(patch) {}

    bool Read();
    // Why the read failed, for the diagnostic's second line; null for a failed allocation.
    const char* Failure() const { return failure_; }

  private:
    enum class Step { kNext, kEnd, kFail };

    std::uint64_t Remaining() const { return length_ - position_; }
    bool Fail(const char* why) {
        failure_ = why;
        return false;
    }
    bool ReadBytes(void* target, std::uint64_t count);
    bool Skip(std::uint64_t count);
    bool SkipPad(std::uint32_t size);
    bool ReadHeader();
    Step ReadChunk();
    bool ReadContainer(const unsigned char* tag, std::uint32_t size);
    bool ReadText(char* field, std::uint32_t size);
    bool ReadName(std::uint32_t size);
    bool ReadPath(std::uint32_t size);
    bool ReadData(std::uint32_t size);
    char* TextField(const unsigned char* tag);

    std::FILE* file_;
    std::uint64_t length_;
    std::uint64_t position_ = 0;
    KDZPATCH* patch_;
    KDZITEM* tail_ = nullptr;
    PendingItem current_;
    const char* failure_ = nullptr;
};

constexpr const char* kCutOff =
    "ERROR: KDZOpenPatch() the file is cut off: a chunk claims more bytes than it holds\n";
constexpr const char* kReadError = "ERROR: KDZOpenPatch() the file could not be read\n";

bool PatchReader::ReadBytes(void* target, std::uint64_t count) {
    if (count > Remaining()) {
        return Fail(kCutOff);
    }
    if (count != 0 && std::fread(target, 1, count, file_) != count) {
        return Fail(kReadError);
    }
    position_ += count;
    return true;
}

// A skip must stay inside the file: a chunk cut off by the end of the file fails the read.
bool PatchReader::Skip(std::uint64_t count) {
    if (count > Remaining()) {
        return Fail(kCutOff);
    }
    if (count != 0 && fseeko(file_, static_cast<FileOffset>(position_ + count), SEEK_SET) != 0) {
        return Fail(kReadError);
    }
    position_ += count;
    return true;
}

// The pad byte after odd content; a file that ends right before it is still whole.
bool PatchReader::SkipPad(std::uint32_t size) {
    if ((size & 1) == 0 || Remaining() == 0) {
        return true;
    }
    return Skip(1);
}

bool PatchReader::ReadHeader() {
    unsigned char header[12];
    if (!ReadBytes(header, sizeof(header))) {
        return false;
    }
    if (!TagIs(header, "QMRK") || !TagIs(header + 8, "KDZ1")) {
        return Fail("ERROR: KDZOpenPatch() bad magic: the file is not a patch\n");
    }
    // The chunks are read up to the end of the file, but a file shorter than its outer chunk
    // was cut off (between items, say) and must not pass for a smaller patch. One byte short
    // is only the last pad byte, which SkipPad forgives too.
    return 8 + std::uint64_t{qm::GetU32LE(header + 4)} <= length_ + 1 || Fail(kCutOff);
}

bool PatchReader::Read() {
    if (!ReadHeader()) {
        return false;
    }
    for (;;) {
        switch (ReadChunk()) {
            case Step::kNext:
                break;
            case Step::kEnd:
                current_.reset();  // an item whose form ended without "DATA" is dropped
                return true;
            case Step::kFail:
                return false;
        }
    }
}

char* PatchReader::TextField(const unsigned char* tag) {
    if (TagIs(tag, "LABL"))
        return patch_->szTitle;
    if (TagIs(tag, "VERS"))
        return patch_->szVersion;
    if (TagIs(tag, "AUTH"))
        return patch_->szAuthor;
    if (TagIs(tag, "(C) "))
        return patch_->szCopyright;
    if (TagIs(tag, "ANNO"))
        return patch_->szDescription;
    return nullptr;
}

PatchReader::Step PatchReader::ReadChunk() {
    unsigned char header[8];
    if (Remaining() < sizeof(header)) {
        return Step::kEnd;
    }
    if (!ReadBytes(header, sizeof(header))) {
        return Step::kFail;
    }
    const std::uint32_t size = qm::GetU32LE(header + 4);
    if (size == 0) {
        Fail("ERROR: KDZOpenPatch() bad size: a chunk of size 0\n");
        return Step::kFail;
    }
    bool ok;
    if (TagIs(header, "LIST") || TagIs(header, "PROP") || TagIs(header, "FORM")) {
        return ReadContainer(header, size) ? Step::kNext : Step::kFail;
    } else if (char* field = TextField(header)) {
        ok = ReadText(field, size);
    } else if (TagIs(header, "NAME") && current_) {
        ok = ReadName(size);
    } else if (TagIs(header, "PATH") && current_) {
        ok = ReadPath(size);
    } else if (TagIs(header, "DATA") && current_) {
        ok = ReadData(size);
    } else {
        ok = Skip(size);
    }
    return ok && SkipPad(size) ? Step::kNext : Step::kFail;
}

bool PatchReader::ReadContainer(const unsigned char* tag, std::uint32_t size) {
    unsigned char type[4];
    if (size < sizeof(type)) {
        return Fail("ERROR: KDZOpenPatch() bad size: a container smaller than its type\n");
    }
    // A container that ends past the end of the file was cut off, even where the chunks read
    // so far are whole (a missing last pad byte aside).
    if (size > Remaining() + 1) {
        return Fail(kCutOff);
    }
    if (!ReadBytes(type, sizeof(type))) {
        return false;
    }
    if (!TagIs(type, "KDZ1")) {
        // A foreign container is passed over whole, its pad byte included.
        const std::uint64_t rest = size - sizeof(type);
        return Skip(rest) && SkipPad(size);
    }
    if (TagIs(tag, "FORM")) {
        current_.reset(NewItem());
        return current_ != nullptr;
    }
    return true;  // "LIST", "PROP": their sub-chunks follow in the same sequence
}

bool PatchReader::ReadText(char* field, std::uint32_t size) {
    if (field[0] != '\0') {
        return Skip(size);  // the first occurrence wins
    }
    if (size > KDZ_MAX_TEXT) {
        return Fail("ERROR: KDZOpenPatch() bad size: a text chunk of more than 256 bytes\n");
    }
    if (!ReadBytes(field, size)) {
        return false;
    }
    field[KDZ_MAX_TEXT - 1] = '\0';
    return true;
}

bool PatchReader::ReadName(std::uint32_t size) {
    if (size > KDZ_MAX_NAME) {
        return Fail("ERROR: KDZOpenPatch() bad size: a NAME chunk of more than 128 bytes\n");
    }
    std::memset(current_->szName, 0, sizeof(current_->szName));
    if (!ReadBytes(current_->szName, size)) {
        return false;
    }
    current_->szName[KDZ_MAX_NAME - 1] = '\0';
    return true;
}

bool PatchReader::ReadPath(std::uint32_t size) {
    if (size > Remaining()) {
        return Fail(kCutOff);
    }
    auto* list = static_cast<char*>(std::malloc(static_cast<std::size_t>(size) + 1));
    if (list == nullptr || !ReadBytes(list, size)) {
        std::free(list);
        return false;
    }
    list[size] = '\0';
    std::free(current_->lpszPath);
    current_->lpszPath = list;
    return true;
}

bool PatchReader::ReadData(std::uint32_t size) {
    if (size > Remaining()) {
        return Fail(kCutOff);
    }
    auto* data = static_cast<unsigned char*>(std::malloc(size));
    if (data == nullptr || !ReadBytes(data, size)) {
        std::free(data);
        return false;
    }
    std::free(current_->lpData);
    current_->lpData = data;
    current_->dwSize = size;
    // The item is complete: it joins the patch at the end, in file order.
    KDZITEM* item = current_.release();
    item->lpNext = nullptr;
    if (tail_ == nullptr) {
        patch_->lpFirst = item;
    } else {
        tail_->lpNext = item;
    }
    tail_ = item;
    ++patch_->dwCount;
    LiveItems().Add(item);
    return true;
}

// The file's length, measured before anything is read, bounds every size field.
bool FileLength(std::FILE* file, std::uint64_t* length) {
    if (fseeko(file, 0, SEEK_END) != 0) {
        return false;
    }
    const FileOffset end = ftello(file);
    if (end < 0 || fseeko(file, 0, SEEK_SET) != 0) {
        return false;
    }
    *length = static_cast<std::uint64_t>(end);
    return true;
}

}  // namespace
}  // namespace patchlib

extern "C" PATCHLIB_EXPORT KDZPATCH* KDZAPI KDZOpenPatch(const char* lpszFile) {
    using namespace patchlib;
    if (lpszFile == nullptr || lpszFile[0] == '\0') {
        return nullptr;
    }
    // The name becomes the patch's path, which a save writes back to: cut to fit its field
    // it would name another file.
    if (std::strlen(lpszFile) >= FFL_MAX_PATH) {
        qm::DebugOutput("WARNING: KDZOpenPatch() called with invalid parameter!\n");
        qm::DebugOutput(" required: lpszFile < MAX_PATH\n");
        errno = ENAMETOOLONG;
        return nullptr;
    }
    File file(std::fopen(lpszFile, "rb"));
    if (!file) {
        qm::DebugOutput("WARNING: KDZOpenPatch() failed to open Patch\n");
        return nullptr;
    }
    const auto state = qm::IdentityOf(file.get());
    std::setvbuf(file.get(), nullptr, _IOFBF, PatchBufferBytes());
    PatchHolder patch(NewPatch(lpszFile));
    std::uint64_t length = 0;
    if (!patch) {
        qm::DebugOutput("ERROR: KDZOpenPatch() failed to allocate memory!\n");
        return nullptr;
    }
    if (!FileLength(file.get(), &length)) {
        qm::DebugOutput("ERROR: KDZOpenPatch() failed to allocate memory!\n");
        qm::DebugOutput(kReadError);
        return nullptr;
    }
    PatchReader reader(file.get(), length, patch.get());
    if (!reader.Read()) {
        // The first line is the one callers know; the second says what was wrong with the file.
        qm::DebugOutput("ERROR: KDZOpenPatch() failed to allocate memory!\n");
        if (reader.Failure() != nullptr) {
            qm::DebugOutput(reader.Failure());
        }
        return nullptr;
    }
    if (state) {
        PatchFileStates().Set(patch.get(), *state);
    }
    return patch.release();
}
