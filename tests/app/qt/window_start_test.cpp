#include <filesystem>
#include <string>

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QProcess>
#include <QUrl>

#include "app/qt/window_arguments.h"
#include "window_fixture.h"

namespace zelvo::testing {
namespace {

using WindowStart = WindowTest;

struct Finished {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// The built window program, with no display to find unless given a platform.
Finished RunWindowProgram(const QStringList& arguments, const char* platform = nullptr) {
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) environment.remove(name);
  if (platform != nullptr) environment.insert("QT_QPA_PLATFORM", platform);
  QProcess process;
  process.setProcessEnvironment(environment);
  process.start(ZELVO_WINDOW_PROGRAM, arguments);
  if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit) return {};
  return {process.exitCode(), process.readAllStandardOutput().toStdString(),
          process.readAllStandardError().toStdString()};
}

// Whether the window took the drag on entering and on dropping.
std::pair<bool, bool> Drop(QWidget& window, const QList<QUrl>& urls) {
  QMimeData data;
  data.setUrls(urls);
  QDragEnterEvent enter(QPoint(5, 500), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  enter.setAccepted(false);
  QApplication::sendEvent(&window, &enter);
  QDropEvent drop(QPointF(5, 500), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  drop.setAccepted(false);
  QApplication::sendEvent(&window, &drop);
  return {enter.isAccepted(), drop.isAccepted()};
}

TEST(WindowArguments, HelpAndVersionWinAnOptionIsNoFileAndOneFileAtMost) {
  EXPECT_EQ(ParseWindowArguments({"-h"}).action, WindowAction::kHelp);
  EXPECT_EQ(ParseWindowArguments({"--bogus", "a", "b", "--version"}).action, WindowAction::kVersion);
  EXPECT_EQ(ParseWindowArguments({"--", "--help"}).inputFile, std::filesystem::current_path() / "--help");
  EXPECT_EQ(ParseWindowArguments({}).inputFile, "");
  EXPECT_EQ(ParseWindowArguments({"/d/survey.dat"}).inputFile, "/d/survey.dat");
  const WindowArguments unknown = ParseWindowArguments({"a.dat", "--bogus"});
  EXPECT_EQ(unknown.action, WindowAction::kUsageError);
  EXPECT_EQ(unknown.error, "unknown option --bogus");
  EXPECT_EQ(ParseWindowArguments({"a.dat", "b.dat"}).action, WindowAction::kUsageError);
}

TEST(WindowProgram, HelpAndVersionNeedNoDisplayAndUnknownOptionsAreUsageErrors) {
  const Finished help = RunWindowProgram({"--help"});
  EXPECT_EQ(help.exitCode, 0) << help.err;
  EXPECT_EQ(help.out, WindowUsage());
  EXPECT_NE(help.out.find("usage: zelvo [FILE]"), std::string::npos);
  EXPECT_NE(help.out.find("zelvo-batch"), std::string::npos);
  const Finished version = RunWindowProgram({"--version"});
  EXPECT_EQ(version.exitCode, 0) << version.err;
  EXPECT_EQ(version.out, "zelvo " ZELVO_VERSION "\n");
  const Finished unknown = RunWindowProgram({"--bogus"}, "offscreen");
  EXPECT_EQ(unknown.exitCode, 2);
  // After whatever the toolkit had to say on starting.
  EXPECT_TRUE(unknown.err.ends_with("zelvo: unknown option --bogus\nTry 'zelvo --help'\n")) << unknown.err;
}

TEST_F(WindowStart, AFileNamedAtStartIsTakenAsTheButtonTakesIt) {
  TfrmMain& w = Window();
  w.InputFileChosen(ParseWindowArguments({"survey.xyz"}).inputFile);
  const std::string absolute = std::filesystem::current_path() / "survey.xyz";
  EXPECT_EQ(w.Text(Control::txt_in), absolute);
  EXPECT_EQ(w.Text(Control::txt_out), std::filesystem::current_path() / "survey_out.dat");
  dialogChoices.push_back(std::nullopt);
  Click("btn_in");
  ASSERT_EQ(dialogs.size(), 1u);
  EXPECT_EQ(dialogs[0].second.fileName, absolute);  // the dialog starts from it
}

TEST_F(WindowStart, ASingleDroppedFileIsTakenAsTheButtonTakesIt) {
  TfrmMain& w = Window();
  EXPECT_TRUE(w.acceptDrops());
  const QUrl a = QUrl::fromLocalFile(QString::fromStdString(dir.Write("a.xyz", "")));
  const QUrl b = QUrl::fromLocalFile(QString::fromStdString(dir.Write("b.dat", "")));
  const QList<QUrl> refused[] = {
      {QUrl("https://example.org/a.dat")}, {a, b}, {QUrl::fromLocalFile(QString::fromStdString(dir.path()))}};
  for (const QList<QUrl>& urls : refused) EXPECT_EQ(Drop(w, urls), std::make_pair(false, false)) << urls.size();
  EXPECT_EQ(w.Text(Control::txt_in), "");
  EXPECT_EQ(Drop(w, {a}), std::make_pair(true, true));
  EXPECT_EQ(w.Text(Control::txt_in), dir.File("a.xyz"));
  EXPECT_EQ(w.Text(Control::txt_out), dir.File("a_out.dat"));
  EXPECT_TRUE(boxes.empty());
}

}  // namespace
}  // namespace zelvo::testing
