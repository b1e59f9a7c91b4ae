// frmClean: Namewisp's one window. It lists the files of the working directory and removes a
// piece of text from their names. Its layout is a table of data (frm_clean.cpp); the platform
// turns the table into controls and routes each user action to one handler here.
#pragma once

#include <memory>

#include "clean/shell_rename.h"
#include "ui/file_list.h"
#include "ui/platform/platform.h"

class frmClean {
 public:
  // Builds the window, hidden, over the files of the working directory.
  frmClean();

  void Show();

  // One handler per event the window reacts to.
  void FileChoice_Click();
  void cmdRefresh_Click();
  void cmdClean_Click();
  void cmdClose_Click();

  // The controls, in tab order: indexes into the layout table.
  enum Control : platform::ControlId {
    lblText,
    txtRemove,
    FileChoiceBox,
    cmdRefresh,
    cmdClean,
    cmdClose
  };

  // For tests and benchmarks: the platform's form, and the file list with its read count.
  platform::Form& form() { return *form_; }
  FileList& files() { return FileChoice; }
  // For tests: the shell service that renames, one that takes its time, say.
  void setShellService(clean::ShellService service) { service_ = service; }

 private:
  void onClick(platform::ControlId control);

  std::unique_ptr<platform::Form> form_;
  FileList FileChoice;
  clean::ShellService service_ = &SHFileOperation;
};
