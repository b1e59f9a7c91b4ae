// The platform: everything the window and the clean pass can ask of the toolkit and the OS,
// and nothing more. The rest of Namewisp includes this header (and shell.h beside it) instead
// of any toolkit or OS header, so the same window code runs over Qt and over Win32.
//
// It is not a widget toolkit: it builds one form from a layout table, routes user actions to a
// single callback, and answers a handful of questions about the process and its folder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "ui/platform/name_list.h"

namespace platform {

// What controls show and hold: UTF-16, the same on every platform, so "60 characters" means the
// same thing everywhere.
using Text = std::u16string;
// A file name exactly as the file system keeps it: bytes on POSIX, UTF-16 on Windows. Names stay
// in this form from the directory read to the rename, so no byte is lost to a conversion.
// NativeName and NativeChar are defined beside NameList, a folder's names in one block.

inline constexpr NativeChar kPathSeparator = std::filesystem::path::preferred_separator;

// ---- The form, built from a layout table -------------------------------------------------

enum class ControlKind { Label, TextBox, FileList, Button };

using Colour = std::uint32_t;  // 0xBBGGRR: blue in the high byte, red in the low byte

struct ControlLayout {
  std::string_view name;  // the control's name, also its object name for tests and tools
  ControlKind kind;
  std::u16string_view caption;       // "&" marks the access key
  int left, top, width, height;      // twips, from the top-left corner of the client area
  std::optional<Colour> textColour;  // empty: the toolkit's standard colours
  std::optional<Colour> backColour;
  int maxLength = 0;  // text boxes: characters the box holds at most; 0 for no limit
  // What a screen reader calls a control that has no caption and no label before it. Never
  // shown on screen.
  std::u16string_view accessibleName = {};
};

struct FontLayout {
  std::u16string_view face;
  int points;
  int weight;  // 400 regular, 700 bold
  bool italic, underline, strikeout;
  int charset;
};

struct FormLayout {
  std::string_view name;
  std::u16string_view caption;
  int clientWidth, clientHeight;  // twips
  Colour backColour;
  FontLayout font;  // for every control
  // In tab order. A label's buddy, for its access key and for screen readers, is the control
  // that follows it.
  std::span<const ControlLayout> controls;
};

using ControlId = std::size_t;  // a control's index in FormLayout::controls

// Raised for user actions only: a button pressed (mouse, keyboard or access key), or an entry
// of a file list selected by the user. Filling a list never raises it.
using ClickHandler = std::function<void(ControlId)>;

// Work that may wait on the disk, given to runOnDiskThread.
class DiskWork {
 public:
  virtual ~DiskWork() = default;
  // True once the work has run to its end.
  virtual bool done() const = 0;
};

// Long work, such as a Clean press over a slow share or a wait for a folder's read, made with
// Form::beginTask or Form::beginWait. While a task lives, no user input of any kind reaches the
// form or its click handler (its close box and context menus included), yet the form answers:
// events are handled while the task waits for disk work, and between two of its steps every
// few tens of milliseconds, never inside a step. Work given to post() waits until the task
// ends or a dialog opens. A task still running after about half a second shows a progress
// window, owned by the form and modal to it, captioned with the application title: how many of
// the total are done and a bar, or the wait's label and a busy bar; and Cancel (Esc and its
// close box cancel too). It never names a file. Destroying the task closes it.
class Task {
 public:
  virtual ~Task() = default;
  // Called before each step with the number of steps done; false once the user cancelled.
  virtual bool proceed(std::size_t done) = 0;
  // Returns once `work` is done, handling events meanwhile; false, with the work not done, once
  // the user cancelled. Work left behind runs to its end on the disk thread. The caller holds
  // `work` through the call.
  virtual bool wait(const DiskWork& work) = 0;
};

class Form {
 public:
  virtual ~Form() = default;

  // Centres the form on the screen, shows it, and puts focus on the first control in tab order
  // that takes focus.
  virtual void show() = 0;
  // Closes the form, as its close box does. The event loop ends when no form is left.
  virtual void unload() = 0;

  virtual Text text(ControlId control) const = 0;
  // Replaces the text whole, cut to the box's maxLength without splitting a character.
  virtual void setText(ControlId control, const Text& text) = 0;

  // File lists: shows `names`, each as toText() shows it, replacing every entry at once and
  // clearing the selection; raises no event. The list may keep `names` for as long as it shows
  // them, instead of a copy of its own: a large folder's names are then held once.
  virtual void setItems(ControlId control, std::shared_ptr<const NameList> names) = 0;
  virtual std::optional<std::size_t> selectedItem(ControlId control) const = 0;

  // Starts a task of `total` steps. One task at a time: starting a second while one lives
  // throws std::logic_error.
  virtual std::unique_ptr<Task> beginTask(std::size_t total) = 0;
  // Starts a task without steps, to wait for disk work: its progress window shows `label`.
  virtual std::unique_ptr<Task> beginWait(const Text& label) = 0;
};

// The form is built hidden; show() shows it.
std::unique_ptr<Form> createForm(const FormLayout& layout, ClickHandler onClick);

// The toolkit for the life of the process: create one before any form, then run its loop.
class Application {
 public:
  Application(int& argc, char** argv);
  ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  // Runs the event loop until the last form is unloaded; returns the process's exit status.
  // Should a disk call still be blocked then, it ends the process at once with that status
  // instead, since the call may never return.
  int exec();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// ---- Services ----------------------------------------------------------------------------

// A modal message with one OK button and no icon, captioned with the application title and
// owned by no window. Returns when the user dismisses it.
void messageBox(const Text& text);

// Runs `task` from the event loop once the current handler has returned, or sooner inside any
// modal loop, such as a message box's; in either case before the next user input is handled.
void post(std::function<void()> task);

// Queues `work` for the disk thread, where every call that may wait on the disk runs: one piece
// at a time, in the order given, never on the window's thread, so a slow or stalled disk never
// freezes the window. Once the work has run, `then` (if any) runs on the window's thread, from
// its event loop. The work may outlive its caller, who may stop waiting for it, so it must own
// what it uses. A disk call still blocked when the event loop ends is not waited for: exec()
// then ends the process.
std::shared_ptr<const DiskWork> runOnDiskThread(std::function<void()> work,
                                                std::function<void()> then = {});

// The process's current directory as an absolute path; empty if it cannot be read.
NativeName workingDirectory();

// The files of `folder` that a file manager shows: regular files and links to them, no folders
// and no hidden files, sorted as a file manager sorts: by the user's locale with letter case
// ignored, names that still compare equal in native (byte or code unit) order. An unreadable or
// missing folder lists as empty. It reads the disk: call it on the disk thread.
NameList listFiles(const NativeName& folder);

// Lower case under the user's locale. Length may change (German sharp s, Turkish dotted I).
Text toLower(const Text& text);

// A native name for display: exact for valid names, U+FFFD where the bytes are not valid.
Text toText(NameList::Name name);
// Text as a native name, for text typed by the user.
NativeName toNative(const Text& text);

// ---- Shared by the backends --------------------------------------------------------------

// `text` cut to at most `limit` UTF-16 code units, one fewer where the cut would leave the high
// half of a surrogate pair behind.
inline Text cutToLength(std::u16string_view text, std::size_t limit) {
  if (text.size() <= limit) return Text(text);
  std::size_t end = limit;
  if (end > 0 && text[end - 1] >= 0xD800 && text[end - 1] <= 0xDBFF) --end;
  return Text(text.substr(0, end));
}

}  // namespace platform
