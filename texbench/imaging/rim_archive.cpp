#include "texbench/imaging/rim_archive.h"

#include <cstdio>
#include <memory>

#include "texbench/imaging/byte_order.h"
#include "texbench/imaging/iff_chunk.h"

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

bool IsTag(const std::uint8_t* p, const char (&tag)[5]) {
    return IffTagIs(p, tag);
}

}  // namespace

void CRimArchive::Clear() {
    transparencyMode_ = 0;
    transparentColor_ = 0;
    for (auto& slot : slots_) {
        slot.clear();
        slot.shrink_to_fit();
    }
    container_.clear();
    container_.shrink_to_fit();
}

bool CRimArchive::Parse(std::span<const std::uint8_t> bytes) {
    if (bytes.empty() || bytes.data() == nullptr) {
        return false;
    }
    Clear();
    const std::uint64_t length = bytes.size();
    const std::uint8_t* base = bytes.data();
    bool haveContainer = false;
    std::uint64_t offset = 0;
    while (offset + 8 < length) {
        const std::uint8_t* chunk = base + offset;
        const std::uint64_t size = GetU32BE(chunk + 4);
        if (offset + 8 + size > length) {
            break;  // a chunk that claims more than the item holds ends the walk
        }
        const std::uint8_t* payload = chunk + 8;
        const bool typed = size >= 4;
        if (typed &&
            ((IsTag(chunk, "LIST") && (IsTag(payload, "ILBM") || IsTag(payload, "MIPM"))) ||
             (IsTag(chunk, "PROP") && IsTag(payload, "ILBM")) ||
             (IsTag(chunk, "FORM") && IsTag(payload, "MIPM")))) {
            offset += 12;
            continue;
        }
        if (typed && IsTag(chunk, "FORM") && IsTag(payload, "ILBM")) {
            AddSlotForm(bytes.subspan(offset, size + 8));  // a fourth FORM is dropped
            offset += 8 + IffEven(size);
            continue;
        }
        if (IsTag(chunk, "TRAN") && size == 8) {
            transparencyMode_ = GetU32LE(payload);
            transparentColor_ = GetU32LE(payload + 4);
        } else if (IsTag(chunk, "CONT") && !haveContainer) {
            container_.assign(payload, payload + size);
            haveContainer = true;
        }
        offset += 8 + IffEven(size);
    }
    for (const auto& slot : slots_) {
        if (!slot.empty()) {
            return true;
        }
    }
    return false;
}

bool CRimArchive::LoadFile(const std::string& path) {
    if (path.empty()) {
        return false;
    }
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file || std::fseek(file.get(), 0, SEEK_END) != 0) {
        return false;
    }
    const long size = std::ftell(file.get());
    if (size <= 0 || size > static_cast<long>(UINT32_MAX) ||
        std::fseek(file.get(), 0, SEEK_SET) != 0) {
        return false;
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    if (std::fread(bytes.data(), 1, bytes.size(), file.get()) != bytes.size()) {
        return false;
    }
    return Parse(bytes);
}

std::uint32_t CRimArchive::GetCompiledSize() const {
    std::uint64_t total = 40;
    bool any = false;
    for (const auto& slot : slots_) {
        total += IffEven(slot.size());
        any = any || !slot.empty();
    }
    if (!any) {
        return 0;
    }
    if (!container_.empty()) {
        total += 32 + IffEven(container_.size());
    }
    return total > UINT32_MAX ? 0 : static_cast<std::uint32_t>(total);
}

std::vector<std::uint8_t> CRimArchive::Compile() const {
    const std::uint32_t total = GetCompiledSize();
    if (total == 0) {
        return {};
    }
    std::vector<std::uint8_t> out;
    out.reserve(total);
    IffWriter w(out);
    w.Tag("LIST");
    w.U32(total - 8);
    w.Tag("ILBM");
    w.Tag("PROP");
    w.U32(20);
    w.Tag("ILBM");
    w.Tag("TRAN");
    w.U32(8);
    std::uint8_t record[8];
    PutU32LE(record, transparencyMode_);
    PutU32LE(record + 4, transparentColor_);
    w.Bytes(record);
    for (const auto& slot : slots_) {
        w.Bytes(slot);
        // A slot FORM read from someone else's item may have an odd size: the pad byte
        // keeps the next chunk where every reader looks for it.
        if (slot.size() & 1) {
            w.U8(0);
        }
    }
    if (!container_.empty()) {
        const auto even = static_cast<std::uint32_t>(IffEven(container_.size()));
        w.Tag("LIST");
        w.U32(even + 24);
        w.Tag("MIPM");
        w.Tag("FORM");
        w.U32(even + 12);
        w.Tag("MIPM");
        w.Tag("CONT");
        w.U32(even);  // the size holds the padded length, so the pad byte reads back as data
        w.Bytes(container_);
        if (container_.size() & 1) {
            w.U8(0);
        }
    }
    return out;
}

bool CRimArchive::AddSlotForm(std::span<const std::uint8_t> form) {
    if (form.empty()) {
        return false;
    }
    for (auto& slot : slots_) {
        if (slot.empty()) {
            slot.assign(form.begin(), form.end());
            return true;
        }
    }
    return false;
}

void CRimArchive::ClearSlot(unsigned i) {
    if (i < kSlots) {
        slots_[i].clear();
        slots_[i].shrink_to_fit();
    }
}

bool CRimArchive::GetSlotImage(unsigned i, CRimImage& image) const {
    image.Clear();
    if (i < kSlots && !slots_[i].empty()) {
        image.ParseForm(slots_[i]);
    }
    return !image.IsEmpty();
}

bool CRimArchive::SetSlotImage(CRimImage& image, unsigned i) {
    if (i >= kSlots || image.IsEmpty()) {
        return false;
    }
    ClearSlot(i);
    slots_[i] = image.BuildForm();
    return !slots_[i].empty();
}

bool CRimArchive::ExportSlot(unsigned i, IMAGEDATA* target) {
    if (target == nullptr) {
        return false;
    }
    ImgFree(target);
    *target = IMAGEDATA{};
    if (i >= kSlots || slots_[i].empty()) {
        return false;
    }
    CRimImage image;
    return image.ParseForm(slots_[i]) && image.ExportTo(target);
}

bool CRimArchive::FillSlots(IMAGEDATA* img) {
    if (img == nullptr || !ImgValidate(img)) {
        return false;
    }
    if (img->header.bDepth > 16 && !ImgToIndexed(img, 0)) {
        return false;
    }
    CRimImage image;
    for (unsigned i = 0; i < kSlots; ++i) {
        if (!image.ImportFrom(img)) {
            return false;
        }
        slots_[i] = image.BuildForm();
        if (slots_[i].empty()) {
            return false;
        }
        const unsigned depth = img->header.bDepth;
        if (depth == 4) {
            return true;
        }
        if (!(depth == 16 ? ImgTo8Bit(img, 0) : ImgTo4Bit(img, 0))) {
            return false;
        }
    }
    return true;
}

bool CRimArchive::SetTransparency(bool enable, std::uint32_t color) {
    transparencyMode_ = enable ? kTransparencyOn : 0;
    transparentColor_ = color << 8;
    bool result = true;
    for (unsigned i = 0; i < kSlots; ++i) {
        if (slots_[i].empty()) {
            continue;
        }
        CRimImage image;
        if (!image.ParseForm(slots_[i])) {
            result = false;
            continue;
        }
        if (enable) {
            image.SetMasking(kMaskingTransparentColor);
            image.SetTransparentIndex(static_cast<std::uint32_t>(image.FindColor(color)));
        } else {
            image.SetMasking(0);
            image.SetTransparentIndex(0);
        }
        // The body stays encoded, so its bytes go back unchanged; only BMHD differs.
        if (!SetSlotImage(image, i)) {
            result = false;
        }
    }
    return result;
}
