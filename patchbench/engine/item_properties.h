// The properties of one patch item without a window: the rows of its target paths, the two
// views (the patch item's own data, or what the game's Fastfile holds at the selected target),
// their information lines and picture, playback, Remove, Find and OK. Dialogs 141 ("Texture
// Properties") and 142 ("Sound Properties") show this model; messages go through the platform
// message-box service, so tests drive it with scripted answers.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "packlib/packlib.h"
#include "patchbench/engine/fastfile_search.h"
#include "patchbench/engine/item_information.h"
#include "patchbench/engine/target_paths.h"
#include "patchlib/patchlib.h"

namespace patchbench {

// The game's Fastfiles as the editor reaches them; a null library finds nothing.
struct GameAccess {
    const PACKLIBEXPORT* packLib = nullptr;
    FFLDB* database = nullptr;
};

enum class PropertiesKind { Texture, Sound };

// Which dialog an item opens: a RIM image the texture dialog, a WAVE the sound dialog; any
// other item (or none) none, and the command beeps.
std::optional<PropertiesKind> PropertiesKindOf(const KDZITEM* item);

enum class PropertiesView { PatchItem = 0, TargetItem = 1 };

enum class AcceptOutcome {
    StayOpen,   // nothing to store: the user was told
    Accepted,   // the rows are the item's target paths now
    Cancelled,  // storing failed: the user was told
};

inline constexpr char kTexturePropertiesCaption[] = "Texture Properties";
inline constexpr char kSoundPropertiesCaption[] = "Sound Properties";
inline constexpr char kNoTargetPathText[] = "A Patch item must have at least one target path.";
inline constexpr char kSetTargetsFailedText[] =
    "ERROR: Failed to set the target paths for this Patch item. Please reload the Patch "
    "without saving to ensure that it's not damaged!";

class ItemProperties {
  public:
    ItemProperties(const PATCHLIBEXPORT& patchLib, GameAccess game, KDZITEM* item,
                   PropertiesKind kind);
    ~ItemProperties();
    ItemProperties(const ItemProperties&) = delete;
    ItemProperties& operator=(const ItemProperties&) = delete;

    PropertiesKind Kind() const { return kind_; }
    // The item's name, or the dialog's own caption when the item has none.
    std::string Caption() const;

    const std::vector<std::string>& Rows() const { return rows_; }
    int Selected() const { return selected_; }
    // Selects and focuses one row (-1: none); in the target view the information follows.
    void Select(int row);
    bool CanRemove() const { return selected_ >= 0; }
    bool CanAccept() const { return !rows_.empty(); }

    // Deletes the selected row; the row that takes its place (or the last) is selected.
    void Remove();
    // Adds the other items of the first target's file name that the Fastfiles hold.
    FindCounts Find(SearchProgress& progress);
    // OK: the rows, joined, become the item's target path list.
    AcceptOutcome Accept();

    PropertiesView View() const { return view_; }
    void SetView(PropertiesView view);

    const std::string& InfoLine1() const { return line1_; }
    const std::string& InfoLine2() const { return line2_; }
    // The texture's first picture in the current view; null when there is none.
    const suite::ImageRecord* Picture() const;
    bool CanPlay() const { return playable_; }

    // Plays the current view's sound (the service plays a copy); nothing when it is no WAVE.
    void Play();
    void Stop();
    bool Loop() const { return loop_; }
    // Clearing the loop ends playback.
    void SetLoop(bool loop);
    // A double click on a row: the target view of that row, then its sound.
    void ActivateRow(int row);

    // Whether a Fastfile is held open for the target view.
    bool HoldsArchive() const { return archive_ != nullptr; }

  private:
    std::span<const unsigned char> PatchData() const;
    std::span<const unsigned char> TargetData();
    void LookUpTarget(const std::string& path);
    FFLARCHIVE* OpenTargetArchive(const std::string& path) const;
    void CloseArchive();
    void RefreshInformation();

    const PATCHLIBEXPORT& patchLib_;
    GameAccess game_;
    KDZITEM* item_;
    PropertiesKind kind_;
    std::vector<std::string> rows_;
    int selected_ = -1;
    PropertiesView view_ = PropertiesView::PatchItem;
    FFLARCHIVE* archive_ = nullptr;
    FFLITEM* found_ = nullptr;
    std::string line1_;
    std::string line2_;
    std::optional<suite::ImageRecord> picture_;
    bool playable_ = false;
    bool loop_ = false;
};

}  // namespace patchbench
