#include "patchbench/engine/profile_settings.h"

#include "inidoc/ini_document.h"

namespace patchbench {

int ProfileSettings::Read(const suite::IntSetting& setting) const {
    CIniDocument document;
    if (!document.Load(path_)) {
        return setting.defaultValue;
    }
    return suite::ReadInt(document, setting);
}

bool ProfileSettings::Write(const suite::IntSetting& setting, int value) const {
    CIniDocument document;
    document.Load(path_);  // a missing file is made
    document.SetInt(setting.section, setting.key, value);
    return document.Save(path_);
}

}  // namespace patchbench
