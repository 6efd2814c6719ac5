#include "app/qt/main_window.h"

#include <exception>
#include <new>
#include <vector>

#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFocusEvent>
#include <QFontInfo>
#include <QGuiApplication>
#include <QLocale>
#include <QPushButton>
#include <QScreen>

#include "app/calc_command.h"
#include "app/field_leaving_check.h"
#include "app/load_command.h"
#include "app/preview_commands.h"
#include "app/qt/dropped_file.h"
#include "app/qt/grid_views.h"
#include "app/qt/pane_widget.h"
#include "app/qt/window_settings_location.h"
#include "app/run_parameter_table.h"
#include "app/window_items.h"
#include "base/file_names.h"

namespace zelvo {
namespace {

constexpr int kClientWidth = 565;
constexpr int kClientHeight = 585;

std::vector<Control> FieldsCheckedOnLeaving() {
  std::vector<Control> fields;
  for (const RunParameter& parameter : RunParameterTable()) {
    if (parameter.onLeaving != LeavingCheck::kNothing) fields.push_back(parameter.control);
  }
  return fields;
}

char LocaleSeparator() {
  const QString point = QLocale().decimalPoint();
  if (point.size() == 1 && point[0].unicode() < 0x80) return static_cast<char>(point[0].unicode());
  return '.';
}

// The layout is in pixels and leaves some captions little room ("Name of
// input file [dat,xyz,cba] " gets 168, "Radius for gridding [m]" 112): a
// condensed sans of 10 pixels (7.5 point at 96 dpi) fits them all, and is
// given in pixels because the layout is. Where the condensed face is missing,
// the sans is narrowed to the same widths.
QFont WindowFont() {
  QFont font("DejaVu Sans Condensed");
  font.setPixelSize(10);
  if (QFontInfo(font).family() != font.family()) font.setStretch(QFont::SemiCondensed);
  return font;
}

}  // namespace

TfrmMain::TfrmMain(WindowOptions options)
    : options_(std::move(options)), separator_(options_.decimalSeparator.value_or(LocaleSeparator())) {
  setObjectName("frmMain");
  setWindowTitle(kApplicationTitle);
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  setFont(WindowFont());
  setFixedSize(kClientWidth, kClientHeight);
  BuildControls();
  SetTabOrder();
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
  state_.paneWidth = Pane(Control::img_uba)->PaneWidth();
  state_.paneHeight = Pane(Control::img_uba)->PaneHeight();
  gridViews_ = std::make_unique<GridViews>(state_, *this, this);
  sinceMessages_.start();
  setAcceptDrops(true);
  settingsLocation_ = WindowSettingsLocation(ExecutablePath(), options_.programFolderWritable);
  ReadCfg(*this, settings_, settingsLocation_);
}

TfrmMain::~TfrmMain() = default;

template <typename Handler>
void TfrmMain::Guarded(Handler handler) {
  // Qt cannot carry an exception through its event loop; the user sees it
  // instead and goes on.
  try {
    handler();
  } catch (const std::bad_alloc&) {
    ShowMessage("Out of memory");
  } catch (const std::exception& error) {
    ShowMessage(error.what());
  }
}

void TfrmMain::ConnectHandlers() {
  for (Control field : FieldsCheckedOnLeaving()) Widget(field)->installEventFilter(this);
  for (Control pane : kPreviewPanes) Widget(pane)->installEventFilter(this);
  const auto button = [this](Control control) { return static_cast<QPushButton*>(Widget(control)); };
  const auto list = [this](Control control) { return static_cast<QComboBox*>(Widget(control)); };
  connect(button(Control::btn_in), &QPushButton::clicked, this, [this] { Guarded([this] { btn_inClick(); }); });
  connect(button(Control::btn_log), &QPushButton::clicked, this, [this] { Guarded([this] { btn_logClick(); }); });
  connect(button(Control::btn_out), &QPushButton::clicked, this, [this] { Guarded([this] { btn_outClick(); }); });
  connect(button(Control::btn_calc), &QPushButton::clicked, this, [this] { btn_calcClick(); });
  connect(button(Control::btn_stop), &QPushButton::clicked, this, [this] { btn_stopClick(); });
  connect(button(Control::btn_exit), &QPushButton::clicked, this, [this] { btn_exitClick(); });
  connect(button(Control::btn_load), &QPushButton::clicked, this, [this] { Guarded([this] { btn_loadClick(); }); });
  connect(button(Control::btn_save1), &QPushButton::clicked, this, [this] { Guarded([this] { btn_save1Click(); }); });
  connect(button(Control::btn_save2), &QPushButton::clicked, this, [this] { Guarded([this] { btn_save2Click(); }); });
  connect(button(Control::btn_save3), &QPushButton::clicked, this, [this] { Guarded([this] { btn_save3Click(); }); });
  // Only a choice by the user is a change; the settings file sets the lists
  // without one.
  connect(list(Control::cb1), &QComboBox::activated, this, [this] { Guarded([this] { cb1Change(); }); });
  connect(list(Control::cb2), &QComboBox::activated, this, [this] { Guarded([this] { cb2Change(); }); });
  connect(list(Control::cb3), &QComboBox::activated, this, [this] { Guarded([this] { cb3Change(); }); });
}

void TfrmMain::btn_inClick() {
  std::optional<FileDialogChoice> choice =
      OpenFileDialog({kOpenDataFilter, "dat", Text(Control::txt_in), openFilterIndex_});
  if (!choice) return;
  openFilterIndex_ = choice->filterIndex;
  InputFileChosen(choice->fileName);
}

void TfrmMain::InputFileChosen(const std::string& fileName) {
  SetText(Control::txt_in, fileName);
  SetText(Control::txt_out, ReplaceExtension(fileName, "_out.dat"));
}

void TfrmMain::btn_logClick() {
  std::optional<FileDialogChoice> choice =
      OpenFileDialog({kOpenDataFilter, "dat", Text(Control::txt_log), openFilterIndex_});
  if (!choice) return;
  openFilterIndex_ = choice->filterIndex;
  SetText(Control::txt_log, choice->fileName);
}

void TfrmMain::btn_outClick() {
  std::optional<FileDialogChoice> choice =
      SaveFileDialog({kSaveDataFilter, "dat", Text(Control::txt_out), 1});
  if (choice) SetText(Control::txt_out, choice->fileName);
}

void TfrmMain::btn_calcClick() {
  // Refused while a run (or a preview) is under way: it would release the
  // tables under the running loop.
  if (state_.busy || closing_) return;
  CalcOutcome outcome = CalcOutcome::kFailed;  // also when an error escaped the run
  Guarded([this, &outcome] { outcome = zelvo::btn_calcClick(state_, *this); });
  if (state_.busy) {
    // An error escaped the run and was shown: back to idle.
    state_.busy = false;
    state_.stopRequested = false;
    SetEnabled(Control::btn_calc, true);
    SetVisible(Control::btn_exit, true);
    SetVisible(Control::btn_stop, false);
  }
  if (closing_) {
    closing_ = false;
    close();
    return;
  }
  if (outcome != CalcOutcome::kRefused) Guarded([this] { gridViews_->FollowResults(); });
}

void TfrmMain::btn_stopClick() {
  // A click that reaches Stop after its run ended must not stop the next.
  if (state_.busy) zelvo::btn_stopClick(state_);
}

void TfrmMain::btn_exitClick() { close(); }

void TfrmMain::btn_loadClick() {
  RunPreviewCommand([this] { zelvo::btn_loadClick(state_, *this); });
  if (!closed_) Guarded([this] { gridViews_->FollowResults(); });
}

void TfrmMain::btn_save1Click() { SavePaneClick(state_, *this, Control::cb1); }
void TfrmMain::btn_save2Click() { SavePaneClick(state_, *this, Control::cb2); }
void TfrmMain::btn_save3Click() { SavePaneClick(state_, *this, Control::cb3); }

void TfrmMain::cb1Change() { RunPreviewCommand([this] { VariableBoxChange(state_, *this, Control::cb1); }); }
void TfrmMain::cb2Change() {
  RunPreviewCommand([this] { VariableBoxChange(state_, *this, Control::cb2); });
  if (!closed_) Guarded([this] { gridViews_->FollowVariable(Control::img_regta); });
}

void TfrmMain::cb3Change() {
  RunPreviewCommand([this] { VariableBoxChange(state_, *this, Control::cb3); });
  if (!closed_) Guarded([this] { gridViews_->FollowVariable(Control::img_delta); });
}

void TfrmMain::PaneDblClick(Control pane) { gridViews_->Open(pane); }

void TfrmMain::RunPreviewCommand(const std::function<void()>& command) {
  // A preview pumps messages; a close that came in meanwhile cancelled it and
  // waits for it to unwind.
  if (state_.busy || closing_) return;
  Guarded(command);
  state_.busy = false;
  if (closing_) {
    closing_ = false;
    close();
  }
}

bool TfrmMain::FieldExit(Control field) { return CheckFieldOnLeaving(*this, field); }

void TfrmMain::FormClose() {
  state_.ReleaseTables();
  SaveSettings(*this, settings_, settingsLocation_);
}

void TfrmMain::closeEvent(QCloseEvent* event) {
  if (state_.busy) {
    // The run's loop is below us on the stack: cancel it and close once it
    // has unwound (btn_calcClick closes again).
    closing_ = true;
    state_.stopRequested = true;
    event->ignore();
    return;
  }
  if (!closed_) {
    closed_ = true;
    gridViews_->CloseAll();
    FormClose();
  }
  event->accept();
}

void TfrmMain::dragEnterEvent(QDragEnterEvent* event) {
  if (DroppedFile(event->mimeData())) event->acceptProposedAction();
}

void TfrmMain::dropEvent(QDropEvent* event) {
  const std::optional<std::string> fileName = DroppedFile(event->mimeData());
  if (!fileName) return;
  event->acceptProposedAction();
  Guarded([this, &fileName] { InputFileChosen(*fileName); });
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonDblClick) {
    for (Control pane : kPreviewPanes) {
      if (watched == Widget(pane)) Guarded([this, pane] { PaneDblClick(pane); });
    }
  }
  if (event->type() != QEvent::FocusOut || checkingField_ || closing_) {
    return QWidget::eventFilter(watched, event);
  }
  // Leaving the field for another control of the window; the window losing
  // its activation (a message box, another program) is no leaving.
  switch (static_cast<QFocusEvent*>(event)->reason()) {
    case Qt::MouseFocusReason: case Qt::TabFocusReason: case Qt::BacktabFocusReason:
    case Qt::ShortcutFocusReason: case Qt::OtherFocusReason:
      break;
    default:
      return QWidget::eventFilter(watched, event);
  }
  checkingField_ = true;
  Guarded([&] {
    for (Control field : FieldsCheckedOnLeaving()) {
      if (watched == Widget(field)) FieldExit(field);
    }
  });
  checkingField_ = false;
  return QWidget::eventFilter(watched, event);
}

}  // namespace zelvo
