// fftool texture export-all and import-all on the private demo game: every texture out as a
// picture in folders that mirror the item paths, and only the changed pictures back in, one
// save per Fastfile, each texture keeping its transparency and compression.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <span>
#include <string>

#include "packlib/packlib.h"
#include "platform/library_binding.h"
#include "tests/fftool/run_fftool.h"
#include "tests/support/files.h"
#include "tests/support/private_game.h"
#include "texbench/imaging/bmp_image.h"
#include "texbench/imaging/rim_archive.h"
#include "tools/demogame/demo_pictures.h"

namespace {

using namespace fftool_test;
namespace fs = std::filesystem;

std::map<std::string, qm_test::Bytes> FastfileBytes(const std::string& folder) {
    std::map<std::string, qm_test::Bytes> bytes;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().extension() == ".ffl" || entry.path().extension() == ".FFL") {
            bytes[entry.path().filename().string()] = qm_test::ReadFile(entry.path().string());
        }
    }
    return bytes;
}

// Flips one bit of the picture's first pixel, as a modder's edit would change it.
void EditBitmap(const std::string& file) {
    CBmpImage picture;
    ASSERT_TRUE(picture.LoadFile(file));
    IMAGEDATA image{};
    ASSERT_TRUE(picture.ExportTo(&image));
    image.lpPixels[0] = static_cast<std::uint8_t>(image.lpPixels[0] ^ 1);
    ASSERT_TRUE(picture.ImportFrom(&image));
    ImgFree(&image);
    ASSERT_TRUE(picture.SaveFile(file));
}

CRimArchive ItemOf(const std::string& ffl, const std::string& item) {
    qm::LibraryBinding<PACKLIBEXPORT> packLib;
    std::string error;
    CRimArchive rim;
    if (!packLib.Bind("PackLib.dll", "PackLibInit", &error)) {
        ADD_FAILURE() << error;
        return rim;
    }
    const PACKLIBEXPORT& lib = packLib.Record();
    FFLARCHIVE* archive = lib.FFLOpenArchive(ffl.c_str());
    if (archive == nullptr) {
        ADD_FAILURE() << "cannot open " << ffl;
        return rim;
    }
    if (FFLITEM* found = lib.FFLFindItem(archive, item.c_str(), false); found != nullptr) {
        std::uint32_t size = 0;
        const auto* data = static_cast<const std::uint8_t*>(lib.FFLGetItemData(found, &size));
        EXPECT_TRUE(rim.Parse(std::span(data, size)));
    }
    lib.FFLCloseArchive(archive);
    return rim;
}

TEST(FftoolTextureBatch, TheWholeGameOutAndOnlyTheChangedPicturesBack) {
    qm_test::PrivateGame game;
    ASSERT_TRUE(game.Made()) << game.Error();
    const std::string out = game.Environment().File("pictures");

    RunResult exported = Fftool("texture export-all game " + Quote(out) + " --format bmp");
    ASSERT_EQ(exported.status, 0) << exported.out;
    // The five Fastfiles the database lists hold eleven textures; the sounds are left out.
    EXPECT_NE(exported.out.find("exported 11 texture(s) from 6 Fastfile(s)"), std::string::npos)
        << exported.out;
    const std::string targeting = out + "/graphics/Predator/Hud/targeting.bmp";
    ASSERT_TRUE(fs::is_regular_file(targeting));
    EXPECT_TRUE(fs::is_regular_file(out + "/graphics/Aliens/Queen/crest.bmp"));
    EXPECT_FALSE(fs::exists(out + "/sound"));

    RunResult untouched = Fftool("texture import-all " + Quote(out));
    ASSERT_EQ(untouched.status, 0) << untouched.out;
    EXPECT_NE(untouched.out.find("imported 0 changed picture(s)"), std::string::npos);

    const auto before = FastfileBytes(game.Fastfiles());
    EditBitmap(targeting);
    RunResult imported = Fftool("texture import-all " + Quote(out));
    ASSERT_EQ(imported.status, 0) << imported.out;
    EXPECT_NE(imported.out.find("imported 1 changed picture(s) into 1 Fastfile(s); 10 unchanged"),
              std::string::npos)
        << imported.out;
    const auto after = FastfileBytes(game.Fastfiles());
    for (const auto& [name, bytes] : before) {
        EXPECT_EQ(after.at(name) != bytes, name == "Predator.ffl") << name;
    }
    // The HUD texture stays see-through and compressed.
    CRimArchive rim =
        ItemOf(game.Fastfiles() + "/Predator.ffl", "graphics\\Predator\\Hud\\targeting.rim");
    EXPECT_EQ(rim.GetTransparencyMode(), CRimArchive::kTransparencyOn);
    EXPECT_EQ(rim.GetTransparentColorWord() >> 8, demogame::kTargetKeyColor);
    CRimImage slot;
    ASSERT_TRUE(rim.GetSlotImage(0, slot));
    EXPECT_TRUE(slot.GetCompression());

    // Put back once: the next run finds nothing changed.
    RunResult again = Fftool("texture import-all " + Quote(out));
    EXPECT_NE(again.out.find("imported 0 changed picture(s)"), std::string::npos) << again.out;
    EXPECT_EQ(FastfileBytes(game.Fastfiles()), after);
}

TEST(FftoolTextureBatch, NeverWritesOrReadsOutsideTheFolder) {
    qm_test::PrivateGame game;
    ASSERT_TRUE(game.Made()) << game.Error();
    const std::string ffl = game.Environment().File("odd.ffl");
    const std::string rim = game.Environment().File("crest.rim");
    ASSERT_EQ(Fftool("texture export " + Quote(game.Fastfiles() + "/Aliens.ffl") +
                     " 'graphics/Aliens/Queen/crest.rim' " + Quote(rim))
                  .status,
              0);
    ASSERT_EQ(Fftool("new " + Quote(ffl)).status, 0);
    ASSERT_EQ(Fftool("add " + Quote(ffl) + " '..\\..\\escaped.rim' " + Quote(rim) +
                     " 'inside\\kept.rim' " + Quote(rim))
                  .status,
              0);
    const std::string out = game.Environment().File("out/pictures");
    RunResult exported = Fftool("texture export-all " + Quote(ffl) + " " + Quote(out));
    EXPECT_EQ(exported.status, 1) << exported.out;
    EXPECT_NE(exported.out.find("escaped.rim"), std::string::npos) << exported.out;
    EXPECT_NE(exported.out.find("exported 1 texture(s)"), std::string::npos) << exported.out;
    EXPECT_TRUE(fs::is_regular_file(out + "/inside/kept.png"));
    EXPECT_FALSE(fs::exists(game.Environment().File("escaped.png")));
    EXPECT_FALSE(fs::exists(game.Environment().File("out/escaped.png")));

    // A manifest edited to point outside the folder is not followed.
    const std::string manifest = out + "/fftool-textures.manifest";
    std::string text = qm_test::ReadText(manifest);
    const std::size_t at = text.find("inside/kept.png");
    ASSERT_NE(at, std::string::npos);
    text.replace(at, std::string("inside/kept.png").size(), "../../crest.png");
    qm_test::WriteText(manifest, text);
    qm_test::WriteText(game.Environment().File("crest.png"), "not read");
    const auto before = qm_test::ReadFile(ffl);
    RunResult imported = Fftool("texture import-all " + Quote(out));
    EXPECT_EQ(imported.status, 1) << imported.out;
    EXPECT_NE(imported.out.find("not a picture below"), std::string::npos) << imported.out;
    EXPECT_EQ(qm_test::ReadFile(ffl), before);
}

TEST(FftoolTextureBatch, RefusesWrongCommandLines) {
    const struct {
        const char* arguments;
        int status;
    } cases[] = {
        {"texture export-all", 2},
        {"texture export-all a.ffl", 2},
        {"texture export-all a.ffl out --format gif", 2},
        {"texture export-all a.ffl out --format dib", 2},
        {"texture import-all", 2},
        {"texture import-all /nonexistent-folder", 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Fftool(c.arguments).status, c.status) << c.arguments;
    }
}

}  // namespace
