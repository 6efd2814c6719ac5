#include <gtest/gtest.h>

#include "batch/batch_options.h"

namespace zelvo {
namespace {

std::vector<std::string> Errors(const std::vector<std::string>& arguments) {
  return ParseBatchCommandLine(arguments).errors;
}

std::string Error(const std::vector<std::string>& arguments) {
  const std::vector<std::string> errors = Errors(arguments);
  return errors.empty() ? std::string() : errors.front();
}

TEST(BatchOptions, RunParametersNameTheirOptions) {
  EXPECT_EQ(ParameterOption(Control::txt_radius), "--radius");
  EXPECT_EQ(ParameterOption(Control::txt_iter), "--iterations");
  EXPECT_EQ(ParameterOption(Control::txt_nearest), "--grid-radius");
  EXPECT_EQ(ParameterOption(Control::txt_n), "--nearest");
  EXPECT_EQ(ParameterOption(Control::txt_log), "--subset");
  const ParsedCommandLine parsed = ParseBatchCommandLine(
      {"--radius", "2", "--iterations", "3", "--grid-radius", "4", "--nearest", "5", "--subset", "s",
       "in", "out"});
  ASSERT_TRUE(parsed.errors.empty()) << parsed.errors.front();
  EXPECT_EQ(parsed.options.radius, "2");
  EXPECT_EQ(parsed.options.iterations, "3");
  EXPECT_EQ(parsed.options.griddingRadius, "4");
  EXPECT_EQ(parsed.options.nearest, "5");
  EXPECT_EQ(parsed.options.subsetFileName, "s");
}

TEST(BatchOptions, ValuesFollowAnEqualsSignAndDoubleDashEndsTheOptions) {
  const ParsedCommandLine parsed = ParseBatchCommandLine(
      {"--radius=60", "-q", "--columns=B,A,C,D", "--crs=+proj=utm +zone=33", "--grid-radius=", "--",
       "-in.dat", "-"});
  ASSERT_TRUE(parsed.errors.empty()) << parsed.errors.front();
  EXPECT_EQ(parsed.options.radius, "60");
  EXPECT_TRUE(parsed.options.quiet);
  EXPECT_EQ(parsed.options.columns, "B,A,C,D");
  EXPECT_EQ(parsed.options.crs, "+proj=utm +zone=33") << "split at the first = only";
  EXPECT_EQ(parsed.options.griddingRadius, "") << "an empty value is a value, refused later";
  EXPECT_EQ(parsed.options.inputFileName, "-in.dat");
  EXPECT_EQ(parsed.options.outputFileName, "-");
  EXPECT_EQ(ParseBatchCommandLine({"--radius", "1", "--", "--quiet", "out"}).options.inputFileName,
            "--quiet");
  EXPECT_EQ(Errors({"--radius", "1", "-in.dat", "out"}),
            (std::vector<std::string>{"unknown option -in.dat", "expected INPUT and OUTPUT file names"}));
}

TEST(BatchOptions, EveryErrorOfTheLineIsKept) {
  const ParsedCommandLine parsed =
      ParseBatchCommandLine({"--bogus=1", "--object", "XYZ", "--quiet=yes", "in", "--radius"});
  EXPECT_EQ(parsed.errors, (std::vector<std::string>{
                               "unknown option --bogus", "--object takes RGA or LGA",
                               "--quiet takes no value", "--radius needs a value",
                               "expected INPUT and OUTPUT file names"}));
  EXPECT_FALSE(parsed.fileNamesRead);
  EXPECT_TRUE(ParseBatchCommandLine({"--radius", "1", "in", "out"}).fileNamesRead);
  EXPECT_EQ(Errors({"--load", "r.dat", "in"}),
            (std::vector<std::string>{
                "--load takes no INPUT or OUTPUT",
                "--load needs --preview DIR, --grid-out DIR, --points-out FILE or --map DIR"}));
}

TEST(BatchOptions, RefusalsNameTheOption) {
  EXPECT_EQ(Error({"--center-y", "x"}), "--center-y takes none, area or point");
  EXPECT_EQ(Error({"--pane3", "x"}), "--pane3 takes HGQX, HGQY, HGQ, RQ or rq");
  EXPECT_EQ(Error({"--columns", "A,B"}), "--columns takes four letters A..Z, as A,B,C,D");
  EXPECT_EQ(Error({"in", "--image-format"}), "--image-format needs a value");
  EXPECT_EQ(Error({"-x", "in", "out"}), "unknown option -x");
  EXPECT_EQ(Error({"--object", "x", "--help"}), "--object takes RGA or LGA");
  EXPECT_EQ(ParseBatchCommandLine({"-h", "--object", "x"}).options.mode, BatchMode::kHelp);
  EXPECT_TRUE(ParseBatchCommandLine({"--version", "--bogus"}).errors.empty());
}

TEST(BatchOptions, UsageLinesUpTheDescriptions) {
  const std::string usage = BatchUsage();
  for (const char* line : {
           "\n  --radius R                search radius (required, > 0.000001)\n",
           "\n  --include-point           use the point of calculation in its own fit\n",
           "\n  --center-q none|area|point   centring of the quantity (default none)\n",
           "\n  --on-singular continue|stop  answer to a singular fit (default continue)\n",
           "\n  --pane2 VAR, --pane3 VAR  variables of panes 2 and 3: HGQX, HGQY, HGQ, RQ or rq\n"
           "                            (default HGQX and HGQY)\n",
           "\n  -q, --quiet               print only errors and warnings: no progress bar, no summary\n",
           "\n  -h, --help, --version\n\nExit status: "}) {
    EXPECT_NE(usage.find(line), std::string::npos) << line;
  }
  EXPECT_EQ(usage.rfind("usage: zelvo-batch [OPTIONS] INPUT OUTPUT\n", 0), 0u);
}

}  // namespace
}  // namespace zelvo
