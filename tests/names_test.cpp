#include "clean/names.h"

#include <gtest/gtest.h>
#include <QLocale>

#include "clean/clean_pass.h"

namespace {

using platform::NativeName;

TEST(CleanedName, RemovesExactCaseOccurrencesInOneScanFromTheLeft) {
  struct Case {
    const char* name;
    const char* removal;
    const char* cleaned;
  };
  const Case cases[] = {
      {"a_old.txt", "_old", "a.txt"},
      {"x_old.txt", "OLD", "x_old.txt"},       // only another case: nothing goes
      {"x_OLD_old.txt", "_old", "x_OLD.txt"},  // both cases: only the exact one goes
      {"aabb", "ab", "ab"},                    // text brought together is not scanned again
      {"aaaa", "aa", ""},
      {"aaa", "aa", "a"},  // no overlap
      {"report", "report", ""},
      {"b.txt", "", "b.txt"},
      {"", "x", ""},
      {"old_old_old", "old", "__"},
      {"caf\xC3\xA9 menu", "\xC3\xA9", "caf menu"},
      {"bad\xFF_old\xFE", "_old", "bad\xFF\xFE"},  // bytes that are not UTF-8 survive
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name) + " less " + c.removal);
    EXPECT_EQ(clean::cleanedName(c.name, c.removal), c.cleaned);
  }
}

TEST(Matches, IgnoresCaseAndNeedsANonEmptyName) {
  EXPECT_TRUE(clean::matches(u"x_old.txt", u"old"));
  EXPECT_FALSE(clean::matches(u"b.txt", u"_old"));
  EXPECT_TRUE(clean::matches(u"b.txt", u""));
  EXPECT_FALSE(clean::matches(u"", u""));
  EXPECT_FALSE(clean::matches(u"", u"x"));
}

std::vector<std::string> renamed(std::vector<NativeName> entries, const platform::Text& removal) {
  std::vector<std::string> out;
  for (const clean::Rename& r : clean::renamesFor(entries, removal, "/f")) {
    out.push_back(r.source + " -> " + r.destination);
  }
  return out;
}

TEST(RenamesFor, PicksMatchesCaseBlindAndNamesThemInTheListedFolder) {
  EXPECT_EQ(renamed({"a_old.txt", "b.txt", "C_OLD.txt"}, u"_old"),
            (std::vector<std::string>{"a_old.txt -> /f/a.txt", "C_OLD.txt -> /f/C_OLD.txt"}));
  EXPECT_EQ(renamed({"x", "y"}, u""), (std::vector<std::string>{"x -> /f/x", "y -> /f/y"}));
  EXPECT_EQ(renamed({"report"}, u"report"), (std::vector<std::string>{"report -> /f/"}));
  // The root folder already ends in its separator.
  EXPECT_EQ(clean::renamesFor(std::vector<NativeName>{"a1"}, u"1", "/").front().destination, "/a");
}

TEST(RenamesFor, LowerCasesByTheUsersLocale) {
  const QLocale previous;
  QLocale::setDefault(QLocale(QLocale::Turkish));
  // Turkish: "I" lowers to dotless "ı", and dotted "İ" to "i".
  EXPECT_EQ(renamed({"kır.txt", "kir.txt"}, u"I"),
            (std::vector<std::string>{"kır.txt -> /f/kır.txt"}));
  EXPECT_EQ(renamed({"kir.txt", "kır.txt"}, u"İ"),
            (std::vector<std::string>{"kir.txt -> /f/kir.txt"}));
  QLocale::setDefault(QLocale(QLocale::German));
  // Capital sharp s lowers to ß; the removal itself compares exactly.
  EXPECT_EQ(renamed({"Straße", "STRAẞE", "strasse"}, u"ẞ"),
            (std::vector<std::string>{"Straße -> /f/Straße", "STRAẞE -> /f/STRAE"}));
  QLocale::setDefault(previous);
}

TEST(RenamesFor, MatchesNamesThatAreNotUtf8) {
  const auto renames = clean::renamesFor(std::vector<NativeName>{"\xFF\xFEold_x"}, u"OLD_", "/f");
  ASSERT_EQ(renames.size(), 1u);
  EXPECT_EQ(renames[0].destination, "/f/\xFF\xFEold_x");
  const auto exact = clean::renamesFor(std::vector<NativeName>{"\xFF\xFEold_x"}, u"old_", "/f");
  ASSERT_EQ(exact.size(), 1u);
  EXPECT_EQ(exact[0].destination, "/f/\xFF\xFEx");
}

}  // namespace
