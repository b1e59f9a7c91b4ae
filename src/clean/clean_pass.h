// The walk behind the Clean button: which listed files to rename, and to what.
#pragma once

#include <vector>

#include "ui/platform/platform.h"

namespace clean {

struct Rename {
  platform::NativeName source;       // the bare name, as listed
  platform::NativeName destination;  // folder, separator, cleaned name
};

// One rename for every entry whose name contains `removal`, letter case ignored, in list order.
// Each entry is looked at once: the decision for one name never depends on another's rename.
std::vector<Rename> renamesFor(const platform::NameList& entries, const platform::Text& removal,
                               const platform::NativeName& folder);

}  // namespace clean
