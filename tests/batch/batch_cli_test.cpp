// zelvo-batch as a script runs it: exit codes, messages, files.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <csignal>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/bitmap_file.h"
#include "support/paths.h"
#include "support/temp_dir.h"

namespace zelvo {
namespace {

using testing::BitmapPixels;
using testing::ReadBitmapFile;
using testing::ReadFile;

struct Outcome {
  int exitCode;
  std::string stdoutText;
  std::string stderrText;
};

constexpr const char* kTryHelp = "Try 'zelvo-batch --help' for more information.\n";

class Batch : public ::testing::Test {
 protected:
  Outcome Run(const std::string& arguments) { return Shell(Program() + " " + arguments + " </dev/null"); }
  // A shell command whose last part is the program, its output kept.
  Outcome Shell(const std::string& command) {
    const std::string out = dir.File("stdout.txt"), err = dir.File("stderr.txt");
    const int status = std::system((command + " >'" + out + "' 2>'" + err + "'").c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(out), ReadFile(err)};
  }
  static std::string Program() { return "'" + testing::BatchProgram() + "'"; }
  std::string FirstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

  testing::TempDir dir;
  const std::string example = testing::ExamplesDir() + "/sphere_survey.dat";
};

TEST_F(Batch, InfoReportsWhatTheFileHolds) {
  const std::string input = dir.Write("in.dat", "\"x\" \"y\" \"id\" \"q\"\n-1e-5 2 1 5\n3 4 2 1.23456789012345678e17\nLine 3\n5 6 3 7");
  const Outcome info = Run("--info '" + input + "' --decimal-separator .");
  ASSERT_EQ(info.exitCode, 0) << info.stderrText;
  EXPECT_EQ(info.stdoutText,
            "points: 3\nlines skipped: 2\nx: -1E-5 5\ny: 2 6\nquantity: 5 1.23456789012346E17\n"
            "shift: 1E-5 0\narea centre: 2.500005 4 6.17283945061728E16\ntraced: 0\n");
}

TEST_F(Batch, BadUsageIsRefusedBeforeAnyFileIsOpened) {
  const std::string out = dir.File("out.dat");
  for (const auto& [arguments, message] : std::vector<std::pair<std::string, std::string>>{
           {"--radius 0.000001 in.dat " + out, "Search radius must be greater than 0."},
           {"--radius 5 in.dat in.dat", "Input and output file name must not be the same."},
           {"--radius 5 --iterations 10001 in.dat " + out, "Number of iteration must be in range 0 .. 10000"},
           {"--radius 5 --nearest 0 in.dat " + out, "Number of nearest points must be at least 1"},
           {"--radius 5 --nearest 2.5 in.dat " + out, "'2.5' is not a valid integer value"},
           {"--radius 5,5 in.dat " + out, "'5,5' is not a valid floating point value"},
           {"--radius 5 --object XYZ in.dat " + out, "--object takes RGA or LGA"},
           {"--radius 5 in.dat", "expected INPUT and OUTPUT file names"},
           {"--radius 5 --subset s.dat in.dat -",
            "--subset needs an OUTPUT file name to name the trace file after, not -"},
           {"--radius=5 --quiet=yes in.dat " + out, "--quiet takes no value"},
           {"--radius 5 --bogus in.dat " + out, "unknown option --bogus"}}) {
    const Outcome outcome = Run(arguments);
    EXPECT_EQ(outcome.exitCode, 2) << arguments;
    EXPECT_EQ(outcome.stderrText, "zelvo-batch: " + message + "\n" + kTryHelp) << arguments;
  }
  EXPECT_FALSE(std::filesystem::exists(out));
  EXPECT_EQ(Run("--help").exitCode, 0);
  EXPECT_EQ(FirstLine(Run("--version").stdoutText).rfind("zelvo-batch ", 0), 0u);
}

TEST_F(Batch, RunFailuresExitWithOne) {
  const Outcome full = Run("--radius 60 '" + example + "' /dev/full");
  EXPECT_EQ(full.exitCode, 1);
  EXPECT_EQ(full.stderrText, "zelvo-batch: Error by writing output file: /dev/full: No space left on device\n");
  const std::string sparse = dir.Write("sparse.dat", "0 0 1 0\n1 0 2 1\n0 1 3 2\n50 50 17 0\n");
  const Outcome stop = Run("--radius 2 --on-singular stop '" + sparse + "' '" + dir.File("o.dat") + "'");
  EXPECT_EQ(stop.exitCode, 1);
  EXPECT_EQ(FirstLine(stop.stderrText),
            "zelvo-batch: warning: Error in SLE - Check coordinate of point 1. Continue? No");
  const Outcome nearest = Run("--radius 2 --nearest 5 '" + sparse + "' '" + dir.File("o.dat") + "'");
  EXPECT_EQ(nearest.exitCode, 1);
  EXPECT_EQ(nearest.stderrText, "zelvo-batch: Not enough points for N nearest point search at point 1\n");
}

TEST_F(Batch, EveryUsageErrorIsToldThenWhereToLook) {
  const Outcome outcome = Run("--radius 0 --iterations x --bogus --object XYZ in.dat");
  EXPECT_EQ(outcome.exitCode, 2);
  EXPECT_EQ(outcome.stderrText,
            "zelvo-batch: unknown option --bogus\n"
            "zelvo-batch: --object takes RGA or LGA\n"
            "zelvo-batch: expected INPUT and OUTPUT file names\n"
            "zelvo-batch: Search radius must be greater than 0.\n"
            "zelvo-batch: 'x' is not a valid integer value\n" +
                std::string(kTryHelp));
  EXPECT_EQ(Run("in.dat").stderrText,
            "zelvo-batch: expected INPUT and OUTPUT file names\nzelvo-batch: --radius is required\n" +
                std::string(kTryHelp));
}

TEST_F(Batch, OptionFormsAndTheEndOfOptions) {
  const std::string spaced = dir.File("spaced.dat");
  ASSERT_EQ(Run("--quiet --radius 60 --iterations 1 '" + example + "' '" + spaced + "'").exitCode, 0);
  std::filesystem::copy_file(example, dir.File("-survey.dat"));
  const Outcome joined = Shell("cd '" + dir.path() + "' && " + Program() +
                               " --radius=60 -q --iterations=1 -- -survey.dat -joined.dat </dev/null");
  ASSERT_EQ(joined.exitCode, 0) << joined.stderrText;
  EXPECT_EQ(joined.stderrText, "") << "-q: nothing but errors and warnings";
  const std::string written = ReadFile(dir.File("-joined.dat"));
  // Only the header's input name differs.
  EXPECT_EQ(written.substr(written.find('\n')), ReadFile(spaced).substr(ReadFile(spaced).find('\n')));
}

TEST_F(Batch, DashStandsForStandardInputAndOutput) {
  const std::string normal = dir.File("normal.dat");
  ASSERT_EQ(Run("-q --radius 60 '" + example + "' '" + normal + "'").exitCode, 0);
  const Outcome toStdout = Run("-q --radius 60 '" + example + "' -");
  ASSERT_EQ(toStdout.exitCode, 0) << toStdout.stderrText;
  EXPECT_EQ(toStdout.stdoutText, ReadFile(normal)) << "the result file, byte for byte";
  EXPECT_EQ(toStdout.stderrText, "");

  std::filesystem::create_directory(dir.File("tmp"));
  const std::string piped = "cat '" + example + "' | TMPDIR='" + dir.File("tmp") + "' " + Program();
  const Outcome through = Shell(piped + " -q --radius 60 - -");
  ASSERT_EQ(through.exitCode, 0) << through.stderrText;
  EXPECT_EQ(FirstLine(through.stdoutText).rfind("Map: /dev/stdin ", 0), 0u) << through.stdoutText;
  const std::string normalText = ReadFile(normal);
  EXPECT_EQ(through.stdoutText.substr(through.stdoutText.find('\n')),
            normalText.substr(normalText.find('\n')));
  EXPECT_TRUE(std::filesystem::is_empty(dir.File("tmp"))) << "no temporary file is left";

  EXPECT_EQ(Shell(piped + " --info -").stdoutText, Run("--info '" + example + "'").stdoutText);
  std::filesystem::create_directory(dir.File("panes"));
  const Outcome load = Shell("cat '" + normal + "' | " + Program() + " --load - --preview '" +
                             dir.File("panes") + "'");
  EXPECT_EQ(load.exitCode, 0) << load.stderrText;
  EXPECT_FALSE(std::filesystem::is_empty(dir.File("panes")));
}

TEST_F(Batch, FileFailuresTellTheFileAndTheSystemsReason) {
  const std::string none = dir.File("none.dat");
  for (const auto& [arguments, message] : std::vector<std::pair<std::string, std::string>>{
           {"--info '" + none + "'", "Cannot open input data file: " + none + ": No such file or directory"},
           {"--radius 60 '" + dir.path() + "' '" + dir.File("o.dat") + "'",
            "Cannot open input data file: " + dir.path() + ": Is a directory"},
           {"--radius 60 --subset '" + none + "' '" + example + "' '" + dir.File("o.dat") + "'",
            "Cannot open subset input data file: " + none + ": No such file or directory"},
           {"--radius 60 '" + example + "' '" + dir.File("no/o.dat") + "'",
            "Error by opening output file: " + dir.File("no/o.dat") + ": No such file or directory"},
           {"--load '" + none + "' --preview '" + dir.path() + "'",
            "Cannot open input data file: " + none + ": No such file or directory"}}) {
    const Outcome outcome = Run(arguments);
    EXPECT_EQ(outcome.exitCode, 1) << arguments;
    EXPECT_EQ(outcome.stderrText, "zelvo-batch: " + message + "\n") << arguments;
  }
}

// What the program writes to stderr when that is a terminal.
std::string TerminalErrors(const std::string& arguments) {
  int terminal = -1, side = -1;
  if (openpty(&terminal, &side, nullptr, nullptr, nullptr) != 0) return "no terminal";
  const pid_t child = fork();
  if (child == 0) {
    close(terminal);
    dup2(side, STDERR_FILENO);
    execl("/bin/sh", "sh", "-c",
          ("exec '" + testing::BatchProgram() + "' " + arguments + " </dev/null >/dev/null").c_str(),
          static_cast<char*>(nullptr));
    _exit(127);
  }
  close(side);
  std::string text;
  char buffer[4096];
  for (ssize_t got; (got = read(terminal, buffer, sizeof buffer)) > 0;) text.append(buffer, got);
  close(terminal);
  waitpid(child, nullptr, 0);
  return text;
}

TEST_F(Batch, ProgressIsDrawnOnATerminalOnly) {
  const std::string arguments = "--radius 60 '" + example + "' '" + dir.File("o.dat") + "'";
  const std::string drawn = TerminalErrors(arguments);
  const std::size_t end = drawn.rfind("] 100%  0:");
  ASSERT_NE(end, std::string::npos) << drawn;
  EXPECT_NE(drawn.find(" elapsed, 0:00 left\r\nzelvo-batch: 4221 points, 1 passes", end), std::string::npos)
      << drawn;
  EXPECT_EQ(TerminalErrors("-q " + arguments), "");

  const Outcome piped = Run(arguments);
  ASSERT_EQ(piped.exitCode, 0);
  EXPECT_EQ(piped.stderrText.rfind("zelvo-batch: 4221 points, 1 passes, 0 passed over, ", 0), 0u)
      << piped.stderrText;
  EXPECT_EQ(piped.stderrText.find('['), std::string::npos) << "no bar into a file";
  EXPECT_EQ(std::count(piped.stderrText.begin(), piped.stderrText.end(), '\n'), 1);
}

// A field whose values the result file writes without rounding: coordinates
// with one decimal, the quantity with three.
std::string ExactlyWrittenField() {
  std::ostringstream out;
  out.setf(std::ios::fixed);
  for (int j = 0; j < 30; ++j) {
    for (int i = 0; i < 60; ++i) {
      const double x = i * 10.3, y = j * 20.7;
      const long milli = std::lround(1000 * (30 * std::exp(-((x - 300) * (x - 300) + (y - 280) * (y - 280)) / 40000) + 0.01 * x));
      out.precision(1);
      out << x << " " << y << " " << j * 60 + i << " ";
      out.precision(3);
      out << milli / 1000.0 << "\n";
    }
  }
  return out.str();
}

TEST_F(Batch, PreviewsAndTheirLoadBack) {
  const std::string input = dir.Write("field.dat", ExactlyWrittenField());
  const std::string result = dir.File("field_out.dat");
  std::filesystem::create_directory(dir.File("run"));
  const Outcome run = Run("--quiet --radius 50 --iterations 1 --pane3 rq --preview '" +
                          dir.File("run") + "' '" + input + "' '" + result + "'");
  ASSERT_EQ(run.exitCode, 0) << run.stderrText;
  for (const char* name : {"quantity_r=50_iter=1_object=rga.bmp", "hgqx_r=50_iter=1_object=rga.bmp",
                           "rq_r=50_iter=1_object=rga.bmp"}) {
    const BitmapPixels image = ReadBitmapFile(dir.File("run/") + name);
    ASSERT_FALSE(image.Empty()) << name;
    EXPECT_EQ(image.width, 177);
    EXPECT_EQ(image.height, 145);
    EXPECT_EQ(image.At(0, 0), 0u) << "the pane's black frame";
  }

  std::filesystem::create_directory(dir.File("load"));
  const Outcome load = Run("--load '" + result + "' --pane3 rq --preview '" + dir.File("load") + "'");
  ASSERT_EQ(load.exitCode, 0) << load.stderrText;
  const auto pane = [&](const char* folder, const char* name) {
    return ReadBitmapFile(dir.File(folder) + "/" + name);
  };
  // The records hold the coordinates and the quantity exactly, so the
  // quantity pane comes back pixel for pixel; the results are written with
  // six decimals, so their panes differ at most where a value sits on a
  // class boundary.
  EXPECT_EQ(DifferingPixels(pane("run", "quantity_r=50_iter=1_object=rga.bmp"),
                            pane("load", "quantity_r=50_iter=1_object=rga.bmp")), 0);
  EXPECT_LT(DifferingPixels(pane("run", "hgqx_r=50_iter=1_object=rga.bmp"),
                            pane("load", "hgqx_r=50_iter=1_object=rga.bmp")), 177 * 145 / 100);

  const std::string small = dir.File("small_out.dat");
  ASSERT_EQ(Run("--radius 0.4 '" + dir.Write("small.dat", "0 0 1 0\n1 0 2 1\n0 1 3 2\n1 1 4 3\n") + "' '" + small + "'").exitCode, 0);
  EXPECT_NE(ReadFile(small).find("Radius:      0"), std::string::npos);
  const Outcome refused = Run("--load '" + small + "' --preview '" + dir.File("load") + "'");
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_EQ(refused.stderrText, "zelvo-batch: Search radius must be greater than 0.\n");

  const Outcome unwritable = Run("--load '" + result + "' --preview /proc");
  EXPECT_EQ(unwritable.exitCode, 1);
  EXPECT_EQ(unwritable.stderrText.rfind("zelvo-batch: Cannot write preview image /proc/quantity_r=50", 0), 0u);
}

TEST_F(Batch, PanesThatShareADefaultNameAreAllWritten) {
  const std::string input = dir.Write("field.dat", ExactlyWrittenField());
  std::filesystem::create_directory(dir.File("pictures"));
  const Outcome run = Run("--quiet --radius 50 --pane2 RQ --pane3 rq --preview '" + dir.File("pictures") +
                          "' '" + input + "' '" + dir.File("out.dat") + "'");
  ASSERT_EQ(run.exitCode, 0) << run.stderrText;
  const auto pane = [&](const char* name) { return ReadBitmapFile(dir.File("pictures/") + name); };
  const BitmapPixels fitted = pane("rq_r=50_iter=0_object=rga.bmp");
  const BitmapPixels residual = pane("rq_r=50_iter=0_object=rga_pane3.bmp");
  ASSERT_FALSE(fitted.Empty());
  ASSERT_FALSE(residual.Empty());
  EXPECT_GT(DifferingPixels(fitted, residual), 0) << "Rq and rq are different pictures";
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.File("pictures")),
                          std::filesystem::directory_iterator()),
            3);
}

TEST_F(Batch, ASettingsFileOfTheWrongSizeIsWarnedOf) {
  const std::string input = dir.Write("field.dat", ExactlyWrittenField());
  for (const std::size_t size : {100, 847, 900}) {
    const std::string settings = dir.Write("zelvo.cfg", std::string(size, '\0'));
    const Outcome run = Run("--settings '" + settings + "' --radius 50 --columns A,B,C,D --quiet '" + input +
                            "' '" + dir.File("out.dat") + "'");
    EXPECT_EQ(run.exitCode, 0) << run.stderrText;
    const std::string warning = "zelvo-batch: warning: settings file " + settings + " holds " +
                                std::to_string(size) + " bytes, not the expected 847";
    EXPECT_EQ(FirstLine(run.stderrText) == warning, size != 847) << run.stderrText;
  }
}

// A run long enough to be stopped while it writes its result file.
std::string SlowField() {
  std::ostringstream out;
  for (int j = 0; j < 400; ++j) {
    for (int i = 0; i < 400; ++i) out << i << " " << j << " " << j * 400 + i << " " << (i * j) % 97 << "\n";
  }
  return out.str();
}

// Starts the program, waits until it has written `bytes` of the file, sends
// the signal and returns the exit status.
int StopWhileWriting(const std::string& arguments, const std::string& file, std::uintmax_t bytes, int signal) {
  const pid_t child = fork();
  if (child == 0) {
    execl("/bin/sh", "sh", "-c", ("exec '" + testing::BatchProgram() + "' " + arguments + " 2>/dev/null").c_str(),
          static_cast<char*>(nullptr));
    _exit(127);
  }
  std::error_code error;
  while (std::filesystem::file_size(file, error) < bytes || error) {
    if (waitpid(child, nullptr, WNOHANG) == child) return -1;  // ended before it could be stopped
    usleep(1000);
  }
  kill(child, signal);
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

TEST_F(Batch, TerminationSignalsStopAtARecordBoundary) {
  const std::string input = dir.Write("slow.dat", SlowField());
  for (const auto& [signal, exitCode] : {std::pair{SIGINT, 130}, {SIGTERM, 143}, {SIGHUP, 129}}) {
    const std::string result = dir.File("slow_out.dat");
    std::filesystem::remove(result);
    EXPECT_EQ(StopWhileWriting("--quiet --radius 12 '" + input + "' '" + result + "'", result, 20000, signal),
              exitCode);
    const std::string written = ReadFile(result);
    ASSERT_FALSE(written.empty());
    EXPECT_EQ(written.back(), '\n') << "signal " << signal;
    std::istringstream lines(written);
    std::string line, header, first;
    std::getline(lines, header);
    std::getline(lines, header);
    std::getline(lines, first);
    int records = 1;
    while (std::getline(lines, line)) {
      ++records;
      ASSERT_EQ(line.size(), first.size()) << "record " << records << " after signal " << signal;
    }
    EXPECT_LT(records, 160000) << "the run was stopped before its end";
  }
}

}  // namespace
}  // namespace zelvo
