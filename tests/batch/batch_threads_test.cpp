// zelvo-batch --threads: the same files and warnings for every count, and a
// signal that ends a run on threads at a record boundary.

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "support/paths.h"
#include "support/temp_dir.h"

namespace zelvo {
namespace {

using testing::ReadFile;

struct Written {
  int exitCode;
  std::string result, trace, errors;
};

// A 200 x 200 lattice 2 m apart with a lone point, far from all, after every
// 9000th: singular fits spread over the threads' work.
std::string FieldWithLonePoints() {
  std::ostringstream out;
  int id = 1;
  for (int i = 0; i < 200 * 200; ++i) {
    const int gx = i % 200, gy = i / 200;
    out << 2 * gx << " " << 2 * gy << " " << id++ << " " << (gx * gx + 3 * gy) % 11 * 0.25 << "\n";
    if (i % 9000 == 8999) out << 900 + i / 1000 << " " << 800 << " " << id++ << " 2\n";
  }
  return out.str();
}

class Threads : public ::testing::Test {
 protected:
  Written Run(const std::string& arguments, int threads) {
    const std::string result = dir.File("out.dat"), trace = dir.File("out_trace_out.xyz");
    std::filesystem::remove(result);
    std::filesystem::remove(trace);
    const std::string errors = dir.File("stderr.txt");
    const std::string command = "'" + testing::BatchProgram() + "' --quiet --threads " +
                                std::to_string(threads) + " " + arguments + " '" + input + "' '" +
                                result + "' </dev/null 2>'" + errors + "'";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(result),
            std::filesystem::exists(trace) ? ReadFile(trace) : "", ReadFile(errors)};
  }

  testing::TempDir dir;
  const std::string input = dir.Write("field.dat", FieldWithLonePoints());
  const std::string subset = dir.Write("subset.dat", "0 0 2 0\n0 0 9001 0\n0 0 9002 0\n0 0 40004 0\n");
};

TEST_F(Threads, SameFilesAndWarningsForEveryCount) {
  const std::string traced = "--subset '" + subset + "' ";
  for (const std::string& arguments :
       {traced + "--radius 3", traced + "--radius 3 --iterations 2",
        traced + "--radius 3 --iterations 2 --object LGA",
        traced + "--radius 3 --on-singular stop",
        traced + "--radius 3 --iterations 1 --object LGA --on-singular stop",
        traced + "--radius 3 --nearest 6 --center-x area --iterations 1",
        std::string("--radius 3 --nearest 50000")}) {
    const Written one = Run(arguments, 1);
    ASSERT_FALSE(one.result.empty()) << arguments;
    for (int threads : {2, 3}) {
      const Written many = Run(arguments, threads);
      EXPECT_EQ(many.exitCode, one.exitCode) << arguments << ", threads " << threads;
      EXPECT_TRUE(many.result == one.result) << arguments << ", threads " << threads;
      EXPECT_EQ(many.trace, one.trace) << arguments << ", threads " << threads;
      EXPECT_EQ(many.errors, one.errors) << arguments << ", threads " << threads;
    }
  }
  EXPECT_EQ(Run("--radius 3 --threads 0", 2).errors.rfind(
                "zelvo-batch: --threads takes a whole number from 1 to 1024\n", 0),
            0u);
}

// Sends the signal after the delay and returns the exit status.
int SignalAfter(const std::string& command, std::chrono::milliseconds delay, int signal) {
  const pid_t child = fork();
  if (child == 0) {
    execl("/bin/sh", "sh", "-c", ("exec " + command + " 2>/dev/null").c_str(),
          static_cast<char*>(nullptr));
    _exit(127);
  }
  std::this_thread::sleep_for(delay);
  kill(child, signal);
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

TEST_F(Threads, ASignalEndsTheResultFileWithTheRecordsBeforeTheFirstPointNotDone) {
  std::ostringstream field;
  for (int j = 0; j < 400; ++j) {
    for (int i = 0; i < 400; ++i) field << i << " " << j << " " << j * 400 + i << " " << (i * j) % 97 << "\n";
  }
  const std::string slow = dir.Write("slow.dat", field.str());
  const std::string result = dir.File("slow_out.dat");
  const std::string command = "'" + testing::BatchProgram() + "' --quiet --threads 2 --radius 16 '" +
                              slow + "' '" + result + "'";
  const auto started = std::chrono::steady_clock::now();
  ASSERT_EQ(std::system(command.c_str()), 0);
  const auto whole = std::chrono::steady_clock::now() - started;
  const std::string complete = ReadFile(result);
  for (int part : {8, 3}) {
    std::filesystem::remove(result);
    const auto delay = std::chrono::duration_cast<std::chrono::milliseconds>(whole / part);
    const int status = SignalAfter(command, delay, SIGINT);
    if (status == 0) continue;  // finished before the signal came
    EXPECT_EQ(status, 130);
    const std::string written = ReadFile(result);
    ASSERT_GE(written.size(), 2u);
    EXPECT_EQ(written.back(), '\n');
    EXPECT_LT(written.size(), complete.size());
    EXPECT_TRUE(complete.compare(0, written.size(), written) == 0)
        << "the records of the points before the first one not done, in table order";
  }
}

}  // namespace
}  // namespace zelvo
