#include <gtest/gtest.h>

#include "app/field_leaving_check.h"
#include "app/headless_window.h"

namespace zelvo {
namespace {

// The message shown on leaving the field with that text, empty for none; the
// focus stays on the field exactly when one is shown.
std::string LeavingMessage(Control field, const char* text, char separator = '.') {
  HeadlessWindow window(separator);
  window.SetText(field, text);
  window.SetFocus(Control::btn_calc);
  const bool left = CheckFieldOnLeaving(window, field);
  if (left) {
    EXPECT_TRUE(window.Messages().empty());
    EXPECT_EQ(window.FocusedControl(), Control::btn_calc);
    return {};
  }
  EXPECT_EQ(window.FocusedControl(), field);
  EXPECT_EQ(window.Messages().size(), 1u);
  EXPECT_EQ(window.Messages().at(0).caption, "Error");
  return window.Messages().at(0).text;
}

TEST(FieldLeavingCheck, InItsOwnWords) {
  EXPECT_EQ(LeavingMessage(Control::txt_radius, ""), "Parameter is required");
  EXPECT_EQ(LeavingMessage(Control::txt_radius, "abc"), "abc Is not a number");
  EXPECT_EQ(LeavingMessage(Control::txt_radius, " 2 "), "");
  EXPECT_EQ(LeavingMessage(Control::txt_radius, "-3"), "") << "the rule waits for Calc";
  EXPECT_EQ(LeavingMessage(Control::txt_nearest, "1e"), "1e Is not a number");
  EXPECT_EQ(LeavingMessage(Control::txt_iter, "1.5"), "1.5 Is not a number");
  EXPECT_EQ(LeavingMessage(Control::txt_iter, "10001"), "Number of iteration must be in range 0 .. 10000");
  EXPECT_EQ(LeavingMessage(Control::txt_iter, "10000"), "");
  EXPECT_EQ(LeavingMessage(Control::txt_n, "abc"), "") << "read during the run instead";
  EXPECT_EQ(LeavingMessage(Control::txt_in, ""), "");
}

TEST(FieldLeavingCheck, NumbersWithTheUsersSeparator) {
  EXPECT_EQ(LeavingMessage(Control::txt_radius, "2,5", ','), "");
  EXPECT_EQ(LeavingMessage(Control::txt_radius, "2.5", ','), "2.5 Is not a number");
}

}  // namespace
}  // namespace zelvo
