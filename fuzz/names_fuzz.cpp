// Fuzzes the two name rules with any bytes. The cleaned name is checked against a model written
// the slow, obvious way; the case-blind match must survive any input, valid text or not.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "clean/names.h"
#include "ui/platform/platform.h"

namespace {

// One scan from the left, a character at a time: at each place either the whole removal text
// starts there and is skipped, or one character is kept.
std::string model(const std::string& name, const std::string& removal) {
  if (removal.empty()) return name;
  std::string kept;
  std::size_t at = 0;
  while (at < name.size()) {
    if (name.compare(at, removal.size(), removal) == 0) {
      at += removal.size();
    } else {
      kept += name[at++];
    }
  }
  return kept;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  // The first byte says how much of the rest is the removal text; the remainder is the name.
  const std::size_t removalSize = std::min<std::size_t>(data[0] % 16, size - 1);
  const std::string removal(reinterpret_cast<const char*>(data + 1), removalSize);
  const std::string name(reinterpret_cast<const char*>(data + 1 + removalSize),
                         size - 1 - removalSize);

  if (clean::cleanedName(name, removal) != model(name, removal)) std::abort();
  if (clean::cleanedName(name, "") != name) std::abort();

  const platform::Text lowerName = platform::toLower(platform::toText(name));
  const platform::Text lowerRemoval = platform::toLower(platform::toText(removal));
  if (clean::matches(lowerName, lowerRemoval) && name.empty()) std::abort();
  // The same bytes read as UTF-16, lone surrogates and all.
  const platform::Text odd(reinterpret_cast<const char16_t*>(data), size / 2);
  (void)clean::matches(platform::toLower(odd), lowerRemoval);
  (void)platform::cutToLength(odd, 60);
  return 0;
}
