// FileList: the file list box of the main window. It holds a snapshot of one folder's files,
// taken when it is made and again after Refresh; between reads it does not follow the folder.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "ui/platform/platform.h"

class FileList {
 public:
  // Reads `folder` now and shows its files in `control` of `form`.
  FileList(platform::Form& form, platform::ControlId control, platform::NativeName folder);

  std::size_t ListCount();
  // Entry `index` as of the last read; an empty name at or past the count.
  platform::NativeName List(std::size_t index);
  // The entry the user selected, as shown; empty when none is.
  platform::NativeName FileName() const;
  // Asks for a re-read. Requests add up to one read, done before anything looks at the list
  // again: the next call here, or the event loop's next turn, whichever comes first.
  void Refresh();

  // Every entry as of the last read, shared with the list on screen; never changed, so it stays
  // valid for as long as it is held, however often the list is read again.
  std::shared_ptr<const platform::NameList> names();
  // The same, as separate strings.
  std::vector<platform::NativeName> entries();
  const platform::NativeName& folder() const { return folder_; }
  // Directory reads so far; a press of Clean should cost one, however many files it renames.
  std::size_t readCount() const { return readCount_; }

 private:
  void readIfStale();

  platform::Form& form_;
  platform::ControlId control_;
  platform::NativeName folder_;
  // Shared with the list on screen, which shows these very names rather than a copy.
  std::shared_ptr<const platform::NameList> entries_ = std::make_shared<const platform::NameList>();
  bool stale_ = false;
  std::size_t readCount_ = 0;
  // Lets a posted re-read find out that the list is gone.
  std::shared_ptr<FileList*> self_ = std::make_shared<FileList*>(this);
};
