#include "suite/sound_item.h"

#include <span>

#include "platform/sound.h"
#include "suite/item_kind.h"

namespace suite {

void PlaySoundItem(const FFLITEM* item) {
    if (KindOfItem(item) != ItemKind::Sound) {
        return;
    }
    qm::PlaySoundFromMemory(std::span<const std::uint8_t>(item->lpData, item->dwSize), false);
}

}  // namespace suite
