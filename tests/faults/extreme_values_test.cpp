// Numbers at the ends of the doubles in every column of a survey: the runs
// end (no crash, no endless loop), non-finite results are written as the C
// library prints them, and a load passes over their records.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "support/paths.h"
#include "support/temp_dir.h"

namespace zelvo {
namespace {

using testing::ReadFile;

const char* const kExtremes[] = {"1e300", "-1e300", "1e-300", "-1e-300", "4.9e-324",
                                 "-2.5e-310", "2.2250738585072014e-308", "1.7e308"};

// A 6 x 6 station grid whose quantity runs through the extremes, then one
// line per extreme in each of the other columns.
std::string ExtremeSurvey() {
  std::ostringstream text;
  int id = 1;
  for (int i = 0; i < 6; ++i) {
    for (int j = 0; j < 6; ++j) text << i * 10 << ' ' << j * 10 << ' ' << id++ << ' ' << kExtremes[(i + j) % 8] << '\n';
  }
  for (const char* extreme : kExtremes) {
    text << extreme << " 5 " << id++ << " 1\n";
    text << "5 " << extreme << ' ' << id++ << " 2\n";
    text << "15 15 " << extreme << " 3\n";
  }
  return text.str();
}

// The quantity column alone extreme, on a grid the lattice takes.
std::string ExtremeQuantities() {
  std::ostringstream text;
  int id = 1;
  for (int i = 0; i < 6; ++i) {
    for (int j = 0; j < 6; ++j) text << i * 10 << ' ' << j * 10 << ' ' << id++ << ' ' << kExtremes[(i * 6 + j) % 8] << '\n';
  }
  return text.str();
}

class ExtremeValues : public ::testing::Test {
 protected:
  // The program's exit code; -1 when a signal (or the time limit) ended it.
  int Run(const std::string& arguments) {
    const std::string command = "timeout 120 '" + testing::BatchProgram() + "' -q " + arguments +
                                " </dev/null >'" + dir.File("stdout.txt") + "' 2>'" + dir.File("stderr.txt") + "'";
    const int status = std::system(command.c_str());
    if (!WIFEXITED(status) || WEXITSTATUS(status) == 124) return -1;
    return WEXITSTATUS(status);
  }
  std::string Messages() const { return ReadFile(dir.File("stderr.txt")); }

  testing::TempDir dir;
};

// Every field of the records is a number or the C library's text for a
// non-finite one; the count of records with a non-finite field is returned.
int NonFiniteRecords(const std::string& resultFile) {
  std::istringstream lines(resultFile);
  std::string line;
  std::getline(lines, line);
  std::getline(lines, line);
  int nonFinite = 0;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::string field;
    bool finite = true;
    while (fields >> field) {
      char* end = nullptr;
      const double value = std::strtod(field.c_str(), &end);
      EXPECT_EQ(*end, '\0') << "not a number: " << field;
      const bool cLibraryText = field == "nan" || field == "-nan" || field == "inf" || field == "-inf";
      EXPECT_TRUE(std::isfinite(value) || cLibraryText) << field;
      finite = finite && std::isfinite(value);
    }
    nonFinite += finite ? 0 : 1;
  }
  return nonFinite;
}

TEST_F(ExtremeValues, InEveryColumnEveryRunEnds) {
  const std::string input = dir.Write("in.dat", ExtremeSurvey());
  for (const std::string options : {"--radius 20", "--radius 20 --nearest 5 --iterations 2",
                                    "--radius 0.001", "--radius 1e300 --iterations 1 --object LGA",
                                    "--radius 20 --center-x area --center-y none --center-q area"}) {
    const int status = Run(options + " --preview '" + dir.path() + "' '" + input + "' '" + dir.File("out.dat") + "'");
    EXPECT_TRUE(status == 0 || status == 1) << options << " ended with " << status << ": " << Messages();
  }
  EXPECT_EQ(Run("--info '" + input + "'"), 0) << Messages();
}

TEST_F(ExtremeValues, NonFiniteResultsArePrintedAndPassedOverByTheLoader) {
  const std::string input = dir.Write("in.dat", ExtremeQuantities());
  const std::string out = dir.File("out.dat");
  ASSERT_EQ(Run("--radius 20 --center-q none --iterations 1 '" + input + "' '" + out + "'"), 0) << Messages();
  const std::string written = ReadFile(out);
  const int nonFinite = NonFiniteRecords(written);
  ASSERT_GT(nonFinite, 0) << "the survey no longer overflows the fits";
  const int records = 36;
  if (nonFinite == records) return;
  const std::string points = dir.File("points.csv");
  ASSERT_EQ(Run("--load '" + out + "' --points-out '" + points + "'"), 0) << Messages();
  const std::string csv = ReadFile(points);
  const long lines = std::count(csv.begin(), csv.end(), '\n');
  EXPECT_EQ(lines - 1, records - nonFinite);
}

}  // namespace
}  // namespace zelvo
