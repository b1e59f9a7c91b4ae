// What the installer tests use to look at a Windows system as its user would meet it: processes
// started and awaited with a bound, the registry, shortcuts, other processes' windows, and
// snapshots of what a user's profile and registry hold.
#pragma once

#include <windows.h>

#include <optional>
#include <set>
#include <string>
#include <vector>

namespace test {

// A process started from `commandLine`, ended by force when it outlives `timeoutMs`.
struct Started {
  DWORD id = 0;
  HANDLE handle = nullptr;  // closed by finish()
};
Started startProcess(std::wstring commandLine);
// Its exit code once it ends within `timeoutMs`, or nothing (and it is ended) if it does not.
std::optional<DWORD> finish(Started& process, DWORD timeoutMs);

// msiexec with `arguments` and no user interface; its exit code.
DWORD msiexec(const std::wstring& arguments);

std::wstring environment(const wchar_t* name);
// The shell's path for a known folder, such as FOLDERID_Profile.
std::wstring knownFolder(const GUID& folder);

std::optional<std::wstring> registryString(HKEY root, const std::wstring& key,
                                           const std::wstring& name);
bool registryKeyExists(HKEY root, const std::wstring& key);

struct Shortcut {
  std::wstring target, arguments, workingDirectory;
};
std::optional<Shortcut> readShortcut(const std::wstring& path);

// How many icons `file` carries.
UINT iconCount(const std::wstring& file);

// The visible top-level window of class `className` of the process `processId` (of any other
// process than this one when 0), once there is one within `timeoutMs`.
HWND waitForWindow(const wchar_t* className, DWORD processId, DWORD timeoutMs);
// The texts of `window`'s children of class `className`.
std::vector<std::wstring> childTexts(HWND window, const wchar_t* className);
// The entries of the list box in another process's window.
std::vector<std::wstring> listBoxItems(HWND window);
// Closes `window` as its close box does and waits for its process to end; true if it did.
bool closeAndWait(HWND window);

// The names of the files Namewisp lists in `folder`: no folders, hidden or system files.
std::set<std::wstring> visibleFiles(const std::wstring& folder);

// Every file and folder under `folder`, and every key and value (with its data) under
// `root`\`key`, each as one line, for telling what an install left behind.
std::set<std::wstring> treeOf(const std::wstring& folder);
std::set<std::wstring> registryTreeOf(HKEY root, const std::wstring& key);

}  // namespace test
