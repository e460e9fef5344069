// The image properties of one texture item, without a screen: a private copy of the item's
// slots, the transparency and compression choices and the slot commands of the dialog's menu.
// Nothing here touches the Fastfile; the caller writes the compiled bytes back after OK.
// Failures the user must hear of are told through the platform's message boxes.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "inidoc/ini_document.h"
#include "suite/image_record.h"
#include "texbench/imaging/rim_archive.h"

namespace texbench {

// What the dialog shows for one slot after a refresh.
struct SlotView {
    bool filled = false;
    std::string depthLabel;  // "%d bpp (%d * %d)": the stored plane count, width, height
    std::string sizeLabel;   // "%d.%.1u KB"
    bool compressed = false;
    suite::ImageRecord picture;  // decoded, for the preview; empty when the slot is
};

// What a slot command asks of the dialog.
enum class SlotOutcome {
    Changed,    // the slots changed: refresh
    Unchanged,  // nothing to show (a silent failure, or a message was shown)
    Beep,       // nothing to act on
};

// The slot dialogs' file types, by the 1-based index of STRING 6's list.
enum class SlotFileType { Iff = 1, Bmp = 2, Dib = 3, Tga = 4 };

// "%d.%.1u KB" of a byte count: thousands, then the hundreds digit (12,345 is "12.3 KB").
std::string SlotSizeLabel(std::uint32_t bytes);
// "R:%.2X  G:%.2X  B:%.2X" of a 0x00BBGGRR colour.
std::string ColorLabel(std::uint32_t color);

class ImageProperties {
  public:
    // Parses the item's bytes (a failure leaves no slot) and refreshes.
    ImageProperties(std::string name, std::span<const std::uint8_t> bytes);

    const std::string& Name() const { return name_; }
    // The caption with " [" + name + "]" when the item has a name.
    std::string Caption(const std::string& caption) const;

    // Reads what the slots show back from the private texture. The transparency and colour
    // chosen but not yet applied stay: a paste or a flip must not undo the user's pick.
    void Refresh();
    bool HasSlots() const;
    const SlotView& Slot(unsigned i) const { return views_.at(i); }

    bool Transparent() const { return transparent_; }
    void SetTransparent(bool on) { transparent_ = on; }
    std::uint32_t CommittedColor() const { return committed_; }
    std::uint32_t DisplayedColor() const { return displayed_; }
    // The colour dialog's choice or the picker's click: committed and displayed.
    void CommitColor(std::uint32_t color) { committed_ = displayed_ = color; }
    // The picker passing over a pixel.
    void ShowColor(std::uint32_t color) { displayed_ = color; }
    // The picker cancelled: back to the committed colour.
    void RestoreColor() { displayed_ = committed_; }

    // A compression box clicked. False (with the message shown) when the slot could not be
    // converted; the slot then stays as it was.
    bool SetCompression(unsigned slot, bool compress);

    // Copy: the slot's packed DIB; empty when there is none.
    std::vector<std::uint8_t> CopySlot(unsigned slot) const;
    // Paste, Import and an external edit: the picture replaces the slot (deeper than 16 bits
    // it is first reduced by its colour count). On failure the message for the command is
    // shown and the slot stays.
    SlotOutcome ReplaceSlot(unsigned slot, const IMAGEDATA* picture, const char* failureMessage);
    SlotOutcome DeleteSlot(unsigned slot);
    SlotOutcome FlipSlot(unsigned slot);
    SlotOutcome MirrorSlot(unsigned slot);
    // Count Colors used: shows the count of distinct palette indices; Beep for an empty slot.
    SlotOutcome CountSlotColors(unsigned slot) const;
    // The slot as a picture record for Export Image... and the external editor; empty when the
    // slot is empty or cannot be decoded.
    suite::ImageRecord SlotPicture(unsigned slot) const;
    // Writes a record with the class of the file type; shows the export message on failure.
    bool WritePicture(const IMAGEDATA* picture, SlotFileType type, const std::string& path,
                      std::uint32_t streamBufferBytes) const;
    // Import Image... after the file was chosen: reads it with the class of the file type and
    // replaces the slot; shows the import message on any failure.
    SlotOutcome ImportSlot(unsigned slot, SlotFileType type, const std::string& path,
                           std::uint32_t streamBufferBytes);

    // OK: applies a changed transparency choice. True when something is to be written back
    // (a slot changed, or the transparency choice); false for Cancel (nothing changed, or the
    // transparency could not be set, which has been said).
    bool Accept();
    bool Modified() const { return modified_; }
    const CRimArchive& Archive() const { return archive_; }

  private:
    bool TransparencyChanged() const;

    std::string name_;
    CRimArchive archive_;
    std::array<SlotView, CRimArchive::kSlots> views_;
    bool transparent_ = false;
    std::uint32_t committed_ = 0;  // 0x00BBGGRR
    std::uint32_t displayed_ = 0;
    bool modified_ = false;
};

// Where the slot dialogs start and what they remember: "Export Type" and "Import Type" hold
// the index of the item dialogs' lists, which begin with the whole-texture entry.
int SlotDialogIndex(int itemDialogType);
void RememberSlotExport(CIniDocument& settings, int slotIndex, const std::string& path);
void RememberSlotImport(CIniDocument& settings, int slotIndex);
// The export's file name: a name without an extension gets the file type's.
std::string WithSlotExtension(const std::string& path, SlotFileType type);

}  // namespace texbench
