#include "app/qt/main_window.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <new>

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFocusEvent>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>

#include "app/calc_command.h"
#include "base/file_names.h"
#include "app/load_command.h"
#include "base/number_text.h"
#include "app/preview_commands.h"
#include "base/run_observer.h"
#include "app/qt/pane_widget.h"
#include "app/window_items.h"
#include "base/run_limits.h"

namespace zelvo {
namespace {

constexpr int kClientWidth = 565;
constexpr int kClientHeight = 585;
// The message loop is entered at the first point after each tick: entering
// it costs more than a fit, and a tick keeps Stop and repainting prompt.
constexpr qint64 kMessageTickMs = 10;

QString ToQt(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string FromQt(const QString& text) { return text.toStdString(); }

char LocaleSeparator() {
  const QString point = QLocale().decimalPoint();
  if (point.size() == 1 && point[0].unicode() < 0x80) return static_cast<char>(point[0].unicode());
  return '.';
}

// The decorative picture beside the parameters: a shaded hill, the kind of
// field the tool works on.
QPixmap DecorativePicture() {
  constexpr int kSize = 101;
  QImage image(kSize, kSize, QImage::Format_RGB32);
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) {
      const double dx = (x - 50) / 28.0;
      const double dy = (y - 50) / 28.0;
      const double h = std::exp(-(dx * dx + dy * dy));
      // Light from the north-west on the slope of h.
      const double slope = (dx + dy) * h;
      const double shade = std::clamp(0.75 - 0.45 * slope, 0.25, 1.0);
      const int r = static_cast<int>(shade * (60 + 195 * h));
      const int g = static_cast<int>(shade * (120 + 100 * (1 - std::abs(2 * h - 1))));
      const int b = static_cast<int>(shade * (230 - 200 * h));
      image.setPixel(x, y, qRgb(r, g, b));
    }
  }
  return QPixmap::fromImage(image);
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
  sinceMessages_.start();
  ReadCfg(*this, settings_);
}

TfrmMain::~TfrmMain() = default;

QLabel* TfrmMain::AddLabel(QWidget* parent, int left, int top, const char* caption) {
  auto* label = new QLabel(caption, parent);
  label->adjustSize();
  label->move(left, top);
  return label;
}

QLineEdit* TfrmMain::AddEdit(Control control, int left, int top, int width, const char* hint) {
  auto* edit = new QLineEdit(this);
  edit->setGeometry(left, top, width, 21);
  if (hint != nullptr) edit->setToolTip(hint);
  widgets_[static_cast<int>(control)] = edit;
  return edit;
}

QComboBox* TfrmMain::AddList(Control control, QWidget* parent, int left, int top, int width,
                             const char* hint) {
  auto* list = new QComboBox(parent);
  list->setGeometry(left, top, width, 21);
  for (const std::string& item : ListItems(control)) list->addItem(ToQt(item));
  if (hint != nullptr) list->setToolTip(hint);
  widgets_[static_cast<int>(control)] = list;
  return list;
}

QPushButton* TfrmMain::AddButton(Control control, int left, int top, int width, int height,
                                 const char* caption, const char* hint) {
  auto* button = new QPushButton(caption, this);
  button->setGeometry(left, top, width, height);
  button->setAutoDefault(false);
  if (hint != nullptr) button->setToolTip(hint);
  widgets_[static_cast<int>(control)] = button;
  return button;
}

void TfrmMain::BuildControls() {
  AddLabel(this, 16, 16, "Name of input file [dat,xyz,cba] ");
  AddEdit(Control::txt_in, 184, 8, 337, "Data must contain x, y, h, cba");
  AddButton(Control::btn_in, 528, 8, 25, 21, "...", "Show input dialog for data");

  auto* columns = new QGroupBox("Columns for", this);
  columns->setObjectName("GroupBox2");
  columns->setGeometry(17, 32, 505, 41);
  AddLabel(columns, 11, 24, "X coordinate");
  AddList(Control::cmb_gx, columns, 77, 16, 41, nullptr);
  AddLabel(columns, 124, 23, "Y coordinate");
  AddList(Control::cmb_gy, columns, 205, 15, 41, nullptr);
  AddLabel(columns, 282, 25, "Point ");
  AddList(Control::cmb_point, columns, 315, 17, 41, nullptr);
  AddLabel(columns, 387, 25, "Quantity");
  AddList(Control::cmb_gz, columns, 449, 17, 41, nullptr);

  AddLabel(this, 16, 88, "Name of subset input file ");
  AddEdit(Control::txt_log, 184, 79, 340,
          "Optional Subset of input file for detail trace calculation ");
  AddButton(Control::btn_log, 528, 80, 25, 21, "...", nullptr);

  auto* pointIn = new QCheckBox("Point of calculation IN", this);
  pointIn->setLayoutDirection(Qt::RightToLeft);  // caption left of the box
  pointIn->setGeometry(16, 110, 185, 17);
  widgets_[static_cast<int>(Control::chb_cpin)] = pointIn;

  AddLabel(this, 16, 138, "Name of output file [.xyz] ");
  AddEdit(Control::txt_out, 181, 130, 343,
          "(x, y, point, h, cba, xgg, ygg, hgg,vgg, regta, delta, A(x,z) )");
  AddButton(Control::btn_out, 530, 130, 25, 21, "...", "Show save dialog for output data");

  AddLabel(this, 16, 165, "Radius for search [m]");
  AddEdit(Control::txt_radius, 181, 157, 90, "Search radius for point of calculation");
  AddLabel(this, 296, 160, "N nearest points");
  AddEdit(Control::txt_n, 400, 160, 50, nullptr);
  auto* picture = new QLabel(this);
  picture->setObjectName("Image1");
  picture->setGeometry(456, 157, 101, 101);
  picture->setPixmap(DecorativePicture());

  AddLabel(this, 16, 192, "Number of iterations (0 .. 10000)");
  QLineEdit* iterations =
      AddEdit(Control::txt_iter, 181, 184, 73, "Number of iteration for selected object");
  upDown_ = new UpDownWidget(iterations, kMinIterations, kMaxIterations, this);
  upDown_->setGeometry(254, 184, 17, 21);
  widgets_[static_cast<int>(Control::UpDown1)] = upDown_;

  auto* searching = new QGroupBox("Searching", this);
  searching->setGeometry(348, 187, 102, 73);
  widgets_[static_cast<int>(Control::rg_nearest)] = searching;
  searchGroup_ = new QButtonGroup(searching);
  const std::vector<std::string>& modes = ListItems(Control::rg_nearest);
  for (std::size_t i = 0; i < modes.size(); ++i) {
    auto* radio = new QRadioButton(ToQt(modes[i]), searching);
    radio->setObjectName(QString("rg_nearest_%1").arg(i));
    radio->setGeometry(8, 20 + 24 * static_cast<int>(i), 90, 17);
    searchGroup_->addButton(radio, static_cast<int>(i));
  }

  AddLabel(this, 16, 216, "Object of higher iteration");
  AddList(Control::cb_iter, this, 181, 208, 90, "Select object for iteration greater then 0");
  AddLabel(this, 16, 245, "Centering X coordinate");
  AddList(Control::cmb_centerx, this, 181, 237, 161, nullptr);
  AddLabel(this, 16, 272, "Centering Y coordinate");
  AddList(Control::cmb_centery, this, 181, 264, 161, nullptr);
  AddLabel(this, 16, 296, "Centering Quantity");
  AddList(Control::cmb_centerz, this, 181, 291, 161, nullptr);

  AddLabel(this, 16, 356, "Calc progress");
  auto* progress = new QProgressBar(this);
  progress->setGeometry(181, 352, 376, 17);
  progress->setRange(0, 100);
  progress->setValue(0);
  progress->setTextVisible(false);
  widgets_[static_cast<int>(Control::ProgressBar1)] = progress;

  auto* preview = new QCheckBox("Preview grids", this);
  preview->setGeometry(20, 384, 89, 17);
  preview->setToolTip("If checked then calc and show grids for selected variables.");
  widgets_[static_cast<int>(Control::cb_preview)] = preview;
  AddLabel(this, 116, 384, "Radius for gridding [m]");
  AddEdit(Control::txt_nearest, 228, 376, 89,
          "If 0 then radius for gridding  is equal to radius for search");
  AddButton(Control::btn_load, 324, 376, 73, 25, "&Load", "Load calculated Zelvo files");
  AddButton(Control::btn_calc, 404, 376, 73, 25, "&Calc",
            "Calc gradients and save results to output file.");
  // Stop lies beneath Exit: created first, so Exit covers it.
  AddButton(Control::btn_stop, 484, 376, 73, 25, "&Stop", nullptr)->hide();
  AddButton(Control::btn_exit, 484, 376, 73, 25, "&Exit", "Save setting and Exit program.");

  AddList(Control::cb1, this, 8, 407, 89, "Select variable for gridding.");
  AddButton(Control::btn_save1, 148, 408, 41, 21, "&Save", "Save grid as bitmap.");
  AddList(Control::cb2, this, 196, 408, 97, "Select variable for gridding.");
  AddButton(Control::btn_save2, 332, 408, 41, 21, "S&ave", "Save grid as bitmap.");
  AddList(Control::cb3, this, 380, 408, 97, "Select variable for gridding.");
  AddButton(Control::btn_save3, 516, 408, 41, 21, "Sa&ve", "Save grid as bitmap.");

  const int paneLefts[] = {12, 196, 380};
  for (int i = 0; i < 3; ++i) {
    auto* pane = new PaneWidget(kPaneWidth, kPaneHeight, this);
    pane->setGeometry(paneLefts[i], 432, kPaneWidth, kPaneHeight);
    widgets_[static_cast<int>(kPreviewPanes[i])] = pane;
  }

  static const char* const kNames[kControlCount] = {
      "txt_in", "btn_in", "cmb_gx", "cmb_gy", "cmb_point", "cmb_gz",
      "txt_log", "btn_log", "chb_cpin", "txt_out", "btn_out",
      "txt_radius", "txt_n", "txt_iter", "UpDown1", "rg_nearest", "cb_iter",
      "cmb_centerx", "cmb_centery", "cmb_centerz", "ProgressBar1",
      "cb_preview", "txt_nearest", "btn_load", "btn_calc", "btn_exit", "btn_stop",
      "cb1", "btn_save1", "cb2", "btn_save2", "cb3", "btn_save3",
      "img_uba", "img_regta", "img_delta"};
  for (int i = 0; i < kControlCount; ++i) {
    widgets_[i]->setObjectName(kNames[i]);
    edits_[i] = qobject_cast<QLineEdit*>(widgets_[i]);
    lists_[i] = qobject_cast<QComboBox*>(widgets_[i]);
    checkBoxes_[i] = qobject_cast<QCheckBox*>(widgets_[i]);
  }

  for (const ControlDefault& value : WindowDefaults()) {
    if (value.text != nullptr) SetText(value.control, value.text);
    if (value.itemIndex != -2) SetItemIndex(value.control, value.itemIndex);
    if (value.itemIndex == -2 && value.text == nullptr) SetChecked(value.control, value.checked);
  }
  SetEnabled(Control::cb_iter, false);
  SetEnabled(Control::cb1, false);

  for (Control field : {Control::txt_radius, Control::txt_nearest, Control::txt_iter}) {
    Widget(field)->installEventFilter(this);
  }
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

// ---- WindowServices -------------------------------------------------------

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

// ---- Handlers -------------------------------------------------------------

void TfrmMain::btn_inClick() {
  std::optional<FileDialogChoice> choice =
      OpenFileDialog({kOpenDataFilter, "dat", Text(Control::txt_in), openFilterIndex_});
  if (!choice) return;
  openFilterIndex_ = choice->filterIndex;
  SetText(Control::txt_in, choice->fileName);
  SetText(Control::txt_out, ReplaceExtension(choice->fileName, "_out.dat"));
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
  Guarded([this] { zelvo::btn_calcClick(state_, *this); });
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
  }
}

void TfrmMain::btn_stopClick() {
  // A click that reaches Stop after its run ended must not stop the next.
  if (state_.busy) zelvo::btn_stopClick(state_);
}

void TfrmMain::btn_exitClick() { close(); }

void TfrmMain::btn_loadClick() { RunPreviewCommand([this] { zelvo::btn_loadClick(state_, *this); }); }

void TfrmMain::btn_save1Click() { SavePaneClick(state_, *this, Control::cb1); }
void TfrmMain::btn_save2Click() { SavePaneClick(state_, *this, Control::cb2); }
void TfrmMain::btn_save3Click() { SavePaneClick(state_, *this, Control::cb3); }

void TfrmMain::cb1Change() { RunPreviewCommand([this] { VariableBoxChange(state_, *this, Control::cb1); }); }
void TfrmMain::cb2Change() { RunPreviewCommand([this] { VariableBoxChange(state_, *this, Control::cb2); }); }
void TfrmMain::cb3Change() { RunPreviewCommand([this] { VariableBoxChange(state_, *this, Control::cb3); }); }

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

bool TfrmMain::CheckNumber(Control field) {
  const std::string text = Text(field);
  std::string problem;
  if (text.empty()) problem = "Parameter is required";
  else if (!ParseNumber(TrimBlanks(text), separator_)) problem = text + " Is not a number";
  if (problem.empty()) return true;
  ShowMessage("Error", problem);
  SetFocus(field);
  return false;
}

bool TfrmMain::txt_iterExit() {
  const std::string text = Text(Control::txt_iter);
  std::string problem;
  if (text.empty()) {
    problem = "Parameter is required";
  } else if (const std::optional<std::int32_t> value = ParseInteger(TrimBlanks(text)); !value) {
    problem = text + " Is not a number";
  } else if (!IterationsAllowed(*value)) {
    problem = kIterationsMessage;
  }
  if (problem.empty()) return true;
  ShowMessage("Error", problem);
  SetFocus(Control::txt_iter);
  return false;
}

void TfrmMain::FormClose() {
  state_.ReleaseTables();
  SaveSettings(*this, settings_);
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
    FormClose();
  }
  event->accept();
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event) {
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
    if (watched == Widget(Control::txt_radius)) CheckNumber(Control::txt_radius);
    else if (watched == Widget(Control::txt_nearest)) CheckNumber(Control::txt_nearest);
    else if (watched == Widget(Control::txt_iter)) txt_iterExit();
  });
  checkingField_ = false;
  return QWidget::eventFilter(watched, event);
}

}  // namespace zelvo
