// make-skin-module LOOK OUTPUT.cpp: draws one of our skins and writes its resources as the
// C++ table a skin module is built from (PNG pictures and the layout text).
#include <QBuffer>
#include <QGuiApplication>
#include <cstdio>
#include <fstream>
#include <string>

#include "texbench/skins/modules/skin_artwork.h"
#include "texbench/skins/skin_module_abi.h"

namespace {

void WriteBytes(std::ofstream& out, const std::string& name, const QByteArray& bytes) {
    out << "const unsigned char " << name << "[] = {";
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (i % 24 == 0) {
            out << "\n   ";
        }
        out << ' ' << static_cast<unsigned>(static_cast<unsigned char>(bytes[i])) << ',';
    }
    out << "\n};\n";
}

QByteArray Png(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make-skin-module hive|console OUTPUT.cpp\n");
        return 2;
    }
    // Drawing needs fonts but no screen.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const skinart::Look look = skinart::DrawLook(argv[1]);
    if (look.layout.empty()) {
        std::fprintf(stderr, "make-skin-module: no look named %s\n", argv[1]);
        return 1;
    }
    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    out << "// Written by make-skin-module " << argv[1] << "; do not edit.\n"
        << "#include \"texbench/skins/modules/skin_resource_table.h\"\n\n"
        << "namespace skinmodule {\nnamespace {\n\n";
    WriteBytes(out, "kLayout", QByteArray(look.layout.c_str()));
    for (const skinart::Picture& picture : look.pictures) {
        WriteBytes(out, "kBitmap" + std::to_string(picture.id), Png(picture.image));
    }
    out << "\n}  // namespace\n\nconst Resource kResources[] = {\n"
        << "    {" << QM_SKIN_DIALOG << ", 102, kLayout, sizeof kLayout},\n";
    for (const skinart::Picture& picture : look.pictures) {
        const std::string name = "kBitmap" + std::to_string(picture.id);
        out << "    {" << QM_SKIN_BITMAP << ", " << picture.id << ", " << name << ", sizeof "
            << name << "},\n";
    }
    out << "};\nconst std::size_t kResourceCount = sizeof kResources / sizeof kResources[0];\n\n"
        << "}  // namespace skinmodule\n";
    out.close();
    return out ? 0 : 1;
}
