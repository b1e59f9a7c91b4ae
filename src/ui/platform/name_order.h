// The order a file manager lists names in, shared by the backends: each supplies the user's
// locale as a byte sort key per name; this does the rest. Internal to src/ui/platform/.
#pragma once

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "ui/platform/platform.h"

namespace platform {

// `names` sorted by `keyOf(name)`, a byte string compared as memory; names whose keys are equal
// follow in native order (bytes, or UTF-16 code units), so the order is total and stable.
template <class KeyOf>
std::vector<NativeName> sortedByKey(std::vector<NativeName> names, KeyOf keyOf) {
  struct Keyed {
    std::string key;
    std::size_t index;
  };
  std::vector<Keyed> keyed;
  keyed.reserve(names.size());
  for (std::size_t i = 0; i < names.size(); ++i)
    keyed.push_back({keyOf(names[i]), i});
  std::sort(keyed.begin(), keyed.end(), [&](const Keyed& a, const Keyed& b) {
    const int byKey = a.key.compare(b.key);
    return byKey != 0 ? byKey < 0 : names[a.index] < names[b.index];
  });

  std::vector<NativeName> sorted;
  sorted.reserve(names.size());
  for (const Keyed& k : keyed)
    sorted.push_back(std::move(names[k.index]));
  return sorted;
}

}  // namespace platform
