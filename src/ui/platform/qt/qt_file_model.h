// The file list's model: the native names the core read, shared rather than copied, each
// decoded for the screen only when the view asks for it. Internal to the Qt backend.
#pragma once

#include <QAbstractListModel>

#include <memory>

#include "ui/platform/platform.h"

namespace platform::qt {

class FileModel final : public QAbstractListModel {
 public:
  using Names = std::shared_ptr<const NameList>;

  using QAbstractListModel::QAbstractListModel;

  // Replaces every row at once.
  void setNames(Names names);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  Names names_;
};

}  // namespace platform::qt
