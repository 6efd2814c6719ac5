// SIGINT, SIGTERM and SIGHUP at any moment of a run act as Stop: the program
// ends with 128 + the signal's number, and the result and trace files hold
// whole records up to where it stopped.

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "support/paths.h"
#include "support/temp_dir.h"

namespace zelvo {
namespace {

using testing::ReadFile;

// A survey of lines 10 m apart with a station every 10 m.
std::string Survey(int lines, int stations) {
  std::ostringstream text;
  int id = 1;
  for (int i = 0; i < lines; ++i) {
    for (int j = 0; j < stations; ++j) {
      text << j * 10 << ' ' << i * 10 << ' ' << id++ << ' ' << (i * 7 + j * 3) % 101 * 0.25 << '\n';
    }
  }
  return text.str();
}

// The program's exit code, or -1 when the signal ended it outright.
int RunAndSignal(const std::vector<std::string>& arguments, int signalNumber,
                 std::chrono::milliseconds after) {
  const pid_t child = fork();
  if (child == 0) {
    std::vector<char*> argv;
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  std::this_thread::sleep_for(after);
  kill(child, signalNumber);
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Every line whole, each record with its count of fields after the headers.
void ExpectWholeRecords(const std::string& text, std::size_t headerLines, std::size_t fields,
                        const std::string& what) {
  if (text.empty()) return;
  EXPECT_EQ(text.back(), '\n') << what << " ends inside a record";
  std::istringstream lines(text);
  std::string line;
  std::size_t number = 0;
  while (std::getline(lines, line)) {
    if (++number <= headerLines) continue;
    std::istringstream words(line);
    std::size_t count = 0;
    for (std::string word; words >> word;) ++count;
    ASSERT_EQ(count, fields) << what << " line " << number << ": " << line;
  }
}

TEST(StoppingSignals, LeaveWholeRecordsAtAnyMoment) {
  testing::TempDir dir;
  const std::string input = dir.Write("in.dat", Survey(150, 150));
  const std::string output = dir.File("out.dat");
  const std::string trace = dir.File("out_trace_out.xyz");
  const std::string subset = dir.Write("subset.dat", "0 0 5 0\n0 0 777 0\n0 0 20000 0\n");
  for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP}) {
    for (const int milliseconds : {0, 5, 30, 120, 400, 1500}) {
      const std::string moment = "signal " + std::to_string(signalNumber) + " after " +
                                 std::to_string(milliseconds) + " ms";
      const int status = RunAndSignal({testing::BatchProgram(), "-q", "--radius", "40", "--iterations", "3",
                                       "--subset", subset, input, output},
                                      signalNumber, std::chrono::milliseconds(milliseconds));
      // Before the program has taken over the signals, nothing is written yet.
      const bool beforeRun = status == -1 && access(output.c_str(), F_OK) != 0;
      EXPECT_TRUE(status == 128 + signalNumber || status == 0 || beforeRun)
          << moment << ": status " << status;
      ExpectWholeRecords(ReadFile(output), 2, 10, "result file, " + moment);
      ExpectWholeRecords(ReadFile(trace), 2, 8, "trace file, " + moment);
      unlink(output.c_str());
      unlink(trace.c_str());
    }
  }
}

}  // namespace
}  // namespace zelvo
