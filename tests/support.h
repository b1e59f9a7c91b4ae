// What the window and end-to-end tests share: a real temporary folder that is the working
// directory, a watcher that answers dialogs, and the real window with its widgets found by name.
#pragma once

#include <gtest/gtest.h>
#include <QAbstractItemView>
#include <QApplication>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QString>
#include <QTimer>

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "temp_folder.h"
#include "ui/frm_clean.h"

namespace test {

// A dialog the program raised: what it said and how it looked.
struct Dialog {
  QString title;
  QString text;
  int icon = 0;     // QMessageBox::Icon
  int buttons = 0;  // how many buttons it offered
};

// Answers every modal message box while it lives: records it and presses the button captioned
// `answer` (access key aside), or OK.
class DialogWatcher {
 public:
  // `whileOpen` runs with each dialog still on screen, before it is answered.
  explicit DialogWatcher(std::function<void()> whileOpen = {}, QString answer = "Skip");
  const std::vector<Dialog>& dialogs() const { return dialogs_; }

 private:
  QTimer timer_;
  std::function<void()> whileOpen_;
  QString answer_;
  std::vector<Dialog> dialogs_;
};

// Root ignores permission bits, so a folder is made read-only for real by acting as an
// unprivileged user while this lives.
class ActingAsNobody {
 public:
  ActingAsNobody();
  ~ActingAsNobody();
  ActingAsNobody(const ActingAsNobody&) = delete;
  ActingAsNobody& operator=(const ActingAsNobody&) = delete;

 private:
  bool changed_ = false;
};

// The progress window of a long task, if one is on screen.
QProgressDialog* progressWindow();

// The real window over the current working directory, shown and active; its list filled,
// unless `filled` is false.
class Window {
 public:
  // Renames go to `service`, the shell's unless a test stands another in at its seam.
  explicit Window(clean::ShellService service = &SHFileOperation, bool filled = true);
  ~Window();

  frmClean& form() { return *form_; }
  QWidget* widget() const;
  QLineEdit* text() const;
  QAbstractItemView* list() const;
  QPushButton* button(const char* name) const;
  // The entries the list shows, in order.
  QStringList shown() const;
  void press(const char* button) const;
  // Lets posted work (a coalesced re-read) run, as the event loop would after a handler, and
  // the latest window's read end.
  static void settle();

 private:
  std::unique_ptr<frmClean> form_;
  static inline Window* latest_ = nullptr;
};

// Types `removal` into the text box and presses Clean, as a user does, then lets the posted
// re-read run.
void pressClean(Window& window, const QString& removal);

// Every file's bytes, sorted: the same before and after when nothing was lost or copied.
std::vector<std::string> bytesOf(const std::map<std::string, std::string>& contents);

}  // namespace test
