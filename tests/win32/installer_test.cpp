// The Windows installer as a user meets it, in a Wine prefix made for these tests alone
// (installer_test.sh): what it puts where, the folder verb and its launcher, Apps & features,
// upgrades, and what an uninstall leaves behind.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, whose types they use.
#include <msi.h>
#include <objbase.h>
#include <shlobj.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "installer_support.h"

namespace {

namespace fs = std::filesystem;
using test::environment;
using test::knownFolder;
using test::msiexec;
using test::registryString;

const std::wstring kVersion = L"" NAMEWISP_VERSION;
const std::wstring kNextVersion = L"" NAMEWISP_NEXT_VERSION;
constexpr wchar_t kPublisher[] = L"The Namewisp developers";

std::wstring install(const wchar_t* package) {
  return L"/i \"" + environment(package) + L"\"";
}

std::wstring withoutBackslash(std::wstring path) {
  if (path.size() > 3 && path.ends_with(L'\\')) path.pop_back();
  return path;
}

std::wstring installFolder() {
  return knownFolder(FOLDERID_LocalAppData) + L"\\Programs\\Namewisp";
}

// The products of Namewisp's upgrade code that are installed.
std::vector<std::wstring> installedProducts() {
  std::vector<std::wstring> products;
  wchar_t product[39];
  for (DWORD i = 0;
       MsiEnumRelatedProductsW(L"" NAMEWISP_UPGRADE_CODE, 0, i, product) == ERROR_SUCCESS; ++i)
    products.push_back(product);
  return products;
}

std::wstring productInfo(const std::wstring& product, const wchar_t* property) {
  wchar_t value[1024] = L"";
  DWORD size = 1024;
  MsiGetProductInfoW(product.c_str(), property, value, &size);
  return value;
}

class Installer : public testing::Test {
 protected:
  // Whatever a test left installed goes, so that the next starts from nothing.
  void TearDown() override {
    for (const std::wstring& product : installedProducts())
      msiexec(L"/x " + product);
  }
};

TEST_F(Installer, PutsTheProgramItsStartMenuEntryAndItsFolderVerbsInPlace) {
  ASSERT_EQ(msiexec(install(L"NAMEWISP_MSI")), ERROR_SUCCESS);
  const std::wstring folder = installFolder() + L"\\";
  for (const wchar_t* file : {L"namewisp.exe", L"namewisp-launcher.exe", L"LICENSE.txt"})
    EXPECT_TRUE(fs::is_regular_file(folder + file)) << file;
  EXPECT_GE(test::iconCount(folder + L"namewisp.exe"), 1u) << "Explorer shows its icon";

  const auto shortcut = test::readShortcut(knownFolder(FOLDERID_Programs) + L"\\Namewisp.lnk");
  ASSERT_TRUE(shortcut.has_value()) << "the Start menu entry";
  EXPECT_EQ(shortcut->target, folder + L"namewisp.exe");
  EXPECT_EQ(shortcut->arguments, L"");
  EXPECT_EQ(withoutBackslash(shortcut->workingDirectory), knownFolder(FOLDERID_Profile))
      << "starts in the user's home folder";

  const std::wstring shell = L"Software\\Classes\\Directory\\shell\\Namewisp";
  const std::wstring background = L"Software\\Classes\\Directory\\Background\\shell\\Namewisp";
  const std::wstring command = L"\"" + folder + L"namewisp-launcher.exe\" \"%V\\.\"";
  struct Row {
    std::wstring key, name, value;
  };
  const Row rows[] = {
      {shell, L"", L"Clean names with Namewisp"},
      {shell, L"Icon", folder + L"namewisp.exe,0"},
      {shell, L"MultiSelectModel", L"Single"},
      {shell + L"\\command", L"", command},
      {background, L"", L"Clean names with Namewisp"},
      {background, L"Icon", folder + L"namewisp.exe,0"},
      {background + L"\\command", L"", command},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(registryString(HKEY_CURRENT_USER, row.key, row.name), row.value)
        << row.key << " [" << row.name << "]";
  }
}

TEST_F(Installer, ShowsInAppsAndFeaturesWithItsIconPublisherAndVersion) {
  ASSERT_EQ(msiexec(install(L"NAMEWISP_MSI")), ERROR_SUCCESS);
  const std::vector<std::wstring> products = installedProducts();
  ASSERT_EQ(products.size(), 1u);
  const std::wstring& product = products.front();
  EXPECT_EQ(productInfo(product, INSTALLPROPERTY_INSTALLEDPRODUCTNAME), L"Namewisp");
  EXPECT_EQ(productInfo(product, INSTALLPROPERTY_VERSIONSTRING), kVersion);
  EXPECT_EQ(productInfo(product, INSTALLPROPERTY_PUBLISHER), kPublisher);
  EXPECT_EQ(withoutBackslash(productInfo(product, INSTALLPROPERTY_INSTALLLOCATION)),
            installFolder());
  const std::wstring icon = productInfo(product, INSTALLPROPERTY_PRODUCTICON);
  EXPECT_GE(test::iconCount(icon), 1u) << icon;

  // The uninstall entry, where Wine keeps it; Windows keeps a per-user one in its own records.
  const std::wstring entry = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + product;
  const HKEY root =
      test::registryKeyExists(HKEY_CURRENT_USER, entry) ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
  EXPECT_EQ(registryString(root, entry, L"DisplayName"), L"Namewisp");
  EXPECT_EQ(registryString(root, entry, L"DisplayVersion"), kVersion);
  EXPECT_EQ(registryString(root, entry, L"Publisher"), kPublisher);
  EXPECT_NE(registryString(root, entry, L"UninstallString").value_or(L"").find(L"/X" + product),
            std::wstring::npos);
}

// A folder whose name needs quoting and holds letters of no single code page.
const std::wstring kFolderName = L"Fotos 2024 \u03b1\u03b2\u03b3 \u65e5\u672c";

TEST_F(Installer, FolderVerbStartsNamewispInThatFolder) {
  ASSERT_EQ(msiexec(install(L"NAMEWISP_MSI")), ERROR_SUCCESS);
  const std::wstring folder = environment(L"TEMP") + L"\\" + kFolderName;
  fs::create_directories(fs::path(folder) / L"subfolder");
  for (const wchar_t* name : {L"a_old.txt", L"\u03b2_old.jpg", L"notes.md"})
    std::ofstream(fs::path(folder) / name) << "x";
  // At a drive root Explorer's %V ends in a backslash.
  const std::wstring root = L"C:\\";
  std::ofstream(fs::path(root) / L"namewisp at the root.txt") << "x";

  struct Row {
    const wchar_t* verb;
    std::wstring folder;
  };
  for (const Row& row :
       {Row{L"Directory\\shell", folder}, Row{L"Directory\\Background\\shell", folder},
        Row{L"Directory\\Background\\shell", root}}) {
    SCOPED_TRACE(testing::Message() << row.verb << " on " << row.folder);
    const auto command = registryString(
        HKEY_CURRENT_USER, L"Software\\Classes\\" + std::wstring(row.verb) + L"\\Namewisp\\command",
        L"");
    ASSERT_TRUE(command.has_value());
    // As Explorer runs the verb: %V replaced by the folder's path.
    std::wstring line = *command;
    line.replace(line.find(L"%V"), 2, row.folder);
    test::Started launcher = test::startProcess(line);
    EXPECT_EQ(test::finish(launcher, 20000), 0u);

    const HWND window = test::waitForWindow(L"frmClean", 0, 20000);
    ASSERT_NE(window, nullptr) << "Namewisp's window";
    const std::set<std::wstring> expected = test::visibleFiles(row.folder);
    std::set<std::wstring> shown;
    for (const ULONGLONG end = GetTickCount64() + 10000; GetTickCount64() < end; Sleep(100)) {
      const std::vector<std::wstring> items = test::listBoxItems(window);
      shown = std::set<std::wstring>(items.begin(), items.end());
      if (shown == expected) break;
    }
    EXPECT_EQ(shown, expected) << "the list shows the folder's files";
    EXPECT_TRUE(test::closeAndWait(window));
  }
  fs::remove(fs::path(root) / L"namewisp at the root.txt");
}

TEST_F(Installer, LauncherSaysWhyWhenItIsNotGivenAFolder) {
  ASSERT_EQ(msiexec(install(L"NAMEWISP_MSI")), ERROR_SUCCESS);
  const std::wstring launcher = installFolder() + L"\\namewisp-launcher.exe";
  const std::wstring file = environment(L"TEMP") + L"\\" + kFolderName + L".txt";
  std::ofstream(fs::path(file)) << "x";
  const std::wstring missing = environment(L"TEMP") + L"\\" + kFolderName + L" (gone)";
  struct Row {
    std::wstring arguments, says;
  };
  for (const Row& row : {Row{L"\"" + file + L"\\.\"", L"\u201c" + file + L"\u201d is a file"},
                         Row{L"\"" + missing + L"\\.\"", L"cannot open \u201c" + missing},
                         Row{L"", L"the one folder it is given"}}) {
    SCOPED_TRACE(testing::Message() << row.arguments);
    test::Started process = test::startProcess(L"\"" + launcher + L"\" " + row.arguments);
    const HWND message = test::waitForWindow(L"#32770", process.id, 20000);
    ASSERT_NE(message, nullptr) << "a message";
    std::wstring text;
    for (const std::wstring& line : test::childTexts(message, L"Static"))
      text += line;
    EXPECT_NE(text.find(row.says), std::wstring::npos) << text;
    PostMessageW(message, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(test::finish(process, 10000), 1u);
    EXPECT_EQ(test::waitForWindow(L"frmClean", 0, 500), nullptr) << "no Namewisp started";
  }
}

TEST_F(Installer, NewerVersionReplacesAnOlderOneAndAnOlderOneIsRefused) {
  ASSERT_EQ(msiexec(install(L"NAMEWISP_MSI")), ERROR_SUCCESS);
  ASSERT_EQ(msiexec(install(L"NAMEWISP_NEXT_MSI")), ERROR_SUCCESS);
  std::vector<std::wstring> products = installedProducts();
  ASSERT_EQ(products.size(), 1u) << "the newer replaced the older";
  EXPECT_EQ(productInfo(products.front(), INSTALLPROPERTY_VERSIONSTRING), kNextVersion);
  EXPECT_TRUE(fs::is_regular_file(installFolder() + L"\\namewisp.exe"));
  EXPECT_TRUE(test::registryKeyExists(HKEY_CURRENT_USER,
                                      L"Software\\Classes\\Directory\\shell\\Namewisp\\command"));

  EXPECT_EQ(msiexec(install(L"NAMEWISP_MSI")), static_cast<DWORD>(ERROR_INSTALL_FAILURE));
  products = installedProducts();
  ASSERT_EQ(products.size(), 1u);
  EXPECT_EQ(productInfo(products.front(), INSTALLPROPERTY_VERSIONSTRING), kNextVersion);
}

// The user's files and registry: the profile but its temporary folder, HKEY_CURRENT_USER's
// Software, and the uninstall entries.
std::set<std::wstring> userState() {
  const std::wstring temporary = fs::path(environment(L"TEMP")).wstring();
  std::set<std::wstring> state;
  for (const std::wstring& path : test::treeOf(knownFolder(FOLDERID_Profile))) {
    if (!path.starts_with(temporary)) state.insert(path);
  }
  state.merge(test::registryTreeOf(HKEY_CURRENT_USER, L"Software"));
  state.merge(test::registryTreeOf(HKEY_LOCAL_MACHINE,
                                   L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall"));
  // The places Windows Installer keeps its own records in, made by the first install and left
  // empty by an uninstall; what is in them still counts.
  const std::wstring records = L"Software\\Microsoft\\Installer";
  for (const std::wstring& place :
       {knownFolder(FOLDERID_RoamingAppData) + L"\\Microsoft\\Installer", records,
        records + L"\\Features", records + L"\\Products", records + L"\\UpgradeCodes"})
    state.erase(place);
  return state;
}

// As the prefix was before any test ran.
std::set<std::wstring> freshState;

std::wstring difference(const std::set<std::wstring>& a, const std::set<std::wstring>& b) {
  std::vector<std::wstring> lines;
  std::set_difference(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(lines));
  std::wstring text;
  for (const std::wstring& line : lines)
    text += L"\n  " + line;
  return text;
}

// Compared with the prefix as it was before any install, so nothing an earlier test's install
// left behind goes unseen.
TEST_F(Installer, UninstallAfterAnUpgradeLeavesNothingBehind) {
  const std::set<std::wstring>& before = freshState;
  ASSERT_EQ(msiexec(install(L"NAMEWISP_MSI")), ERROR_SUCCESS);
  ASSERT_EQ(msiexec(install(L"NAMEWISP_NEXT_MSI")), ERROR_SUCCESS);
  ASSERT_NE(userState(), before);
  ASSERT_EQ(msiexec(L"/x \"" + environment(L"NAMEWISP_NEXT_MSI") + L"\""), ERROR_SUCCESS);
  EXPECT_TRUE(installedProducts().empty());
  const std::set<std::wstring> after = userState();
  EXPECT_EQ(difference(after, before), L"") << "left behind";
  EXPECT_EQ(difference(before, after), L"") << "taken away";
}

}  // namespace

int main(int argc, char** argv) {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);  // for the shell's shortcut objects
  testing::InitGoogleTest(&argc, argv);
  freshState = userState();
  return RUN_ALL_TESTS();
}
