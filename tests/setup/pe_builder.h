#pragma once

// Builds the smallest Windows program file that carries a version resource, byte by byte, so
// that the tests do not depend on a cross compiler.
#include <cstdint>
#include <string>
#include <vector>

namespace qm::setup::testing {

class Bytes {
  public:
    void U16(std::uint32_t v) {
        data.push_back(static_cast<char>(v & 0xFF));
        data.push_back(static_cast<char>(v >> 8 & 0xFF));
    }
    void U32(std::uint32_t v) {
        U16(v & 0xFFFF);
        U16(v >> 16);
    }
    void Wide(const std::string& text) {
        for (const char c : text) {
            U16(static_cast<unsigned char>(c));
        }
        U16(0);
    }
    void Align4() {
        while (data.size() % 4 != 0) {
            data.push_back(0);
        }
    }
    void PatchU16(std::size_t at, std::uint32_t v) {
        data[at] = static_cast<char>(v & 0xFF);
        data[at + 1] = static_cast<char>(v >> 8 & 0xFF);
    }
    void PatchU32(std::size_t at, std::uint32_t v) {
        PatchU16(at, v & 0xFFFF);
        PatchU16(at + 2, v >> 16);
    }
    std::string data;
};

// One version block: wLength, wValueLength, wType, key, padding, value, padding, children.
inline std::string VersionBlock(const std::string& key, const std::string& value,
                                const std::string& children) {
    Bytes b;
    b.U16(0);
    b.U16(static_cast<std::uint32_t>(value.size()));
    b.U16(0);
    b.Wide(key);
    b.Align4();
    b.data += value;
    b.Align4();
    b.data += children;
    b.PatchU16(0, static_cast<std::uint32_t>(b.data.size()));
    return b.data;
}

// VS_VERSIONINFO with the fixed file version a.b.c.d and one translation.
inline std::string VersionResource(std::uint16_t a, std::uint16_t b, std::uint16_t c,
                                   std::uint16_t d, std::uint16_t language,
                                   std::uint16_t codePage) {
    Bytes fixed;
    fixed.U32(0xFEEF04BD);
    fixed.U32(0x00010000);
    fixed.U32(std::uint32_t{a} << 16 | b);
    fixed.U32(std::uint32_t{c} << 16 | d);
    for (int i = 0; i < 9; ++i) {
        fixed.U32(0);  // product version, flags, OS, type, dates
    }
    Bytes translation;
    translation.U32(std::uint32_t{codePage} << 16 | language);
    const std::string strings = VersionBlock("StringFileInfo", "", "");
    const std::string var =
        VersionBlock("VarFileInfo", "", VersionBlock("Translation", translation.data, ""));
    return VersionBlock("VS_VERSION_INFO", fixed.data, strings + var);
}

// A PE32 file with one ".rsrc" section holding type 16, name 1, language 0x409.
inline std::string PeWithVersion(const std::string& versionResource) {
    constexpr std::uint32_t kSectionRva = 0x1000;
    constexpr std::uint32_t kSectionFile = 0x200;
    Bytes rsrc;
    const auto directory = [&](std::uint32_t id, std::uint32_t target) {
        for (int i = 0; i < 3; ++i) {
            rsrc.U32(0);
        }
        rsrc.U16(0);
        rsrc.U16(1);
        rsrc.U32(id);
        rsrc.U32(target);
    };
    directory(16, 0x80000000u | 0x18);
    directory(1, 0x80000000u | 0x30);
    directory(0x409, 0x48);
    rsrc.U32(kSectionRva + 0x58);  // data entry
    rsrc.U32(static_cast<std::uint32_t>(versionResource.size()));
    rsrc.U32(0);
    rsrc.U32(0);
    rsrc.data.resize(0x58, 0);
    rsrc.data += versionResource;

    Bytes file;
    file.data.assign(0x40, 0);
    file.PatchU16(0, 0x5A4D);
    file.PatchU32(0x3C, 0x40);
    file.U32(0x00004550);
    file.U16(0x14C);  // i386
    file.U16(1);      // one section
    file.U32(0);
    file.U32(0);
    file.U32(0);
    file.U16(224);  // optional header size
    file.U16(0x0102);
    const std::size_t optional = file.data.size();
    file.data.resize(optional + 224, 0);
    file.PatchU16(optional, 0x10B);
    file.PatchU32(optional + 92, 16);  // data directories
    file.PatchU32(optional + 96 + 2 * 8, kSectionRva);
    file.PatchU32(optional + 96 + 2 * 8 + 4, static_cast<std::uint32_t>(rsrc.data.size()));
    const std::size_t section = file.data.size();
    file.data.resize(section + 40, 0);
    file.data.replace(section, 5, ".rsrc");
    file.PatchU32(section + 8, static_cast<std::uint32_t>(rsrc.data.size()));
    file.PatchU32(section + 12, kSectionRva);
    file.PatchU32(section + 16, static_cast<std::uint32_t>(rsrc.data.size()));
    file.PatchU32(section + 20, kSectionFile);
    file.data.resize(kSectionFile, 0);
    file.data += rsrc.data;
    return file.data;
}

inline std::string PeFile(std::uint16_t a, std::uint16_t b, std::uint16_t c, std::uint16_t d,
                          std::uint16_t language = 0x409, std::uint16_t codePage = 1252) {
    return PeWithVersion(VersionResource(a, b, c, d, language, codePage));
}

}  // namespace qm::setup::testing
