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
  // Builds the window, hidden, over the files of the working directory. Its renames go to
  // `service`: the shell's, or one standing in for the shell at its seam.
  explicit frmClean(clean::ShellService service = &SHFileOperation);

  void Show();

  // One handler per event the window reacts to.
  void FileChoice_Click();
  void cmdRefresh_Click();
  void cmdClean_Click();
  void cmdClose_Click();

  // The controls, in tab order: indexes into the layout table, whose rows follow this order
  // (frm_clean.cpp checks it as it compiles).
  enum Control : platform::ControlId {
    lblText,
    txtRemove,
    FileChoiceBox,
    cmdRefresh,
    cmdClean,
    cmdClose
  };
  // The window as data: its controls, positions, colours and font.
  static const platform::FormLayout kLayout;

 private:
  void onClick(platform::ControlId control);

  std::unique_ptr<platform::Form> form_;  // made first: the list below shows its files in it
  const clean::ShellService service_;

 public:
  // The file list box: one of the window's controls, which are the form's own public members,
  // as on the form it was designed on.
  FileList FileChoice;
};
