#include <gtest/gtest.h>

#include <set>
#include <stdexcept>

#include "app/run_parameter_table.h"

namespace zelvo {
namespace {

TEST(RunParameterTable, EachFieldAndNameOnce) {
  std::set<Control> fields;
  std::set<std::string> names;
  for (const RunParameter& parameter : RunParameterTable()) {
    EXPECT_TRUE(fields.insert(parameter.control).second) << parameter.name;
    EXPECT_TRUE(names.insert(parameter.name).second) << parameter.name;
    EXPECT_EQ(&ParameterOf(parameter.control), &parameter) << parameter.name;
    // A rule or a required name says why it refuses.
    EXPECT_EQ(parameter.allowed != nullptr || parameter.required, parameter.refusal != nullptr)
        << parameter.name;
  }
  EXPECT_THROW(ParameterOf(Control::btn_calc), std::invalid_argument);
}

TEST(RunParameterTable, TextProblemsInCalcsWords) {
  struct Case { Control field; const char* text; std::string problem; };
  const Case cases[] = {
      {Control::txt_in, "", "Input file name is required field."},
      {Control::txt_out, "", "Output file name is required field."},
      {Control::txt_log, "", ""},
      {Control::txt_radius, "abc", "'abc' is not a valid floating point value"},
      {Control::txt_radius, " 5", "' 5' is not a valid floating point value"},
      {Control::txt_radius, "0.000001", "Search radius must be greater than 0."},
      {Control::txt_radius, "0.0000011", ""},
      {Control::txt_iter, "2.5", "'2.5' is not a valid integer value"},
      {Control::txt_iter, "-1", "Number of iteration must be in range 0 .. 10000"},
      {Control::txt_iter, "10001", "Number of iteration must be in range 0 .. 10000"},
      {Control::txt_iter, "0", ""},
      {Control::txt_iter, "10000", ""},
      {Control::txt_nearest, "-5", ""},
      {Control::txt_nearest, "x", "'x' is not a valid floating point value"},
      {Control::txt_n, "0", "Number of nearest points must be at least 1"},
      {Control::txt_n, "1", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TextProblem(ParameterOf(c.field), c.text, '.'), c.problem) << c.text;
  }
  EXPECT_EQ(TextProblem(ParameterOf(Control::txt_radius), "2,5", ','), "");
  EXPECT_EQ(ParameterNumber(ParameterOf(Control::txt_iter), "1,5", ','), std::nullopt);
}

}  // namespace
}  // namespace zelvo
