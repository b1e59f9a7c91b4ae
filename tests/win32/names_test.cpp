// The name rules on Windows, where a native name is UTF-16 and lower-casing is the system's.
#include "clean/names.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "clean/clean_pass.h"

namespace {

using platform::NativeName;

std::string traced(const std::wstring& text) {
  std::string out;
  for (const wchar_t c : text) {
    out += c < 0x80 ? std::string(1, static_cast<char>(c)) : "\\u" + std::to_string(int{c});
  }
  return out;
}

TEST(CleanedName, RemovesExactCaseOccurrencesInOneScanFromTheLeft) {
  struct Case {
    const wchar_t* name;
    const wchar_t* removal;
    const wchar_t* cleaned;
  };
  const Case cases[] = {
      {L"a_old.txt", L"_old", L"a.txt"},
      {L"x_old.txt", L"OLD", L"x_old.txt"},       // only another case: nothing goes
      {L"x_OLD_old.txt", L"_old", L"x_OLD.txt"},  // both cases: only the exact one goes
      {L"aabb", L"ab", L"ab"},                    // text brought together is not scanned again
      {L"aaaa", L"aa", L""},
      {L"aaa", L"aa", L"a"},  // no overlap
      {L"b.txt", L"", L"b.txt"},
      {L"", L"x", L""},
      {L"αρχείο_παλιό.txt", L"_παλιό", L"αρχείο.txt"},
      {L"報告_old.txt", L"_old", L"報告.txt"},
      {L"bad\xD800_old\xDC00", L"_old", L"bad\xD800\xDC00"},  // unpaired surrogates survive
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(traced(c.name) + " less " + traced(c.removal));
    EXPECT_EQ(clean::cleanedName(c.name, c.removal), c.cleaned);
  }
}

std::vector<std::wstring> renamed(std::vector<NativeName> entries, const platform::Text& removal,
                                  const NativeName& folder = L"C:\\f") {
  std::vector<std::wstring> out;
  for (const clean::Rename& r : clean::renamesFor(entries, removal, folder)) {
    out.push_back(r.source + L" -> " + r.destination);
  }
  return out;
}

TEST(RenamesFor, PicksMatchesCaseBlindAndNamesThemInTheListedFolder) {
  struct Case {
    std::vector<NativeName> entries;
    const char16_t* removal;
    std::vector<std::wstring> renames;
  };
  const Case cases[] = {
      {{L"a_old.txt", L"b.txt", L"C_OLD.txt"},
       u"_old",
       {L"a_old.txt -> C:\\f\\a.txt", L"C_OLD.txt -> C:\\f\\C_OLD.txt"}},
      {{L"x", L"y"}, u"", {L"x -> C:\\f\\x", L"y -> C:\\f\\y"}},
      {{L"report"}, u"report", {L"report -> C:\\f\\"}},
      // The system's lower-casing reaches beyond ASCII.
      {{L"ΑΡΧΕΙΟ_ΠΑΛΙΟ.txt", L"αρχείο.txt"},
       u"_παλιο",
       {L"ΑΡΧΕΙΟ_ΠΑΛΙΟ.txt -> C:\\f\\ΑΡΧΕΙΟ_ΠΑΛΙΟ.txt"}},
      {{L"ДОКУМЕНТ_Old.txt"}, u"_old", {L"ДОКУМЕНТ_Old.txt -> C:\\f\\ДОКУМЕНТ_Old.txt"}},
      {{L"документ_old.txt"}, u"_OLD", {L"документ_old.txt -> C:\\f\\документ_old.txt"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(traced(platform::toNative(c.removal)));
    EXPECT_EQ(renamed(c.entries, c.removal), c.renames);
  }
  // A drive's root already ends in its separator.
  EXPECT_EQ(renamed({L"a1"}, u"1", L"C:\\"), std::vector<std::wstring>{L"a1 -> C:\\a"});
}

TEST(ToLower, LowersByTheSystemAndKeepsWhatHasNoCase) {
  struct Case {
    const char16_t* text;
    const char16_t* lower;
  };
  const Case cases[] = {
      {u"", u""},       {u"ABC_Old.TXT", u"abc_old.txt"}, {u"ΑΡΧΕΙΟ", u"αρχειο"},
      {u"ÄÖÜ", u"äöü"}, {u"ДОКУМЕНТ", u"документ"},       {u"報告 123 _-.", u"報告 123 _-."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(traced(platform::toNative(c.text)));
    EXPECT_EQ(platform::toLower(c.text), c.lower);
  }
}

TEST(NativeNames, AreTheTextUnchanged) {
  const std::u16string text = u"αρχείο 報告 😀 \xD800";
  EXPECT_EQ(platform::toText(platform::toNative(text)), text);
  EXPECT_EQ(platform::toNative(text).size(), text.size());
  EXPECT_EQ(platform::kPathSeparator, L'\\');
}

}  // namespace
