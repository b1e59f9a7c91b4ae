#include "clean/clean_pass.h"

#include "clean/names.h"

namespace clean {

std::vector<Rename> renamesFor(const platform::NameList& entries, const platform::Text& removal,
                               const platform::NativeName& folder) {
  const platform::Text lowerRemoval = platform::toLower(removal);
  const platform::NativeName nativeRemoval = platform::toNative(removal);
  platform::NativeName prefix = folder;
  if (prefix.empty() || prefix.back() != platform::kPathSeparator) {
    prefix += platform::kPathSeparator;
  }

  std::vector<Rename> renames;
  for (const platform::NameList::Name entry : entries) {
    if (!matches(platform::toLower(platform::toText(entry)), lowerRemoval)) continue;
    renames.push_back({platform::NativeName(entry), prefix + cleanedName(entry, nativeRemoval)});
  }
  return renames;
}

}  // namespace clean
