// namewisp-launcher.exe, what Explorer's "Clean names with Namewisp" runs with the folder it was
// used on: starts namewisp.exe, which lies beside it, with that folder as its working directory,
// since the program itself reads no command line. Anything that is not a folder gets a message
// saying why, and no program. Wide characters throughout, so a path may hold any character.
#include <windows.h>
// After windows.h, whose types it uses.
#include <shellapi.h>

#include <string>

namespace {

constexpr wchar_t kCaption[] = L"Namewisp";

// The system's text for an error code, without its closing line break.
std::wstring systemMessage(DWORD error) {
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring message(text != nullptr ? text : L"", length);
  LocalFree(text);
  while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r'))
    message.pop_back();
  return message.empty() ? L"Error " + std::to_wstring(error) + L"." : message;
}

int refuse(const std::wstring& message) {
  MessageBoxW(nullptr, message.c_str(), kCaption, MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
  return 1;
}

// "." and ".." resolved: Explorer's "C:\Photos\." is "C:\Photos", and "C:\." is "C:\".
std::wstring fullPath(const std::wstring& path) {
  const DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (size == 0) return path;
  std::wstring full(size, L'\0');
  full.resize(GetFullPathNameW(path.c_str(), size, full.data(), nullptr));
  return full;
}

// The folder this launcher lies in, with its closing backslash; no length limit.
std::wstring ownFolder() {
  std::wstring path(MAX_PATH, L'\0');
  DWORD length;
  while ((length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()))) ==
         path.size())
    path.resize(path.size() * 2);
  path.resize(length);
  return path.substr(0, path.find_last_of(L'\\') + 1);
}

int start(const std::wstring& given) {
  const std::wstring folder = fullPath(given);
  const DWORD attributes = GetFileAttributesW(folder.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    return refuse(L"Namewisp cannot open \u201c" + folder + L"\u201d.\n\n" +
                  systemMessage(GetLastError()));
  }
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    return refuse(L"\u201c" + folder +
                  L"\u201d is a file, not a folder.\n\nNamewisp cleans the names of the files in "
                  L"a folder: use it on the folder that holds them.");
  }
  const std::wstring program = ownFolder() + L"namewisp.exe";
  std::wstring commandLine = L"\"" + program + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder.c_str(), &startup, &process)) {
    return refuse(L"Namewisp could not be started in \u201c" + folder + L"\u201d.\n\n" +
                  systemMessage(GetLastError()));
  }
  // Explorer let this launcher take the foreground; the window it starts takes it instead.
  AllowSetForegroundWindow(process.dwProcessId);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return 0;
}

}  // namespace

int main() {
  int count = 0;
  wchar_t** const arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  const std::wstring given = arguments != nullptr && count == 2 ? arguments[1] : L"";
  LocalFree(arguments);
  if (count != 2) {
    return refuse(
        L"namewisp-launcher starts Namewisp in the one folder it is given, as Explorer's "
        L"\u201cClean names with Namewisp\u201d does:\n\nnamewisp-launcher.exe \"C:\\Folder\"");
  }
  return start(given);
}
