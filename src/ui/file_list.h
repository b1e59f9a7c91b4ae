// FileList: the file list box of the main window. It holds a snapshot of one folder's files,
// taken when it is made and again after Refresh; between reads it does not follow the folder.
// The folder is read on the disk thread: the list fills when a read ends, and whatever looks at
// the list meanwhile waits for the read.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "ui/platform/platform.h"

class FileList {
 public:
  // Starts reading `folder`, whose files `control` of `form` shows once the read ends.
  FileList(platform::Form& form, platform::ControlId control, platform::NativeName folder);

  // Waits until the list holds the folder as of the last request for it: a read due starts,
  // and a read under way ends, while the window answers; a wait that takes long shows its
  // progress. False when the user stopped waiting, with the list as it was.
  bool Current();

  // These wait as Current() does first; if the user stops waiting, they answer from what the
  // list shows.
  std::size_t ListCount();
  // Entry `index` as of the last read; an empty name at or past the count.
  platform::NativeName List(std::size_t index);
  // The entry the user selected, as shown; empty when none is.
  platform::NativeName FileName() const;
  // Asks for a re-read. Requests add up to one read, started by the next call here or the event
  // loop's next turn, whichever comes first.
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
  struct Read;
  void startIfDue();
  void land(const std::shared_ptr<Read>& read);

  platform::Form& form_;
  platform::ControlId control_;
  platform::NativeName folder_;
  // Shared with the list on screen, which shows these very names rather than a copy.
  std::shared_ptr<const platform::NameList> entries_ = std::make_shared<const platform::NameList>();
  bool stale_ = false;                                  // a read is asked for and not started
  std::shared_ptr<Read> reading_;                       // the read under way, if any
  std::shared_ptr<const platform::DiskWork> readWork_;  // and its work, to wait for
  std::size_t readCount_ = 0;
  // Lets a posted request or a read that ends find out that the list is gone.
  std::shared_ptr<FileList*> self_ = std::make_shared<FileList*>(this);
};
