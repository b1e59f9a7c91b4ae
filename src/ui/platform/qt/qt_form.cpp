// The form of platform.h as Qt widgets: one helper per kind of control, built from the table.
#include <QAccessibleWidget>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QScreen>
#include <QWidget>

#include <cmath>

#include "ui/platform/platform.h"
#include "ui/platform/posix/posix_files.h"
#include "ui/platform/qt/qt_file_model.h"
#include "ui/platform/qt/qt_task.h"
#include "ui/platform/qt/qt_text.h"
#include "ui/platform/qt/qt_text_box.h"

namespace platform {
namespace {

using qt::fromQString;
using qt::toQString;

QColor toQColor(Colour bgr) {
  return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

// Raises the selection event for the user's selections only, including a click on the entry
// that is already selected, which changes no selection but is still the user picking it.
class FileListView final : public QListView {
 public:
  FileListView(QWidget* parent, std::function<void()> selected)
      : QListView(parent), selected_(std::move(selected)) {
    setModel(&model_);
    setUniformItemSizes(true);  // lets a list of 100,000 names lay out at once
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
      ++selectionChanges_;
      if (!filling_ && selectionModel()->hasSelection()) selected_();
    });
    connect(this, &QAbstractItemView::pressed, this, [this](const QModelIndex& index) {
      if (selectionChanges_ == changesAtPress_ && selectionModel()->isSelected(index)) selected_();
    });
  }

  void setItems(qt::FileModel::Names names) {
    filling_ = true;
    model_.setNames(std::move(names));
    filling_ = false;
  }

  std::optional<std::size_t> selected() const {
    const QModelIndexList rows = selectionModel()->selectedRows();
    if (rows.isEmpty()) return std::nullopt;
    return static_cast<std::size_t>(rows.front().row());
  }

 protected:
  void mousePressEvent(QMouseEvent* event) override {
    changesAtPress_ = selectionChanges_;
    QListView::mousePressEvent(event);
  }

  // Qt's entries report themselves focused whenever they are current, wherever the focus is,
  // so a screen reader would find a focused entry in a list the focus has left, beside the
  // control that has it. The list holds a current entry only while it has the focus.
  void focusOutEvent(QFocusEvent* event) override {
    current_ = currentIndex();
    selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    QListView::focusOutEvent(event);
  }
  void focusInEvent(QFocusEvent* event) override {
    if (current_.isValid()) {
      // Without scrolling to it: a click that brings the focus lands on the entry it aimed at.
      const bool scroll = hasAutoScroll();
      setAutoScroll(false);
      selectionModel()->setCurrentIndex(current_, QItemSelectionModel::NoUpdate);
      setAutoScroll(scroll);
    }
    QListView::focusInEvent(event);
  }

 private:
  qt::FileModel model_;
  std::function<void()> selected_;
  bool filling_ = false;
  unsigned selectionChanges_ = 0;
  unsigned changesAtPress_ = 0;
  QPersistentModelIndex current_;  // while the focus is elsewhere
};

// A plain top-level QWidget reads to a screen reader as a bare pane; as a frame it is found and
// announced as the application's window, named by its title.
class FormWindow final : public QWidget {};

QAccessibleInterface* accessibleFormWindow(const QString&, QObject* object) {
  if (auto* window = dynamic_cast<FormWindow*>(object))
    return new QAccessibleWidget(window, QAccessible::Window);
  return nullptr;
}

class QtForm final : public Form {
 public:
  QtForm(const FormLayout& layout, ClickHandler onClick)
      : onClick_([onClick = std::move(onClick)](ControlId id) {
          // Input is held off during a task; this also stops what bypasses input events, such
          // as a screen reader's press action.
          if (qt::QtTask::current() == nullptr) onClick(id);
        }) {
    [[maybe_unused]] static const bool factoryInstalled =
        (QAccessible::installFactory(accessibleFormWindow), true);
    const QScreen* screen = QGuiApplication::primaryScreen();
    dpi_ = screen != nullptr ? screen->logicalDotsPerInch() : 96.0;

    window_.setObjectName(qt::toQString(layout.name));
    window_.setWindowTitle(toQString(layout.caption));
    // A fixed single border: a title bar with close and minimise boxes, no maximise box.
    window_.setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                           Qt::WindowCloseButtonHint);
    window_.setFixedSize(pixels(layout.clientWidth), pixels(layout.clientHeight));
    QPalette palette = window_.palette();
    palette.setColor(QPalette::Window, toQColor(layout.backColour));
    window_.setPalette(palette);
    window_.setAutoFillBackground(true);

    QFont font(toQString(layout.font.face), layout.font.points, layout.font.weight,
               layout.font.italic);
    font.setUnderline(layout.font.underline);
    font.setStrikeOut(layout.font.strikeout);
    window_.setFont(font);

    for (ControlId id = 0; id < layout.controls.size(); ++id) {
      controls_.push_back(createControl(layout.controls[id], id));
      controls_.back()->setFont(font);
    }
    QWidget* previous = nullptr;
    for (std::size_t i = 0; i < controls_.size(); ++i) {
      if (auto* label = qobject_cast<QLabel*>(controls_[i]); label && i + 1 < controls_.size()) {
        label->setBuddy(controls_[i + 1]);
      }
      if (controls_[i]->focusPolicy() == Qt::NoFocus) continue;
      if (previous != nullptr) QWidget::setTabOrder(previous, controls_[i]);
      previous = controls_[i];
    }
  }

  void show() override {
    if (const QScreen* screen = window_.screen()) {
      QRect frame = window_.frameGeometry();
      frame.moveCenter(screen->availableGeometry().center());
      window_.move(frame.topLeft());
    }
    window_.show();
    window_.activateWindow();
    for (QWidget* control : controls_) {
      if (control->focusPolicy() != Qt::NoFocus) {
        control->setFocus(Qt::OtherFocusReason);
        break;
      }
    }
  }

  void unload() override { window_.close(); }

  Text text(ControlId control) const override {
    if (auto* edit = qobject_cast<QLineEdit*>(controls_.at(control)))
      return fromQString(edit->text());
    return {};
  }

  void setText(ControlId control, const Text& text) override {
    if (auto* edit = qobject_cast<QLineEdit*>(controls_.at(control))) {
      const auto limit = static_cast<std::size_t>(edit->maxLength());
      auto* rules = edit->findChild<qt::TextBoxRules*>();
      rules->setExact(true);
      edit->setText(toQString(cutToLength(text, limit)));
      rules->setExact(false);
    }
  }

  void setItems(ControlId control, std::shared_ptr<const NameList> names) override {
    posix::rememberListed(names);  // what the rename service checks new names against
    if (auto* list = dynamic_cast<FileListView*>(controls_.at(control)))
      list->setItems(std::move(names));
  }

  std::optional<std::size_t> selectedItem(ControlId control) const override {
    if (auto* list = dynamic_cast<const FileListView*>(controls_.at(control)))
      return list->selected();
    return std::nullopt;
  }

  std::unique_ptr<Task> beginTask(std::size_t total) override {
    return std::make_unique<qt::QtTask>(window_, total);
  }

  std::unique_ptr<Task> beginWait(const Text& label) override {
    return std::make_unique<qt::QtTask>(window_, 0, label);
  }

 private:
  int pixels(int twips) const { return static_cast<int>(std::lround(twips * dpi_ / 1440.0)); }

  QWidget* createControl(const ControlLayout& c, ControlId id) {
    QWidget* widget = nullptr;
    switch (c.kind) {
      case ControlKind::Label: {
        auto* label = new QLabel(toQString(c.caption), &window_);
        label->setAutoFillBackground(true);
        widget = label;
        break;
      }
      case ControlKind::TextBox: {
        auto* edit = new QLineEdit(toQString(c.caption), &window_);
        if (c.maxLength > 0) edit->setMaxLength(c.maxLength);
        edit->setValidator(new qt::TextBoxRules(edit));
        widget = edit;
        break;
      }
      case ControlKind::FileList:
        widget = new FileListView(&window_, [this, id] { onClick_(id); });
        break;
      case ControlKind::Button: {
        auto* button = new QPushButton(toQString(c.caption), &window_);
        button->setAutoDefault(false);  // Enter and Esc press no button
        button->setDefault(false);
        QObject::connect(button, &QPushButton::clicked, button, [this, id] { onClick_(id); });
        widget = button;
        break;
      }
    }
    widget->setObjectName(qt::toQString(c.name));
    if (!c.accessibleName.empty()) widget->setAccessibleName(toQString(c.accessibleName));
    widget->setGeometry(pixels(c.left), pixels(c.top), pixels(c.width), pixels(c.height));
    if (c.textColour || c.backColour) {
      QPalette palette = widget->palette();
      if (c.textColour) {
        palette.setColor(QPalette::WindowText, toQColor(*c.textColour));
        palette.setColor(QPalette::Text, toQColor(*c.textColour));
      }
      if (c.backColour) {
        palette.setColor(QPalette::Window, toQColor(*c.backColour));
        palette.setColor(QPalette::Base, toQColor(*c.backColour));
      }
      widget->setPalette(palette);
    }
    return widget;
  }

  FormWindow window_;
  std::vector<QWidget*> controls_;  // owned by window_
  ClickHandler onClick_;
  double dpi_ = 96.0;
};

}  // namespace

std::unique_ptr<Form> createForm(const FormLayout& layout, ClickHandler onClick) {
  return std::make_unique<QtForm>(layout, std::move(onClick));
}

}  // namespace platform
