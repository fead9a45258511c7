#pragma once

// Where dialog templates and small raw-data resources come from. There are no resource sections
// here: a module is a table of templates and a map of raw data blocks by id, made by the program.
// A null module means the process-wide default module (SetDefaultResModule).

#include <zent/bctrl/Export.h>
#include <zent/platform/DialogTemplate.h>
#include <zent/platform/Types.h>

#include <map>
#include <span>
#include <vector>

namespace zent {

struct CResModule {
    std::span<const DialogTemplate> templates;
    // The raw-data resources (resource type 10) by id.
    std::map<UINT, std::vector<BYTE>> rawData;
};
using HINSTANCE = const CResModule*;

// The module that a null HINSTANCE stands for; the caller keeps it alive. GUI thread only.
ZENT_BCTRL_API void SetDefaultResModule(HINSTANCE module);
ZENT_BCTRL_API HINSTANCE GetDefaultResModule();
// The template with id nID in module (null: the default), or null.
ZENT_BCTRL_API const DialogTemplate* FindResTemplate(HINSTANCE module, UINT nID);

} // namespace zent
