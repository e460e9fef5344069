// The image properties of a texture without a screen, on the demo game's textures: what a
// refresh shows, the compression boxes, the slot commands, OK's transparency rules and the
// write-back into the Fastfile.
#include "texbench/properties/image_properties.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "platform/message_box.h"
#include "tests/texbench/browser/browser_fixture.h"
#include "texbench/browser/browser_model.h"
#include "texbench/imaging/bmp_image.h"
#include "texbench/imaging/packed_dib.h"
#include "texbench/properties/properties_texts.h"
#include "texbench/properties/texture_write_back.h"
#include "tools/demogame/demo_game.h"

using namespace texbench;

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr const char* kTargeting = "graphics\\Predator\\Hud\\targeting.rim";  // 4-bit, keyed
constexpr const char* kSkinItem = "graphics\\Aliens\\skin.rim";  // 16, 8, 4 bits, opaque

class ImagePropertiesTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(browser_test::Game().Bound()) << browser_test::Game().BindError();
        std::string error;
        ASSERT_TRUE(browser_test::FreshDemoGame(&error)) << error;
    }

    static std::string FastfileOf(const std::string& itemPath) {
        for (const auto& fastfile : demogame::DemoFastfiles()) {
            if (!fastfile.folder.empty() && itemPath.rfind(fastfile.folder, 0) == 0) {
                return browser_test::Game().Fastfiles() + fastfile.fileName;
            }
        }
        return {};
    }

    // The item's bytes as the Fastfile on disk holds them.
    static Bytes SavedItem(const std::string& itemPath) {
        const PACKLIBEXPORT& lib = browser_test::Game().Lib();
        FFLARCHIVE* archive = lib.FFLOpenArchive(FastfileOf(itemPath).c_str());
        Bytes bytes;
        if (archive != nullptr) {
            if (FFLITEM* item = lib.FFLFindItem(archive, itemPath.c_str(), false)) {
                bytes.assign(item->lpData, item->lpData + item->dwSize);
            }
            lib.FFLCloseArchive(archive);
        }
        return bytes;
    }

    static ImageProperties Open(const std::string& itemPath) {
        const Bytes bytes = SavedItem(itemPath);
        return ImageProperties(itemPath.substr(itemPath.rfind('\\') + 1), bytes);
    }
};

Bytes SlotBytes(const CRimArchive& archive, unsigned slot) {
    const auto form = archive.GetSlot(slot);
    return Bytes(form.begin(), form.end());
}

// A 24-bit picture with exactly `colours` distinct colours in a row of cells.
suite::ImageRecord TrueColourPicture(unsigned width, unsigned height, unsigned colours) {
    suite::ImageRecord record;
    IMAGEDATA* image = record.Get();
    image->header.wWidth = static_cast<std::uint16_t>(width);
    image->header.wHeight = static_cast<std::uint16_t>(height);
    image->header.bDepth = 24;
    image->header.bAlign = 32;
    const auto stride = static_cast<std::uint32_t>(ImgStride(width, 24, 32));
    image->dwPixelBytes = stride * height;
    image->lpPixels = static_cast<std::uint8_t*>(std::calloc(image->dwPixelBytes, 1));
    for (unsigned y = 0; y < height; ++y) {
        for (unsigned x = 0; x < width; ++x) {
            const unsigned c = (y * width + x) % colours;
            std::uint8_t* p = image->lpPixels + y * stride + x * 3;
            p[0] = static_cast<std::uint8_t>(c * 2);
            p[1] = static_cast<std::uint8_t>(255 - c);
            p[2] = static_cast<std::uint8_t>(c % 7 * 30);
        }
    }
    return record;
}

}  // namespace

TEST(ImagePropertiesLabels, SizeAndColourTexts) {
    const struct {
        std::uint32_t bytes;
        const char* text;
    } sizes[] = {{12345, "12.3 KB"}, {0, "0.0 KB"},    {999, "0.9 KB"},
                 {1000, "1.0 KB"},   {1099, "1.0 KB"}, {196664, "196.6 KB"}};
    for (const auto& c : sizes) {
        EXPECT_EQ(SlotSizeLabel(c.bytes), c.text) << c.bytes;
    }
    EXPECT_EQ(ColorLabel(0x00000000u), "R:00  G:00  B:00");
    EXPECT_EQ(ColorLabel(0x00C0FF0Au), "R:0A  G:FF  B:C0");  // 0x00BBGGRR
}

TEST(ImagePropertiesLabels, SlotDialogsAreOneBehindTheItemDialogs) {
    const struct {
        int itemType;
        int slotIndex;
    } cases[] = {{-3, 1}, {0, 1}, {1, 1}, {2, 1}, {3, 2}, {5, 4}};
    for (const auto& c : cases) {
        EXPECT_EQ(SlotDialogIndex(c.itemType), c.slotIndex) << c.itemType;
    }
    CIniDocument settings;
    RememberSlotExport(settings, 2, "/tmp/out/picture.bmp");
    EXPECT_EQ(ReadInt(settings, kExportType), 3);
    EXPECT_EQ(ReadText(settings, kExportPath), "/tmp/out/");
    RememberSlotImport(settings, 4);
    EXPECT_EQ(ReadInt(settings, kImportType), 5);
    EXPECT_EQ(WithSlotExtension("/tmp/out/picture", SlotFileType::Tga), "/tmp/out/picture.tga");
    EXPECT_EQ(WithSlotExtension("/tmp/o.ut/picture.bmp", SlotFileType::Tga),
              "/tmp/o.ut/picture.bmp");
    EXPECT_EQ(WithSlotExtension("/tmp/o.ut/picture", SlotFileType::Iff), "/tmp/o.ut/picture.iff");
}

TEST_F(ImagePropertiesTest, RefreshShowsTheSlotsAndTheStoredTransparency) {
    const ImageProperties keyed = Open(kTargeting);
    EXPECT_EQ(keyed.Caption(kPropertiesCaption), "Image Properties [targeting.rim]");
    EXPECT_TRUE(keyed.HasSlots());
    EXPECT_TRUE(keyed.Transparent());
    EXPECT_EQ(keyed.CommittedColor(), keyed.Archive().GetTransparentColorWord() >> 8);
    EXPECT_NE(keyed.CommittedColor(), 0u);
    EXPECT_EQ(keyed.DisplayedColor(), keyed.CommittedColor());
    const SlotView& first = keyed.Slot(0);
    ASSERT_TRUE(first.filled);
    EXPECT_EQ(first.depthLabel, "3 bpp (32 * 32)");  // its eight colours need three planes
    EXPECT_TRUE(first.compressed);
    EXPECT_EQ(first.sizeLabel,
              SlotSizeLabel(static_cast<std::uint32_t>(keyed.Archive().GetSlot(0).size())));
    EXPECT_FALSE(first.picture.Empty());
    EXPECT_FALSE(keyed.Slot(1).filled);
    EXPECT_TRUE(keyed.Slot(1).depthLabel.empty());
    EXPECT_TRUE(keyed.Slot(1).picture.Empty());

    const ImageProperties skin = Open(kSkinItem);
    EXPECT_FALSE(skin.Transparent());
    EXPECT_EQ(skin.CommittedColor(), 0u);
    for (unsigned i = 0; i < 3; ++i) {
        EXPECT_TRUE(skin.Slot(i).filled) << i;
        EXPECT_FALSE(skin.Slot(i).compressed) << i;
    }

    const ImageProperties nothing("", {});
    EXPECT_FALSE(nothing.HasSlots());
    EXPECT_EQ(nothing.Caption(kPropertiesCaption), "Image Properties");
}

// The label names the planes as stored, so a two-colour picture shows 1 bit.
TEST_F(ImagePropertiesTest, ATwoColourSlotShowsDepthOne) {
    suite::ImageRecord picture = TrueColourPicture(8, 6, 2);
    CRimArchive texture;
    ASSERT_TRUE(texture.FillSlots(picture.Get()));
    const Bytes bytes = texture.Compile();
    const ImageProperties properties("two.rim", bytes);
    EXPECT_EQ(properties.Slot(0).depthLabel, "1 bpp (8 * 6)");
}

// Switching compression off and on again gives the slot's bytes back exactly, and each
// change marks the texture modified for OK.
TEST_F(ImagePropertiesTest, CompressionRoundTripsTheSlotBytes) {
    for (const char* itemPath : {kTargeting, kSkinItem}) {
        SCOPED_TRACE(itemPath);
        ImageProperties properties = Open(itemPath);
        const Bytes original = SlotBytes(properties.Archive(), 0);
        const bool was = properties.Slot(0).compressed;
        ASSERT_TRUE(properties.SetCompression(0, !was));
        EXPECT_EQ(properties.Slot(0).compressed, !was);
        const Bytes switched = SlotBytes(properties.Archive(), 0);
        EXPECT_NE(switched, original);
        EXPECT_EQ(properties.Slot(0).sizeLabel,
                  SlotSizeLabel(static_cast<std::uint32_t>(switched.size())));
        CRimImage a, b;
        ASSERT_TRUE(a.ParseForm(original) && b.ParseForm(switched));
        suite::ImageRecord pa, pb;
        ASSERT_TRUE(a.ExportTo(pa.Get()) && b.ExportTo(pb.Get()));
        ASSERT_EQ(pa.Get()->dwPixelBytes, pb.Get()->dwPixelBytes);
        EXPECT_EQ(std::memcmp(pa.Get()->lpPixels, pb.Get()->lpPixels, pa.Get()->dwPixelBytes), 0);
        ASSERT_TRUE(properties.SetCompression(0, was));
        EXPECT_EQ(SlotBytes(properties.Archive(), 0), original);
        EXPECT_TRUE(properties.Modified());
        EXPECT_TRUE(properties.Accept());
    }
    // An empty slot has nothing to switch.
    ImageProperties keyed = Open(kTargeting);
    EXPECT_FALSE(keyed.SetCompression(2, true));
    EXPECT_FALSE(keyed.Modified());
}

// OK's rules: nothing changed is Cancel; transparency switched on without a colour stores
// mode 6 with black and marks the nearest palette entry in every slot; a new colour alone,
// with transparency off, still rewrites the record.
TEST_F(ImagePropertiesTest, OkAppliesTheTransparencyChoice) {
    qm::ScriptedMessageBoxes boxes;
    ImageProperties untouched = Open(kSkinItem);
    EXPECT_FALSE(untouched.Accept());

    ImageProperties on = Open(kSkinItem);
    on.SetTransparent(true);
    ASSERT_TRUE(on.Accept());
    EXPECT_EQ(on.Archive().GetTransparencyMode(), 6u);
    EXPECT_EQ(on.Archive().GetTransparentColorWord(), 0u);
    for (unsigned i = 0; i < 3; ++i) {
        CRimImage slot;
        ASSERT_TRUE(on.Archive().GetSlotImage(i, slot)) << i;
        EXPECT_EQ(slot.GetMasking(), 2u) << i;
        EXPECT_EQ(slot.GetTransparentIndex(), static_cast<std::uint32_t>(slot.FindColor(0))) << i;
    }

    ImageProperties recoloured = Open(kSkinItem);
    recoloured.CommitColor(0x00332211u);
    ASSERT_TRUE(recoloured.Accept());
    EXPECT_EQ(recoloured.Archive().GetTransparencyMode(), 0u);
    EXPECT_EQ(recoloured.Archive().GetTransparentColorWord(), 0x33221100u);
    CRimImage slot;
    ASSERT_TRUE(recoloured.Archive().GetSlotImage(0, slot));
    EXPECT_EQ(slot.GetMasking(), 0u);

    // The picker passing over a colour is no choice until it is committed.
    ImageProperties passing = Open(kSkinItem);
    passing.ShowColor(0x00FFFFFFu);
    passing.RestoreColor();
    EXPECT_FALSE(passing.Accept());
    EXPECT_TRUE(boxes.Asked().empty());
}

// A slot command's refresh keeps a colour picked but not yet applied.
TEST_F(ImagePropertiesTest, SlotCommandsKeepThePendingColourChoice) {
    ImageProperties properties = Open(kSkinItem);
    properties.SetTransparent(true);
    properties.CommitColor(0x000000FFu);
    ASSERT_EQ(properties.MirrorSlot(1), SlotOutcome::Changed);
    properties.Refresh();
    EXPECT_TRUE(properties.Transparent());
    EXPECT_EQ(properties.CommittedColor(), 0x000000FFu);
}

TEST_F(ImagePropertiesTest, ImportingA24BitPictureReplacesOnlyThatSlot) {
    qm::ScriptedMessageBoxes boxes;
    ImageProperties properties = Open(kSkinItem);
    const Bytes slot0 = SlotBytes(properties.Archive(), 0);
    const Bytes slot1 = SlotBytes(properties.Archive(), 1);
    suite::ImageRecord picture = TrueColourPicture(20, 10, 100);
    CBmpImage bmp;
    ASSERT_TRUE(bmp.ImportFrom(picture.Get()));
    const std::string file = browser_test::Game().Root() + "/hundred.bmp";
    ASSERT_TRUE(bmp.SaveFile(file));

    ASSERT_EQ(properties.ImportSlot(2, SlotFileType::Bmp, file, 64 * 1024), SlotOutcome::Changed);
    properties.Refresh();
    CRimImage slot2;
    ASSERT_TRUE(properties.Archive().GetSlotImage(2, slot2));
    EXPECT_EQ(slot2.GetColorsUsed(), 100u);
    suite::ImageRecord decoded;
    ASSERT_TRUE(slot2.ExportTo(decoded.Get()));
    EXPECT_EQ(decoded.Get()->header.bDepth, 8);
    EXPECT_EQ(decoded.Get()->header.wWidth, 20);
    EXPECT_EQ(properties.Slot(2).depthLabel, "7 bpp (20 * 10)");  // 100 colours need 7 planes
    EXPECT_EQ(SlotBytes(properties.Archive(), 0), slot0);
    EXPECT_EQ(SlotBytes(properties.Archive(), 1), slot1);
    EXPECT_TRUE(properties.Modified());
    EXPECT_TRUE(boxes.Asked().empty());

    // A file that is no picture of that type, or none at all, is said and changes nothing.
    const Bytes before = SlotBytes(properties.Archive(), 2);
    for (SlotFileType type : {SlotFileType::Iff, SlotFileType::Tga}) {
        EXPECT_EQ(properties.ImportSlot(2, type, file, 64 * 1024), SlotOutcome::Unchanged);
    }
    EXPECT_EQ(properties.ImportSlot(2, SlotFileType::Bmp, file + ".missing", 64 * 1024),
              SlotOutcome::Unchanged);
    ASSERT_EQ(boxes.Asked().size(), 3u);
    for (const auto& asked : boxes.Asked()) {
        EXPECT_EQ(asked.text, kSlotImportFailed);
    }
    EXPECT_EQ(SlotBytes(properties.Archive(), 2), before);
}

TEST_F(ImagePropertiesTest, SlotCommandsOnFilledAndEmptySlots) {
    qm::ScriptedMessageBoxes boxes;
    // Ten colours in no symmetry: one 4-bit slot, and flips and mirrors that show.
    suite::ImageRecord made = TrueColourPicture(12, 7, 10);
    CRimArchive texture;
    ASSERT_TRUE(texture.FillSlots(made.Get()));
    const Bytes bytes = texture.Compile();
    ImageProperties properties("made.rim", bytes);
    const Bytes original = SlotBytes(properties.Archive(), 0);

    // Flip and mirror each undo themselves; the slot is re-encoded the same way.
    for (auto command : {&ImageProperties::FlipSlot, &ImageProperties::MirrorSlot}) {
        ASSERT_EQ((properties.*command)(0), SlotOutcome::Changed);
        EXPECT_NE(SlotBytes(properties.Archive(), 0), original);
        ASSERT_EQ((properties.*command)(0), SlotOutcome::Changed);
        EXPECT_EQ(SlotBytes(properties.Archive(), 0), original);
        EXPECT_EQ((properties.*command)(1), SlotOutcome::Unchanged);  // empty: silent
    }

    EXPECT_EQ(properties.CountSlotColors(1), SlotOutcome::Beep);
    EXPECT_EQ(properties.CountSlotColors(0), SlotOutcome::Unchanged);
    ASSERT_EQ(boxes.Asked().size(), 1u);
    CRimImage slot;
    ASSERT_TRUE(properties.Archive().GetSlotImage(0, slot));
    EXPECT_EQ(boxes.Asked()[0].text,
              "The number of colors used is: " + std::to_string(slot.CountColors()));

    // Copy gives the slot as a packed bitmap; pasting it into an empty slot fills that one.
    const std::vector<std::uint8_t> dib = properties.CopySlot(0);
    ASSERT_FALSE(dib.empty());
    EXPECT_TRUE(properties.CopySlot(1).empty());
    suite::ImageRecord pasted;
    ASSERT_TRUE(ImgFromPackedDib(dib, pasted.Get()));
    ASSERT_EQ(properties.ReplaceSlot(1, pasted.Get(), kPasteFailed), SlotOutcome::Changed);
    properties.Refresh();
    EXPECT_TRUE(properties.Slot(1).filled);
    EXPECT_EQ(properties.Slot(1).depthLabel.substr(properties.Slot(1).depthLabel.find('(')),
              "(12 * 7)");
    // Nothing to paste: said, and the slot stays.
    const Bytes slot1 = SlotBytes(properties.Archive(), 1);
    EXPECT_EQ(properties.ReplaceSlot(1, nullptr, kPasteFailed), SlotOutcome::Unchanged);
    EXPECT_EQ(boxes.Asked().back().text, kPasteFailed);
    EXPECT_EQ(SlotBytes(properties.Archive(), 1), slot1);

    // Export writes the picture with the type's class.
    const suite::ImageRecord picture = properties.SlotPicture(0);
    ASSERT_FALSE(picture.Empty());
    EXPECT_TRUE(properties.SlotPicture(2).Empty());
    const std::string file = browser_test::Game().Root() + "/slot.bmp";
    ASSERT_TRUE(properties.WritePicture(picture.Get(), SlotFileType::Bmp, file, 64 * 1024));
    CBmpImage back;
    ASSERT_TRUE(back.LoadFile(file));
    EXPECT_EQ(back.GetWidth(), 12u);
    const std::size_t asked = boxes.Asked().size();
    EXPECT_FALSE(properties.WritePicture(picture.Get(), SlotFileType::Bmp,
                                         browser_test::Game().Root() + "/no/such/dir/x.bmp",
                                         64 * 1024));
    ASSERT_EQ(boxes.Asked().size(), asked + 1);
    EXPECT_EQ(boxes.Asked().back().text, kSlotExportFailed);
}

// Every slot deleted and OK: the write-back refuses to compile an empty texture, says so, and
// the Fastfile keeps the item.
TEST_F(ImagePropertiesTest, WriteBackOfATextureWithoutSlotsLeavesTheItem) {
    qm::ScriptedMessageBoxes boxes;
    CIniDocument settings;
    BrowserModel model(browser_test::Game().Lib(), settings);
    ASSERT_TRUE(model.OpenFromCommandLine(FastfileOf(kTargeting)));
    model.BuildTree();
    model.SelectNode(model.Tree().Find("graphics\\Predator\\Hud"));
    const int row = model.FindRow(kTargeting);
    ASSERT_GE(row, 0);
    FFLITEM* item = model.Rows()[static_cast<std::size_t>(row)].item;
    const Bytes before = SavedItem(kTargeting);

    ImageProperties properties("targeting.rim", before);
    for (unsigned i = 0; i < 3; ++i) {
        properties.DeleteSlot(i);
    }
    properties.Refresh();
    EXPECT_FALSE(properties.HasSlots());
    ASSERT_TRUE(properties.Accept());
    EXPECT_FALSE(WriteBackTexture(model, item, properties.Archive()));
    ASSERT_EQ(boxes.Asked().size(), 1u);
    EXPECT_EQ(boxes.Asked()[0].text, kCompileFailed);
    EXPECT_EQ(boxes.Asked()[0].icon, qm::MessageBoxIcon::Error);
    EXPECT_EQ(Bytes(item->lpData, item->lpData + item->dwSize), before);
    EXPECT_EQ(SavedItem(kTargeting), before);

    // A real change is stored and saved at once.
    ImageProperties changed("targeting.rim", before);
    changed.SetTransparent(false);
    ASSERT_TRUE(changed.Accept());
    ASSERT_TRUE(WriteBackTexture(model, item, changed.Archive()));
    EXPECT_EQ(SavedItem(kTargeting), changed.Archive().Compile());
    EXPECT_EQ(boxes.Asked().size(), 1u);
}
