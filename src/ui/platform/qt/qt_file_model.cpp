#include "ui/platform/qt/qt_file_model.h"

#include "ui/platform/qt/qt_text.h"

namespace platform::qt {

void FileModel::setNames(Names names) {
  beginResetModel();
  names_ = std::move(names);
  endResetModel();
}

int FileModel::rowCount(const QModelIndex& parent) const {
  if (parent.isValid() || names_ == nullptr) return 0;
  return static_cast<int>(names_->size());
}

QVariant FileModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
  if (!index.isValid() || index.row() >= rowCount()) return {};
  return fromNative((*names_)[static_cast<std::size_t>(index.row())]);
}

Qt::ItemFlags FileModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
}

}  // namespace platform::qt
