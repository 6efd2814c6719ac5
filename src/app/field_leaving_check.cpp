#include "app/field_leaving_check.h"

#include <optional>
#include <string>

#include "app/run_parameter_table.h"
#include "app/window_services.h"
#include "base/number_text.h"

namespace zelvo {
namespace {

// Leaving a field speaks in its own words, not in Calc's.
std::string LeavingProblem(const RunParameter& parameter, const std::string& text, char decimalSeparator) {
  if (parameter.onLeaving == LeavingCheck::kNothing) return {};
  if (text.empty()) return "Parameter is required";
  const std::optional<double> number = ParameterNumber(parameter, TrimBlanks(text), decimalSeparator);
  if (!number) return text + " Is not a number";
  if (parameter.onLeaving == LeavingCheck::kIsAllowedNumber && !Allows(parameter, *number)) {
    return parameter.refusal;
  }
  return {};
}

}  // namespace

bool CheckFieldOnLeaving(WindowServices& window, Control field) {
  const std::string problem =
      LeavingProblem(ParameterOf(field), window.Text(field), window.DecimalSeparator());
  if (problem.empty()) return true;
  window.ShowMessage("Error", problem);
  window.SetFocus(field);
  return false;
}

}  // namespace zelvo
