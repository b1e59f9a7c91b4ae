#include "ui/file_list.h"

#include <utility>

FileList::FileList(platform::Form& form, platform::ControlId control, platform::NativeName folder)
    : form_(form), control_(control), folder_(std::move(folder)) {
  stale_ = true;
  readIfStale();
}

std::size_t FileList::ListCount() {
  readIfStale();
  return entries_->size();
}

platform::NativeName FileList::List(std::size_t index) {
  readIfStale();
  return index < entries_->size() ? platform::NativeName((*entries_)[index])
                                  : platform::NativeName();
}

platform::NativeName FileList::FileName() const {
  // No re-read here: the selection belongs to the entries on screen.
  const auto selected = form_.selectedItem(control_);
  return selected && *selected < entries_->size() ? platform::NativeName((*entries_)[*selected])
                                                  : platform::NativeName();
}

void FileList::Refresh() {
  if (stale_) return;
  stale_ = true;
  platform::post([weak = std::weak_ptr<FileList*>(self_)] {
    if (const auto self = weak.lock()) (*self)->readIfStale();
  });
}

std::shared_ptr<const platform::NameList> FileList::names() {
  readIfStale();
  return entries_;
}

std::vector<platform::NativeName> FileList::entries() {
  readIfStale();
  return entries_->toVector();
}

void FileList::readIfStale() {
  if (!stale_) return;
  stale_ = false;
  ++readCount_;
  // The old names go first, so that a large folder's names are not held twice.
  entries_ = std::make_shared<const platform::NameList>();
  form_.setItems(control_, entries_);
  entries_ = std::make_shared<const platform::NameList>(platform::listFiles(folder_));
  form_.setItems(control_, entries_);
}
