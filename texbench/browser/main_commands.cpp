#include "texbench/browser/main_commands.h"

#include <initializer_list>

#include "suite/item_kind.h"

namespace texbench {
namespace {

using Ctx = CommandContext;

bool Always(const Ctx&) {
    return true;
}
bool OnLeaf(const Ctx& c) {
    return c.nodeExists && !c.nodeHasChildren;
}
bool OnLeafInDatabase(const Ctx& c) {
    return OnLeaf(c) && c.databaseMode;
}
bool AnyRowSelected(const Ctx& c) {
    return c.selectedRows > 0;
}
bool OneRowSelected(const Ctx& c) {
    return c.selectedRows == 1;
}
bool ClipboardHoldsItems(const Ctx& c) {
    return c.clipboardHoldsItems;
}
bool ArchiveOpen(const Ctx& c) {
    return c.archiveOpen;
}
bool ArchiveHasItems(const Ctx& c) {
    return c.archiveOpen && c.archiveHasItems;
}
bool InDatabaseMode(const Ctx& c) {
    return c.databaseMode;
}
bool InFastfileMode(const Ctx& c) {
    return !c.databaseMode;
}

constexpr unsigned Menus(std::initializer_list<ListMenuKind> kinds) {
    unsigned bits = 0;
    for (ListMenuKind kind : kinds) {
        bits |= 1u << static_cast<unsigned>(kind);
    }
    return bits;
}

constexpr unsigned kTextureMenu = Menus({ListMenuKind::Texture});
constexpr unsigned kSoundMenu = Menus({ListMenuKind::Sound});
constexpr unsigned kAllListMenus =
    Menus({ListMenuKind::File, ListMenuKind::Texture, ListMenuKind::Sound});

using enum CommandId;
using P = CommandPlace;
using K = CommandKey;

constexpr bool kSeparator = true;
constexpr bool kNoSeparator = false;
constexpr bool kBuilt = true;

// Columns: id, place, name, text, key, list menus, separator before, built, rule, checked.
const Command kCommands[] = {
    {Import, P::Button, "import", "&Import...", K::None, 0, kNoSeparator, kBuilt, ArchiveOpen,
     nullptr},
    {Export, P::Button, "export", "&Export...", K::None, 0, kNoSeparator, kBuilt, ArchiveHasItems,
     nullptr},
    {About, P::Button, "about", "&About...", K::None, 0, kNoSeparator, kBuilt, Always, nullptr},
    {Open, P::Button, "open", "&Open", K::None, 0, kNoSeparator, kBuilt, Always, nullptr},
    {Patch, P::Button, "patch", "&Patch", K::None, 0, kNoSeparator, kBuilt, Always, nullptr},
    {Close, P::Button, "close", "&Close", K::None, 0, kNoSeparator, kBuilt, Always, nullptr},

    {OpenDatabase, P::OpenMenu, "open database", "Database", K::None, 0, kNoSeparator, kBuilt,
     Always, InDatabaseMode},
    {OpenFastfile, P::OpenMenu, "open fastfile", "Fastfile...", K::None, 0, kNoSeparator, kBuilt,
     Always, InFastfileMode},

    {PatchNew, P::PatchMenu, "patch new", "New", K::None, 0, kNoSeparator, kBuilt, Always, nullptr},
    {PatchOpen, P::PatchMenu, "patch open", "Open...", K::None, 0, kNoSeparator, kBuilt, Always,
     nullptr},
    {PatchInstall, P::PatchMenu, "patch install", "Install...", K::None, 0, kNoSeparator, kBuilt,
     Always, nullptr},

    // Inserting, renaming and deleting folders has no action in this suite; the entries and
    // their keys are there, as users know them.
    {FolderInsert, P::FolderMenu, "folder insert", "Insert", K::Insert, 0, kNoSeparator, kBuilt,
     Always, nullptr},
    {FolderRename, P::FolderMenu, "folder rename", "Rename", K::F2, 0, kNoSeparator, kBuilt, OnLeaf,
     nullptr},
    {FolderDelete, P::FolderMenu, "folder delete", "Delete", K::Delete, 0, kNoSeparator, kBuilt,
     OnLeafInDatabase, nullptr},
    {FolderRefresh, P::FolderMenu, "folder refresh", "Refresh", K::F5, 0, kSeparator, kBuilt,
     Always, nullptr},
    {FolderProperties, P::FolderMenu, "folder properties", "Properties...", K::Return, 0,
     kNoSeparator, kBuilt, OnLeaf, nullptr},

    {AddToPatch, P::ListMenu, "add to patch", "Add to Patch", K::Insert, kAllListMenus,
     kNoSeparator, kBuilt, AnyRowSelected, nullptr},
    {ItemRename, P::ListMenu, "item rename", "Rename", K::F2, kAllListMenus, kSeparator, kBuilt,
     OneRowSelected, nullptr},
    {ItemDelete, P::ListMenu, "item delete", "Delete", K::Delete, kAllListMenus, kNoSeparator,
     kBuilt, AnyRowSelected, nullptr},
    {ItemCopy, P::ListMenu, "item copy", "Copy", K::None, kAllListMenus, kSeparator, kBuilt,
     AnyRowSelected, nullptr},
    {ItemPaste, P::ListMenu, "item paste", "Paste", K::None, kAllListMenus, kNoSeparator, kBuilt,
     ClipboardHoldsItems, nullptr},
    {ItemRefresh, P::ListMenu, "item refresh", "Refresh", K::F5, kAllListMenus, kSeparator, kBuilt,
     Always, nullptr},
    {ItemProperties, P::ListMenu, "item properties", "Properties...", K::Return, kTextureMenu,
     kNoSeparator, kBuilt, OneRowSelected, nullptr},
    {ItemProperties, P::ListMenu, "item play", "Play", K::Return, kSoundMenu, kNoSeparator, kBuilt,
     OneRowSelected, nullptr},
};

const char* KeyName(CommandKey key) {
    switch (key) {
        case K::Insert:
            return "Ins";
        case K::Delete:
            return "Del";
        case K::F2:
            return "F2";
        case K::F5:
            return "F5";
        case K::Return:
            return "Return";
        case K::None:
            break;
    }
    return nullptr;
}

}  // namespace

ListMenuKind ListMenuFor(const FFLARCHIVE* currentArchive) {
    if (currentArchive == nullptr) {
        return ListMenuKind::None;
    }
    switch (suite::KindOfArchive(currentArchive)) {
        case suite::ItemKind::Image:
            return ListMenuKind::Texture;
        case suite::ItemKind::Sound:
            return ListMenuKind::Sound;
        case suite::ItemKind::Other:
            break;
    }
    return ListMenuKind::File;
}

std::span<const Command> Commands() {
    return kCommands;
}

std::vector<const Command*> CommandsIn(CommandPlace place, ListMenuKind kind) {
    std::vector<const Command*> found;
    for (const Command& command : kCommands) {
        const bool inMenu =
            place != P::ListMenu || (command.listMenus & (1u << static_cast<unsigned>(kind))) != 0;
        if (command.place == place && inMenu) {
            found.push_back(&command);
        }
    }
    return found;
}

const Command* CommandForKey(CommandPlace place, CommandKey key, ListMenuKind kind) {
    if (key == K::None) {
        return nullptr;
    }
    const Command* first = nullptr;
    for (const Command& command : kCommands) {
        if (command.place != place || command.key != key) {
            continue;
        }
        if ((command.listMenus & (1u << static_cast<unsigned>(kind))) != 0) {
            return &command;
        }
        if (first == nullptr) {
            first = &command;
        }
    }
    return first;
}

const Command* FindCommand(CommandId id) {
    for (const Command& command : kCommands) {
        if (command.id == id) {
            return &command;
        }
    }
    return nullptr;
}

bool IsEnabled(const Command& command, const CommandContext& context) {
    return command.built && command.rule(context);
}

std::string MenuText(const Command& command) {
    std::string text = command.text;
    if (const char* key = KeyName(command.key)) {
        text += '\t';
        text += key;
    }
    return text;
}

}  // namespace texbench
