#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

#include "app/qt/decorative_picture.h"
#include "app/qt/main_window.h"
#include "app/qt/pane_widget.h"
#include "app/qt/qt_text.h"
#include "app/qt/window_layout.h"
#include "app/window_items.h"
#include "base/run_limits.h"

namespace zelvo {
namespace {

QWidget* MakeLabel(const LayoutEntry& entry, QWidget* parent) {
  auto* label = new QLabel(entry.caption, parent);
  label->adjustSize();
  label->move(entry.rect.topLeft());
  return label;
}

QWidget* MakeEdit(const LayoutEntry& entry, QWidget* parent) {
  auto* edit = new QLineEdit(parent);
  edit->setGeometry(entry.rect);
  if (entry.hint != nullptr) edit->setToolTip(entry.hint);
  return edit;
}

QWidget* MakeList(const LayoutEntry& entry, QWidget* parent) {
  auto* list = new QComboBox(parent);
  list->setGeometry(entry.rect);
  for (const std::string& item : ListItems(*entry.control)) list->addItem(ToQt(item));
  if (entry.hint != nullptr) list->setToolTip(entry.hint);
  return list;
}

QWidget* MakeButton(const LayoutEntry& entry, QWidget* parent) {
  auto* button = new QPushButton(entry.caption, parent);
  button->setGeometry(entry.rect);
  button->setAutoDefault(false);
  if (entry.hint != nullptr) button->setToolTip(entry.hint);
  return button;
}

QWidget* MakeCheckBox(const LayoutEntry& entry, QWidget* parent) {
  auto* box = new QCheckBox(entry.caption, parent);
  if (entry.kind == WidgetKind::kLeftCheckBox) box->setLayoutDirection(Qt::RightToLeft);
  box->setGeometry(entry.rect);
  if (entry.hint != nullptr) box->setToolTip(entry.hint);
  return box;
}

QWidget* MakeFrame(const LayoutEntry& entry, QWidget* parent) {
  auto* frame = new QGroupBox(entry.caption, parent);
  frame->setGeometry(entry.rect);
  return frame;
}

QWidget* MakePicture(const LayoutEntry& entry, QWidget* parent) {
  auto* picture = new QLabel(parent);
  picture->setGeometry(entry.rect);
  picture->setPixmap(DecorativePicture());
  return picture;
}

QWidget* MakeProgressBar(const LayoutEntry& entry, QWidget* parent) {
  auto* progress = new QProgressBar(parent);
  progress->setGeometry(entry.rect);
  progress->setRange(0, 100);
  progress->setValue(0);
  progress->setTextVisible(false);
  return progress;
}

QWidget* MakePane(const LayoutEntry& entry, QWidget* parent) {
  auto* pane = new PaneWidget(entry.rect.width(), entry.rect.height(), parent);
  pane->setGeometry(entry.rect);
  return pane;
}

}  // namespace

void TfrmMain::BuildControls() {
  for (const LayoutEntry& entry : WindowLayout()) {
    QWidget* widget = MakeWidget(entry);
    if (entry.name != nullptr) widget->setObjectName(entry.name);
    if (entry.control) widgets_[static_cast<int>(*entry.control)] = widget;
  }
  for (int i = 0; i < kControlCount; ++i) {
    edits_[i] = qobject_cast<QLineEdit*>(widgets_[i]);
    lists_[i] = qobject_cast<QComboBox*>(widgets_[i]);
    checkBoxes_[i] = qobject_cast<QCheckBox*>(widgets_[i]);
  }
  Widget(Control::btn_stop)->hide();  // shown while a run goes on

  for (const ControlDefault& value : WindowDefaults()) {
    if (value.text != nullptr) SetText(value.control, value.text);
    if (value.itemIndex != -2) SetItemIndex(value.control, value.itemIndex);
    if (value.itemIndex == -2 && value.text == nullptr) SetChecked(value.control, value.checked);
  }
  SetEnabled(Control::cb_iter, false);
  SetEnabled(Control::cb1, false);
  ConnectHandlers();
}

QWidget* TfrmMain::MakeWidget(const LayoutEntry& entry) {
  QWidget* parent = entry.parent == nullptr
                        ? this
                        : findChild<QWidget*>(entry.parent, Qt::FindDirectChildrenOnly);
  switch (entry.kind) {
    case WidgetKind::kLabel: return MakeLabel(entry, parent);
    case WidgetKind::kEdit: return MakeEdit(entry, parent);
    case WidgetKind::kList: return MakeList(entry, parent);
    case WidgetKind::kButton: return MakeButton(entry, parent);
    case WidgetKind::kCheckBox: case WidgetKind::kLeftCheckBox: return MakeCheckBox(entry, parent);
    case WidgetKind::kFrame: return MakeFrame(entry, parent);
    case WidgetKind::kPicture: return MakePicture(entry, parent);
    case WidgetKind::kSpinner: return MakeSpinner(entry, parent);
    case WidgetKind::kRadioGroup: return MakeRadioGroup(entry, parent);
    case WidgetKind::kProgressBar: return MakeProgressBar(entry, parent);
    case WidgetKind::kPane: return MakePane(entry, parent);
  }
  return nullptr;
}

QWidget* TfrmMain::MakeSpinner(const LayoutEntry& entry, QWidget* parent) {
  auto* iterations = static_cast<QLineEdit*>(Widget(Control::txt_iter));
  upDown_ = new UpDownWidget(iterations, kMinIterations, kMaxIterations, parent);
  upDown_->setGeometry(entry.rect);
  return upDown_;
}

QWidget* TfrmMain::MakeRadioGroup(const LayoutEntry& entry, QWidget* parent) {
  auto* box = new QGroupBox(entry.caption, parent);
  box->setGeometry(entry.rect);
  searchGroup_ = new QButtonGroup(box);
  const std::vector<std::string>& items = ListItems(*entry.control);
  for (std::size_t i = 0; i < items.size(); ++i) {
    auto* radio = new QRadioButton(ToQt(items[i]), box);
    radio->setObjectName(QString(entry.name) + QString("_%1").arg(i));
    radio->setGeometry(8, 20 + 24 * static_cast<int>(i), 90, 17);
    searchGroup_->addButton(radio, static_cast<int>(i));
  }
  return box;
}

void TfrmMain::SetTabOrder() {
  const Control order[] = {
      Control::txt_in, Control::btn_in, Control::cmb_gx, Control::cmb_gy, Control::cmb_gz,
      Control::cmb_point, Control::txt_log, Control::btn_log, Control::txt_out, Control::btn_out,
      Control::txt_radius, Control::txt_iter, Control::UpDown1, Control::cb_iter,
      Control::cmb_centerx, Control::cmb_centery, Control::cmb_centerz, Control::ProgressBar1,
      Control::cb_preview, Control::txt_nearest, Control::btn_load, Control::btn_calc,
      Control::btn_exit, Control::cb1, Control::btn_save1, Control::cb2, Control::btn_save2,
      Control::cb3, Control::btn_save3, Control::btn_stop, Control::txt_n, Control::rg_nearest,
      Control::chb_cpin};
  QWidget* previous = nullptr;
  for (Control control : order) {
    QWidget* widget = Widget(control);
    if (control == Control::rg_nearest) {
      for (QAbstractButton* radio : searchGroup_->buttons()) {
        if (previous != nullptr) setTabOrder(previous, radio);
        previous = radio;
      }
      continue;
    }
    if (previous != nullptr) setTabOrder(previous, widget);
    previous = widget;
  }
}

QWidget* TfrmMain::Widget(Control control) const { return widgets_[static_cast<int>(control)]; }

PaneWidget* TfrmMain::Pane(Control pane) const {
  switch (pane) {
    case Control::img_uba: case Control::img_regta: case Control::img_delta:
      return static_cast<PaneWidget*>(Widget(pane));
    default:
      return static_cast<PaneWidget*>(Widget(Control::img_uba));
  }
}

}  // namespace zelvo
