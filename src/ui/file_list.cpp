#include "ui/file_list.h"

#include <utility>

struct FileList::Read {
  platform::NameList names;  // filled on the disk thread
};

FileList::FileList(platform::Form& form, platform::ControlId control, platform::NativeName folder)
    : form_(form), control_(control), folder_(std::move(folder)) {
  stale_ = true;
  startIfDue();
}

bool FileList::Current() {
  if (!stale_ && reading_ == nullptr) return true;
  const std::unique_ptr<platform::Task> task = form_.beginWait(u"Reading the folder\u2026");
  while (stale_ || reading_ != nullptr) {
    startIfDue();
    // Held here: the read may land while the task waits, which lets go of it in the list.
    const std::shared_ptr<Read> read = reading_;
    const std::shared_ptr<const platform::DiskWork> work = readWork_;
    if (!task->wait(*work)) return false;
    land(read);
  }
  return true;
}

std::size_t FileList::ListCount() {
  Current();
  return entries_->size();
}

platform::NativeName FileList::List(std::size_t index) {
  Current();
  return index < entries_->size() ? platform::NativeName((*entries_)[index])
                                  : platform::NativeName();
}

platform::NativeName FileList::FileName() const {
  // No wait here: the selection belongs to the entries on screen.
  const auto selected = form_.selectedItem(control_);
  return selected && *selected < entries_->size() ? platform::NativeName((*entries_)[*selected])
                                                  : platform::NativeName();
}

void FileList::Refresh() {
  if (stale_) return;
  stale_ = true;
  platform::post([weak = std::weak_ptr<FileList*>(self_)] {
    if (const auto self = weak.lock()) (*self)->startIfDue();
  });
}

std::shared_ptr<const platform::NameList> FileList::names() {
  Current();
  return entries_;
}

std::vector<platform::NativeName> FileList::entries() {
  Current();
  return entries_->toVector();
}

void FileList::startIfDue() {
  // One read at a time: a request made while one is under way starts the next when it ends.
  if (!stale_ || reading_ != nullptr) return;
  stale_ = false;
  ++readCount_;
  auto read = std::make_shared<Read>();
  readWork_ = platform::runOnDiskThread(
      [read, folder = folder_] { read->names = platform::listFiles(folder); },
      [weak = std::weak_ptr<FileList*>(self_), read] {
        if (const auto self = weak.lock()) (*self)->land(read);
      });
  reading_ = std::move(read);
}

void FileList::land(const std::shared_ptr<Read>& read) {
  if (read != reading_) return;  // landed already, by the wait for it
  reading_.reset();
  readWork_.reset();
  entries_ = std::make_shared<const platform::NameList>(std::move(read->names));
  form_.setItems(control_, entries_);
  startIfDue();
}
