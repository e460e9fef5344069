// KDZSavePatch: writes a patch record as a chunk file.
//
// The file goes through an atomic replacement, so a save that fails half-way (full disk,
// lost device) leaves the previous file as it was, and a file that someone else saved since
// the patch was read is not overwritten.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>
#include <optional>
#include <string>

#include "patchlib/library_state.h"
#include "patchlib/patch_records.h"
#include "patchlib/patchlib_exports.h"
#include "platform/atomic_file.h"
#include "platform/debug_output.h"

namespace patchlib {
namespace {

struct TextChunk {
    const char* tag;
    const char* text;
    std::size_t length;  // without the terminator
};

// Every chunk takes 8 bytes of header, its content and a pad byte when the content is odd.
std::uint64_t ChunkBytes(std::uint64_t content) {
    return 8 + content + (content & 1);
}

bool IsWritten(const KDZITEM* item) {
    return item->lpszPath != nullptr && item->lpszPath[0] != '\0' && item->lpData != nullptr &&
           item->dwSize != 0;
}

std::size_t NameLength(const KDZITEM* item) {
    return strnlen(item->szName, KDZ_MAX_NAME - 1);
}

// Content size of an item form: its type and its chunks.
std::uint64_t FormContent(const KDZITEM* item) {
    const std::size_t name = NameLength(item);
    std::uint64_t content = 4;
    if (name != 0) {
        content += ChunkBytes(name + 1);
    }
    content += ChunkBytes(std::strlen(item->lpszPath) + 1);
    content += ChunkBytes(item->dwSize);
    return content;
}

class PatchWriter {
  public:
    PatchWriter(const KDZPATCH* patch, std::FILE* stream) : patch_(patch), stream_(stream) {
        const char* tags[] = {"LABL", "VERS", "AUTH", "(C) ", "ANNO"};
        const char* fields[] = {patch->szTitle, patch->szVersion, patch->szAuthor,
                                patch->szCopyright, patch->szDescription};
        for (int i = 0; i < 5; ++i) {
            // A caller may have filled a field to the last byte; never read past it.
            const std::size_t length = strnlen(fields[i], KDZ_MAX_TEXT - 1);
            if (length != 0) {
                texts_[textCount_++] = {tags[i], fields[i], length};
            }
        }
    }

    // False when a size does not fit its 32-bit field.
    bool ComputeSizes();
    bool Write();

  private:
    bool Good() const { return std::ferror(stream_) == 0; }
    void Put(const void* bytes, std::size_t count) { std::fwrite(bytes, 1, count, stream_); }
    void PutTag(const char* tag) { Put(tag, 4); }
    void PutSize(std::uint64_t size);
    void PutChunk(const char* tag, const void* content, std::uint64_t size, bool terminated);
    bool WriteForm(const KDZITEM* item);

    const KDZPATCH* patch_;
    std::FILE* stream_;
    TextChunk texts_[5] = {};
    int textCount_ = 0;
    std::uint64_t propContent_ = 0;  // 0 when no property chunk is written
    std::uint64_t listContent_ = 4;
};

bool PatchWriter::ComputeSizes() {
    constexpr std::uint64_t kLimit = std::numeric_limits<std::uint32_t>::max();
    if (textCount_ != 0) {
        propContent_ = 4;
        for (int i = 0; i < textCount_; ++i) {
            propContent_ += ChunkBytes(texts_[i].length + 1);
        }
        listContent_ += 8 + propContent_;
    }
    for (const KDZITEM* item = patch_->lpFirst; item != nullptr; item = item->lpNext) {
        if (!IsWritten(item)) {
            continue;
        }
        const std::uint64_t form = FormContent(item);
        listContent_ += 8 + form;
        // The file's outer size is the largest field: 12 more than the "LIST" size.
        if (form > kLimit || listContent_ + 12 > kLimit) {
            return false;
        }
    }
    return true;
}

void PatchWriter::PutSize(std::uint64_t size) {
    const unsigned char bytes[4] = {
        static_cast<unsigned char>(size), static_cast<unsigned char>(size >> 8),
        static_cast<unsigned char>(size >> 16), static_cast<unsigned char>(size >> 24)};
    Put(bytes, sizeof(bytes));
}

// Texts carry their terminator inside the chunk; odd content is followed by a zero pad byte.
void PatchWriter::PutChunk(const char* tag, const void* content, std::uint64_t size,
                           bool terminated) {
    PutTag(tag);
    PutSize(size);
    if (terminated) {
        Put(content, size - 1);
        std::fputc(0, stream_);
    } else {
        Put(content, size);
    }
    if (size & 1) {
        std::fputc(0, stream_);
    }
}

bool PatchWriter::WriteForm(const KDZITEM* item) {
    PutTag("FORM");
    PutSize(FormContent(item));
    PutTag("KDZ1");
    if (!Good()) {
        return false;
    }
    if (const std::size_t name = NameLength(item); name != 0) {
        PutChunk("NAME", item->szName, name + 1, true);
        if (!Good())
            return false;
    }
    PutChunk("PATH", item->lpszPath, std::strlen(item->lpszPath) + 1, true);
    if (!Good())
        return false;
    PutChunk("DATA", item->lpData, item->dwSize, false);
    return Good();
}

bool PatchWriter::Write() {
    PutTag("QMRK");
    PutSize(listContent_ + 12);
    PutTag("KDZ1");
    PutTag("LIST");
    PutSize(listContent_);
    PutTag("KDZ1");
    if (!Good()) {
        return false;
    }
    if (textCount_ != 0) {
        PutTag("PROP");
        PutSize(propContent_);
        PutTag("KDZ1");
        if (!Good())
            return false;
        for (int i = 0; i < textCount_; ++i) {
            PutChunk(texts_[i].tag, texts_[i].text, texts_[i].length + 1, true);
            if (!Good())
                return false;
        }
    }
    for (const KDZITEM* item = patch_->lpFirst; item != nullptr; item = item->lpNext) {
        if (IsWritten(item) && !WriteForm(item)) {
            return false;
        }
    }
    return true;
}

// The second line of a failed save's diagnostic, naming the cause when one is known.
void ReportCause(int error) {
    if (error == qm::kErrorChangedOnDisk) {
        qm::DebugOutput(" the file changed on disk since it was read\n");
    }
}

// Of the file the patch was read from: the state it had then, when the save goes back to it
// (by the patch's own path or by another name of the same file).
std::optional<qm::FileIdentity> StateToKeep(const KDZPATCH* patch, const std::string& target) {
    const auto read = PatchFileStates().Get(patch);
    if (!read) {
        return std::nullopt;
    }
    if (target == patch->szPath) {
        return read;
    }
    const auto now = qm::IdentityOf(target);
    return now && now->SameFile(*read) ? read : std::nullopt;
}

bool IsEmpty(const KDZPATCH* patch) {
    return patch->lpFirst == nullptr && patch->szTitle[0] == '\0' && patch->szVersion[0] == '\0' &&
           patch->szAuthor[0] == '\0' && patch->szCopyright[0] == '\0' &&
           patch->szDescription[0] == '\0';
}

}  // namespace
}  // namespace patchlib

extern "C" PATCHLIB_EXPORT bool KDZAPI KDZSavePatch(KDZPATCH* lpPatch, const char* lpszFile) {
    using namespace patchlib;
    if (!LivePatches().Contains(lpPatch)) {
        qm::DebugOutput("ERROR: KDZSavePatch() called with invalid parameter!\n");
        return false;
    }
    if (IsEmpty(lpPatch)) {
        qm::DebugOutput("WARNING: KDZSavePatch() called with empty patch!\n");
        return false;
    }
    const std::string target =
        lpszFile != nullptr && lpszFile[0] != '\0' ? lpszFile : lpPatch->szPath;
    // A name cut to fit would be another file, which the save would then overwrite.
    if (target.size() >= FFL_MAX_PATH) {
        qm::DebugOutput("ERROR: KDZSavePatch() called with invalid parameter!\n");
        qm::DebugOutput(" required: lpszFile < MAX_PATH\n");
        errno = ENAMETOOLONG;
        return false;
    }
    if (target.empty()) {
        qm::DebugOutput("ERROR: KDZSavePatch() no filename given!\n");
        return false;
    }
    const auto keep = StateToKeep(lpPatch, target);
    qm::AtomicFile file(target);
    if (keep) {
        file.ExpectUnchanged(*keep);
    }
    if (!file.Open()) {
        const int error = file.Error();
        qm::DebugOutput("WARNING: KDZSavePatch() failed to open(create) archive\n");
        ReportCause(error);
        errno = error;
        return false;
    }
    file.SetBufferSize(PatchBufferBytes());
    PatchWriter writer(lpPatch, file.Stream());
    const bool written = writer.ComputeSizes() && writer.Write();
    if (!written || !file.Commit()) {
        const int error = written ? file.Error() : (errno != 0 ? errno : EIO);
        file.Discard();
        qm::DebugOutput("ERROR: KDZSavePatch() failed to save archive!\n");
        ReportCause(error);
        errno = error;
        return false;
    }
    // An unnamed patch takes the name it was first saved under, once that save succeeded.
    if (lpPatch->szPath[0] == '\0') {
        CopyField(lpPatch->szPath, sizeof(lpPatch->szPath), target.c_str());
    }
    if (file.Committed() && (keep || target == lpPatch->szPath)) {
        PatchFileStates().Set(lpPatch, *file.Committed());
    }
    return true;
}
