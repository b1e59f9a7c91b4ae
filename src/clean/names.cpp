#include "clean/names.h"

namespace clean {

bool matches(std::u16string_view lowerName, std::u16string_view lowerRemoval) {
  return !lowerName.empty() && lowerName.find(lowerRemoval) != std::u16string_view::npos;
}

platform::NativeName cleanedName(std::basic_string_view<platform::NativeChar> name,
                                 std::basic_string_view<platform::NativeChar> removal) {
  if (removal.empty()) return platform::NativeName(name);
  platform::NativeName cleaned;
  cleaned.reserve(name.size());
  std::size_t kept = 0;  // start of the text not yet copied
  for (std::size_t at = name.find(removal); at != name.npos; at = name.find(removal, kept)) {
    cleaned.append(name.substr(kept, at - kept));
    kept = at + removal.size();
  }
  cleaned.append(name.substr(kept));
  return cleaned;
}

}  // namespace clean
