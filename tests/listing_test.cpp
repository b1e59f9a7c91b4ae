// The order of long names that differ in letter case, punctuation and non-ASCII bytes anywhere
// along them, against keys made the plain way: case-folded text, then bytes.
#include <gtest/gtest.h>
#include <QLocale>
#include <QString>

#include <algorithm>
#include <string>
#include <vector>

#include "support.h"

namespace {

using test::TempFolder;
using test::Window;

TEST(Listing, OrdersLongNamesAsTheirCaseFoldedTextInTheCLocale) {
  TempFolder folder;
  // Neighbours of the capitals and of the small letters, a non-ASCII letter in both cases and
  // bytes that are not UTF-8, each at positions before, at and after an eight-byte boundary.
  const std::vector<std::string> pieces = {"@", "A", "a",        "Z",        "z",    "[", "`",
                                           "{", "_", "\xC3\x89", "\xC3\xA9", "\xFF", "~"};
  std::vector<std::string> names;
  for (const std::size_t at : {0u, 5u, 7u, 8u, 9u, 15u, 16u, 17u}) {
    for (const std::string& piece : pieces) {
      for (const char* tail : {"", "b", "B"}) {
        std::string name = std::string(at, 'm') + piece + tail;
        if (at > 3) name[3] = 'M';
        names.push_back(name + ".txt");
      }
    }
  }
  std::sort(names.begin(), names.end());
  names.erase(std::unique(names.begin(), names.end()), names.end());
  for (const std::string& name : names)
    folder.write(name);

  const auto key = [](const std::string& name) {
    return QString::fromUtf8(name).toCaseFolded().toStdString();
  };
  std::vector<std::string> expected = names;
  std::sort(expected.begin(), expected.end(), [&](const std::string& a, const std::string& b) {
    const std::string ka = key(a), kb = key(b);
    return ka != kb ? ka < kb : a < b;
  });

  const QLocale previous;
  QLocale::setDefault(QLocale::c());
  {
    Window window;
    EXPECT_EQ(window.form().FileChoice.entries(), expected);
  }
  QLocale::setDefault(previous);
}

}  // namespace
