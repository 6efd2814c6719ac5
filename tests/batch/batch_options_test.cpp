#include <gtest/gtest.h>

#include "batch/batch_options.h"

namespace zelvo {
namespace {

std::string Error(const std::vector<std::string>& arguments) {
  return ParseBatchCommandLine(arguments).error;
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
  ASSERT_TRUE(parsed.options) << parsed.error;
  EXPECT_EQ(parsed.options->radius, "2");
  EXPECT_EQ(parsed.options->iterations, "3");
  EXPECT_EQ(parsed.options->griddingRadius, "4");
  EXPECT_EQ(parsed.options->nearest, "5");
  EXPECT_EQ(parsed.options->subsetFileName, "s");
}

TEST(BatchOptions, RefusalsNameTheOption) {
  EXPECT_EQ(Error({"--center-y", "x"}), "--center-y takes none, area or point");
  EXPECT_EQ(Error({"--pane3", "x"}), "--pane3 takes HGQX, HGQY, HGQ, RQ or rq");
  EXPECT_EQ(Error({"--columns", "A,B"}), "--columns takes four letters A..Z, as A,B,C,D");
  EXPECT_EQ(Error({"in", "--image-format"}), "--image-format needs a value");
  EXPECT_EQ(Error({"--quiet", "-q"}), "unknown option -q");
  EXPECT_EQ(Error({"--object", "x", "--help"}), "--object takes RGA or LGA");
  EXPECT_EQ(ParseBatchCommandLine({"-h", "--object", "x"}).options->mode, BatchMode::kHelp);
  EXPECT_EQ(ParseBatchCommandLine({"--version", "--bogus"}).options->mode, BatchMode::kVersion);
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
           "\n  --help, --version\n\nExit status: "}) {
    EXPECT_NE(usage.find(line), std::string::npos) << line;
  }
  EXPECT_EQ(usage.rfind("usage: zelvo-batch [OPTIONS] INPUT OUTPUT\n", 0), 0u);
}

}  // namespace
}  // namespace zelvo
