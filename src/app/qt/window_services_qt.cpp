#include <algorithm>

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QProgressBar>

#include "app/qt/main_window.h"
#include "app/qt/pane_widget.h"
#include "app/qt/qt_text.h"
#include "app/window_items.h"
#include "base/run_observer.h"

namespace zelvo {
namespace {

// The message loop is entered at the first point after each tick: entering
// it costs more than a fit, and a tick keeps Stop and repainting prompt.
constexpr qint64 kMessageTickMs = 10;

struct FilterList {
  QStringList descriptions;
};

FilterList SplitFilter(const std::string& filter) {
  const QStringList parts = ToQt(filter).split('|');
  FilterList list;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) list.descriptions << parts[i];
  return list;
}

}  // namespace

std::string TfrmMain::Text(Control control) const {
  const int i = static_cast<int>(control);
  if (QLineEdit* edit = edits_[i]) return FromQt(edit->text());
  if (QComboBox* list = lists_[i]) return FromQt(list->currentText());
  return {};
}

void TfrmMain::SetText(Control control, std::string_view text) {
  const int i = static_cast<int>(control);
  if (QLineEdit* edit = edits_[i]) {
    edit->setText(ToQt(text));
  } else if (QComboBox* list = lists_[i]) {
    // A list shows only its items: the text selects the matching one.
    list->setCurrentIndex(list->findText(ToQt(text), Qt::MatchExactly | Qt::MatchCaseSensitive));
  }
}

int TfrmMain::ItemIndex(Control control) const {
  if (control == Control::rg_nearest) return searchGroup_->checkedId();
  if (QComboBox* list = lists_[static_cast<int>(control)]) return list->currentIndex();
  return -1;
}

void TfrmMain::SetItemIndex(Control control, int index) {
  if (control == Control::rg_nearest) {
    if (QAbstractButton* radio = searchGroup_->button(index)) {
      radio->setChecked(true);
      return;
    }
    searchGroup_->setExclusive(false);
    for (QAbstractButton* radio : searchGroup_->buttons()) radio->setChecked(false);
    searchGroup_->setExclusive(true);
    return;
  }
  if (QComboBox* list = lists_[static_cast<int>(control)]) {
    list->setCurrentIndex(index >= 0 && index < list->count() ? index : -1);
  }
}

bool TfrmMain::Checked(Control control) const {
  const QCheckBox* box = checkBoxes_[static_cast<int>(control)];
  return box != nullptr && box->isChecked();
}

void TfrmMain::SetChecked(Control control, bool checked) {
  if (QCheckBox* box = checkBoxes_[static_cast<int>(control)]) box->setChecked(checked);
}

void TfrmMain::SetSpinnerPosition(Control /*spinner*/, int position) { upDown_->SetPosition(position); }

void TfrmMain::SetEnabled(Control control, bool enabled) {
  FlushPendingMessages();
  Widget(control)->setEnabled(enabled);
}

void TfrmMain::SetVisible(Control control, bool visible) {
  FlushPendingMessages();
  Widget(control)->setVisible(visible);
}

void TfrmMain::SetFocus(Control control) { Widget(control)->setFocus(Qt::OtherFocusReason); }

void TfrmMain::ShowMessage(std::string_view text) { ShowMessage(kApplicationTitle, text); }

void TfrmMain::ShowMessage(std::string_view caption, std::string_view text) {
  ShowBox({std::string(caption), std::string(text), false});
}

bool TfrmMain::Ask(std::string_view caption, std::string_view text) {
  if (closing_) {
    // The user closed the window: the run is cancelled without asking,
    // and a run that asks whether to go on does not.
    return text == kCancelQuestion;
  }
  return ShowBox({std::string(caption), std::string(text), true});
}

bool TfrmMain::ShowBox(const MessageBoxRequest& request) {
  if (options_.messageHook) return options_.messageHook(request);
  QMessageBox box(request.question ? QMessageBox::Question : QMessageBox::NoIcon,
                  ToQt(request.caption), ToQt(request.text),
                  request.question ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, this);
  if (request.question) box.setDefaultButton(QMessageBox::Yes);
  return box.exec() == QMessageBox::Yes;
}

std::optional<FileDialogChoice> TfrmMain::OpenFileDialog(const FileDialogRequest& request) {
  return RunFileDialog(false, request);
}

std::optional<FileDialogChoice> TfrmMain::SaveFileDialog(const FileDialogRequest& request) {
  return RunFileDialog(true, request);
}

std::optional<FileDialogChoice> TfrmMain::RunFileDialog(bool save, const FileDialogRequest& request) {
  if (options_.dialogHook) return options_.dialogHook(save, request);
  const FilterList filters = SplitFilter(request.filter);
  QFileDialog dialog(this);
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog.setNameFilters(filters.descriptions);
  dialog.setDefaultSuffix(ToQt(request.defaultExtension));
  if (!filters.descriptions.isEmpty()) {
    const qsizetype index =
        std::clamp<qsizetype>(request.filterIndex - 1, 0, filters.descriptions.size() - 1);
    dialog.selectNameFilter(filters.descriptions[index]);
  }
  // A name without a folder opens in the current directory.
  const QFileInfo initial(ToQt(request.fileName));
  const bool hasFolder = ToQt(request.fileName).contains('/');
  dialog.setDirectory(hasFolder ? initial.absolutePath() : QDir::currentPath());
  dialog.selectFile(initial.fileName());
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  const qsizetype chosen = filters.descriptions.indexOf(dialog.selectedNameFilter());
  return FileDialogChoice{FromQt(dialog.selectedFiles().first()),
                          chosen < 0 ? request.filterIndex : static_cast<int>(chosen) + 1};
}

void TfrmMain::ProcessMessages() {
  if (sinceMessages_.elapsed() < kMessageTickMs) {
    messagesPending_ = true;
    return;
  }
  ShowProgress();
  QCoreApplication::processEvents();
  sinceMessages_.restart();
  messagesPending_ = false;
}

void TfrmMain::FlushPendingMessages() {
  // Input that arrived since the last tick reaches the buttons it was aimed
  // at before they change (a click on Stop must not land on Exit).
  ShowProgress();
  if (!messagesPending_) return;
  messagesPending_ = false;
  QCoreApplication::processEvents();
  sinceMessages_.restart();
}

void TfrmMain::SetProgressRange(int minimum, int maximum) {
  static_cast<QProgressBar*>(Widget(Control::ProgressBar1))->setRange(minimum, maximum);
}

void TfrmMain::SetProgressPosition(int position) {
  // The bar repaints at once whenever its pixels change; during a run it
  // takes its position with the messages, once a tick.
  progressPosition_ = position;
  if (!state_.busy) ShowProgress();
}

void TfrmMain::ShowProgress() {
  if (!progressPosition_) return;
  static_cast<QProgressBar*>(Widget(Control::ProgressBar1))->setValue(*progressPosition_);
  progressPosition_.reset();
}

void TfrmMain::ShowHourglass() { QApplication::setOverrideCursor(Qt::WaitCursor); }
void TfrmMain::RestoreCursor() { QApplication::restoreOverrideCursor(); }

int TfrmMain::PaneWidth(Control pane) const { return Pane(pane)->PaneWidth(); }
int TfrmMain::PaneHeight(Control pane) const { return Pane(pane)->PaneHeight(); }
void TfrmMain::ClearPane(Control pane) { Pane(pane)->Clear(); }

void TfrmMain::SetPanePixel(Control pane, int x, int y, std::uint32_t colour) {
  Pane(pane)->SetPixel(x, y, colour);
}

PaneBitmap TfrmMain::CopyPane(Control pane) const { return Pane(pane)->Copy(); }

std::string TfrmMain::LowerCase(std::string_view text) const {
  return FromQt(QLocale().toLower(ToQt(text)));
}

std::string TfrmMain::ExecutablePath() const {
  if (!options_.executablePath.empty()) return options_.executablePath;
  return FromQt(QCoreApplication::applicationFilePath());
}

}  // namespace zelvo
