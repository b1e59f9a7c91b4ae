// The two rules behind Clean: which names match the removal text, and what a name becomes.
#pragma once

#include <string_view>

#include "ui/platform/platform.h"

namespace clean {

// True when `lowerName` contains `lowerRemoval`; both already lower-cased, so letter case is
// ignored. An empty name matches nothing; an empty removal text matches every other name.
bool matches(std::u16string_view lowerName, std::u16string_view lowerRemoval);

// `name` with every exact-case occurrence of `removal` taken out, in one scan from the left:
// occurrences do not overlap, and text brought together by a removal is not scanned again
// ("aabb" less "ab" is "ab"). An empty removal text removes nothing.
platform::NativeName cleanedName(std::basic_string_view<platform::NativeChar> name,
                                 std::basic_string_view<platform::NativeChar> removal);

}  // namespace clean
