#include "installer_support.h"

#include <shellapi.h>
#include <shlobj.h>

#include <filesystem>

namespace test {

namespace {

bool sameClass(HWND window, const wchar_t* className) {
  wchar_t name[256];
  const int length = GetClassNameW(window, name, 256);
  return CompareStringOrdinal(name, length, className, -1, TRUE) == CSTR_EQUAL;
}

std::wstring textOf(HWND window) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length))
    return {};
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                      SMTO_ABORTIFHUNG, 5000, &copied);
  text.resize(copied);
  return text;
}

}  // namespace

Started startProcess(std::wstring commandLine) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process))
    return {};
  CloseHandle(process.hThread);
  return {process.dwProcessId, process.hProcess};
}

std::optional<DWORD> finish(Started& process, DWORD timeoutMs) {
  if (process.handle == nullptr) return std::nullopt;
  std::optional<DWORD> result;
  if (WaitForSingleObject(process.handle, timeoutMs) == WAIT_OBJECT_0) {
    DWORD code = 0;
    GetExitCodeProcess(process.handle, &code);
    result = code;
  } else {
    TerminateProcess(process.handle, 1);
    WaitForSingleObject(process.handle, 5000);
  }
  CloseHandle(process.handle);
  process.handle = nullptr;
  return result;
}

DWORD msiexec(const std::wstring& arguments) {
  Started process = startProcess(L"msiexec.exe /qn " + arguments);
  return finish(process, 120000).value_or(ERROR_TIMEOUT);
}

std::wstring environment(const wchar_t* name) {
  std::wstring value(GetEnvironmentVariableW(name, nullptr, 0), L'\0');
  value.resize(GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size())));
  return value;
}

std::wstring knownFolder(const GUID& folder) {
  wchar_t* path = nullptr;
  std::wstring result;
  if (SUCCEEDED(SHGetKnownFolderPath(folder, 0, nullptr, &path))) result = path;
  CoTaskMemFree(path);
  return result;
}

std::optional<std::wstring> registryString(HKEY root, const std::wstring& key,
                                           const std::wstring& name) {
  const wchar_t* value = name.empty() ? nullptr : name.c_str();
  constexpr DWORD kText = RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND;
  DWORD size = 0;
  if (RegGetValueW(root, key.c_str(), value, kText, nullptr, nullptr, &size) != ERROR_SUCCESS)
    return std::nullopt;
  std::wstring text(size / sizeof(wchar_t), L'\0');
  if (RegGetValueW(root, key.c_str(), value, kText, nullptr, text.data(), &size) != ERROR_SUCCESS)
    return std::nullopt;
  text.resize(size / sizeof(wchar_t) - 1);  // without the closing zero
  return text;
}

bool registryKeyExists(HKEY root, const std::wstring& key) {
  HKEY opened = nullptr;
  if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
  RegCloseKey(opened);
  return true;
}

std::optional<Shortcut> readShortcut(const std::wstring& path) {
  IShellLinkW* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(&link))))
    return std::nullopt;
  std::optional<Shortcut> result;
  IPersistFile* file = nullptr;
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
      SUCCEEDED(file->Load(path.c_str(), STGM_READ))) {
    wchar_t target[MAX_PATH] = L"", arguments[1024] = L"", folder[MAX_PATH] = L"";
    link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH);
    link->GetArguments(arguments, 1024);
    link->GetWorkingDirectory(folder, MAX_PATH);
    result = Shortcut{target, arguments, folder};
  }
  if (file != nullptr) file->Release();
  link->Release();
  return result;
}

UINT iconCount(const std::wstring& file) {
  return ExtractIconExW(file.c_str(), -1, nullptr, nullptr, 0);
}

HWND waitForWindow(const wchar_t* className, DWORD processId, DWORD timeoutMs) {
  struct Search {
    const wchar_t* className;
    DWORD processId;
    HWND found;
  } search{className, processId, nullptr};
  for (const ULONGLONG end = GetTickCount64() + timeoutMs; GetTickCount64() < end; Sleep(100)) {
    EnumWindows(
        [](HWND window, LPARAM parameter) {
          auto& wanted = *reinterpret_cast<Search*>(parameter);
          DWORD owner = 0;
          GetWindowThreadProcessId(window, &owner);
          const bool process =
              wanted.processId != 0 ? owner == wanted.processId : owner != GetCurrentProcessId();
          if (!process || !IsWindowVisible(window) || !sameClass(window, wanted.className))
            return TRUE;
          wanted.found = window;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    if (search.found != nullptr) return search.found;
  }
  return nullptr;
}

std::vector<std::wstring> childTexts(HWND window, const wchar_t* className) {
  struct Search {
    const wchar_t* className;
    std::vector<std::wstring> texts;
  } search{className, {}};
  EnumChildWindows(
      window,
      [](HWND child, LPARAM parameter) {
        auto& wanted = *reinterpret_cast<Search*>(parameter);
        if (sameClass(child, wanted.className)) wanted.texts.push_back(textOf(child));
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.texts;
}

std::vector<std::wstring> listBoxItems(HWND window) {
  const HWND list = FindWindowExW(window, nullptr, L"ListBox", nullptr);
  std::vector<std::wstring> items;
  if (list == nullptr) return items;
  const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    std::wstring item(static_cast<std::size_t>(SendMessageW(list, LB_GETTEXTLEN, i, 0)), L'\0');
    SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(item.data()));
    items.push_back(item);
  }
  return items;
}

bool closeAndWait(HWND window) {
  DWORD id = 0;
  GetWindowThreadProcessId(window, &id);
  const HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, id);
  PostMessageW(window, WM_CLOSE, 0, 0);
  const bool ended = process != nullptr && WaitForSingleObject(process, 10000) == WAIT_OBJECT_0;
  if (!ended && process != nullptr) TerminateProcess(process, 1);
  if (process != nullptr) CloseHandle(process);
  return ended;
}

std::set<std::wstring> visibleFiles(const std::wstring& folder) {
  std::set<std::wstring> names;
  WIN32_FIND_DATAW found;
  const std::wstring separator = folder.ends_with(L'\\') ? L"" : L"\\";
  const HANDLE search = FindFirstFileW((folder + separator + L"*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  constexpr DWORD kHidden =
      FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  do {
    if ((found.dwFileAttributes & kHidden) == 0) names.insert(found.cFileName);
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return names;
}

std::set<std::wstring> treeOf(const std::wstring& folder) {
  namespace fs = std::filesystem;
  std::set<std::wstring> lines;
  std::error_code error;
  for (fs::recursive_directory_iterator
           entry(folder, fs::directory_options::skip_permission_denied, error),
       end;
       entry != end; entry.increment(error))
    lines.insert(entry->path().wstring());
  return lines;
}

std::set<std::wstring> registryTreeOf(HKEY root, const std::wstring& key) {
  std::set<std::wstring> lines;
  HKEY opened = nullptr;
  if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return lines;
  lines.insert(key);
  wchar_t name[16384];
  std::vector<BYTE> data(65536);
  for (DWORD i = 0;; ++i) {
    DWORD nameLength = 16384, type = 0, size = static_cast<DWORD>(data.size());
    if (RegEnumValueW(opened, i, name, &nameLength, nullptr, &type, data.data(), &size) !=
        ERROR_SUCCESS)
      break;
    std::wstring line = key + L" [" + name + L"] =";
    for (DWORD byte = 0; byte < size; ++byte)
      line += L' ' + std::to_wstring(data[byte]);
    lines.insert(line);
  }
  for (DWORD i = 0;; ++i) {
    DWORD nameLength = 16384;
    if (RegEnumKeyExW(opened, i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS)
      break;
    lines.merge(registryTreeOf(root, key + L"\\" + name));
  }
  RegCloseKey(opened);
  return lines;
}

}  // namespace test
