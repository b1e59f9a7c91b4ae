// The files of a folder in a file manager's order, for Qt on POSIX: by the user's locale through
// ICU sort keys, letter case ignored; in the C locale by case-folded code point.
#include <QLocale>
#include <QString>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include <unicode/ucol.h>

#include "ui/platform/platform.h"
#include "ui/platform/posix/posix_files.h"
#include "ui/platform/qt/qt_text.h"

namespace platform {

namespace {

bool isAscii(std::string_view name) {
  return std::all_of(name.begin(), name.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

unsigned char lowerAscii(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u >= 'A' && u <= 'Z' ? static_cast<unsigned char>(u + ('a' - 'A')) : u;
}

// Eight bytes with their ASCII capitals lowered; bytes from 0x80 up stay as they are.
std::uint64_t lowerAscii8(std::uint64_t x) {
  constexpr std::uint64_t kOnes = 0x0101010101010101;
  constexpr std::uint64_t kHigh = 0x8080808080808080;
  const std::uint64_t seven = x & ~kHigh;
  const std::uint64_t fromA = (seven + (0x80 - 'A') * kOnes) & kHigh;
  const std::uint64_t pastZ = (seven + (0x80 - 'Z' - 1) * kOnes) & kHigh;
  const std::uint64_t capital = fromA & ~pastZ & ~x;
  return x | (capital >> 2);  // 0x80 >> 2 is the case bit
}

std::uint64_t load8(const char* p) {
  std::uint64_t x;
  std::memcpy(&x, p, sizeof x);
  return x;
}

// Compares as the ASCII-lowered copies would compare, as unsigned bytes, without making them;
// eight bytes at a time, since the names of a large folder tend to share long beginnings.
int compareLowered(std::string_view a, std::string_view b) {
  const std::size_t common = std::min(a.size(), b.size());
  std::size_t i = 0;
  if constexpr (std::endian::native == std::endian::little) {
    for (; i + 8 <= common; i += 8) {
      const std::uint64_t x = lowerAscii8(load8(a.data() + i));
      const std::uint64_t y = lowerAscii8(load8(b.data() + i));
      if (x != y) {
        // The first differing byte decides: in little-endian order, the lowest.
        const int at = std::countr_zero(x ^ y) / 8 * 8;
        return ((x >> at) & 0xFF) < ((y >> at) & 0xFF) ? -1 : 1;
      }
    }
  }
  for (; i < common; ++i) {
    const unsigned char x = lowerAscii(a[i]);
    const unsigned char y = lowerAscii(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

// Sort keys as plain bytes, so that sorting a large folder compares memory and nothing else.
class NameCollator {
 public:
  NameCollator() {
    const QLocale locale;  // the user's
    if (locale.language() == QLocale::C) return;
    UErrorCode status = U_ZERO_ERROR;
    collator_ = ucol_open(locale.name().toUtf8().constData(), &status);
    if (U_FAILURE(status)) {
      collator_ = nullptr;
      return;
    }
    ucol_setStrength(collator_, UCOL_SECONDARY);  // letter case ignored, accents not
  }
  ~NameCollator() {
    if (collator_ != nullptr) ucol_close(collator_);
  }
  NameCollator(const NameCollator&) = delete;
  NameCollator& operator=(const NameCollator&) = delete;

  // Without ICU, in the C locale, the key is the case-folded name in UTF-8, which sorts in
  // code point order; for an ASCII name that is the name with its letters lowered.
  bool usesIcu() const { return collator_ != nullptr; }

  // Appends the key of `name` to `keys`.
  void appendKey(NameList::Name name, std::string& keys) const {
    const QString folded = qt::fromNative(name).toCaseFolded();
    if (collator_ == nullptr) {
      keys += folded.toStdString();
      return;
    }
    const auto* text = reinterpret_cast<const UChar*>(folded.utf16());
    const auto length = static_cast<std::int32_t>(folded.size());
    const std::size_t start = keys.size();
    std::size_t room = static_cast<std::size_t>(length) * 2 + 16;
    for (;;) {
      keys.resize(start + room);
      const std::int32_t size =
          ucol_getSortKey(collator_, text, length, reinterpret_cast<std::uint8_t*>(&keys[start]),
                          static_cast<std::int32_t>(room));
      if (static_cast<std::size_t>(size) <= room) {
        keys.resize(start + static_cast<std::size_t>(size));
        return;
      }
      room = static_cast<std::size_t>(size);
    }
  }

 private:
  UCollator* collator_ = nullptr;
};

}  // namespace

NameList listFiles(const NativeName& folder) {
  NameList names = posix::readFileNames(folder);
  const NameCollator collator;

  // Every key in one block, so that a large folder's keys cost their bytes and no more. In the
  // C locale an ASCII name is its own key, lowered as it is compared.
  constexpr std::uint32_t kItself = UINT32_MAX;
  struct KeyAt {
    std::uint32_t start, length;
  };
  std::string keys;
  std::vector<KeyAt> keyAt(names.size());
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (!collator.usesIcu() && isAscii(names[i])) {
      keyAt[i] = {kItself, 0};
      continue;
    }
    const std::size_t start = keys.size();
    collator.appendKey(names[i], keys);
    keyAt[i] = {static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(keys.size() - start)};
  }
  const auto keyOf = [&](std::uint32_t i) {
    const KeyAt at = keyAt[i];
    return at.start == kItself ? names[i] : std::string_view(keys).substr(at.start, at.length);
  };

  // Names whose keys are equal follow in byte order, so the order is total and stable.
  if (collator.usesIcu()) {
    names.sortIndexes([&](std::uint32_t a, std::uint32_t b) {
      const int byKey = keyOf(a).compare(keyOf(b));
      return byKey != 0 ? byKey < 0 : names[a] < names[b];
    });
  } else {
    // Lowering ASCII letters leaves a case-folded key as it is, so one comparison serves both
    // kinds of key.
    names.sortIndexes([&](std::uint32_t a, std::uint32_t b) {
      const int byKey = compareLowered(keyOf(a), keyOf(b));
      return byKey != 0 ? byKey < 0 : names[a] < names[b];
    });
  }
  return names;
}

}  // namespace platform
