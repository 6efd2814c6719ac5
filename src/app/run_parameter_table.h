#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "app/control.h"

namespace zelvo {

enum class ParameterKind {
  kFileName,
  kNumber,       // written with the user's decimal separator
  kWholeNumber,
};

// What leaving a parameter's field checks; the rest waits for Calc.
enum class LeavingCheck {
  kNothing,
  kIsNumber,
  kIsAllowedNumber,  // a number, and one its rule takes
};

// One parameter of a run, as the window, Calc and the batch tool all take it.
struct RunParameter {
  const char* name;  // as the batch tool names it: "radius" for --radius
  Control control;   // the field that holds it, which a refusal gives the focus
  ParameterKind kind;
  bool required = false;                     // a file name the run cannot go without
  bool (*allowed)(double number) = nullptr;  // the rule a number must meet; nullptr: any
  const char* refusal = nullptr;             // for a required name left empty or a number the rule refuses
  LeavingCheck onLeaving = LeavingCheck::kNothing;
  bool readAtEveryPoint = false;  // read from its field during the run instead of at Calc
};

// Refuses an output that would overwrite an input, with the focus on the output.
inline constexpr const char* kSameFileMessage = "Input and output file name must not be the same.";

// In the order Calc checks them.
std::span<const RunParameter> RunParameterTable();
// The parameter whose field that is; throws for a control that holds none.
const RunParameter& ParameterOf(Control field);

// The number the text holds in the parameter's notation, or none. The text is
// taken as it is: blanks around it make it no number.
std::optional<double> ParameterNumber(const RunParameter& parameter, std::string_view text,
                                      char decimalSeparator);
bool Allows(const RunParameter& parameter, double number);
// What the conversion of a text that is no number of the parameter's kind says.
std::string NotANumberMessage(const RunParameter& parameter, std::string_view text);
// Why the parameter refuses the text; empty when it takes it.
std::string TextProblem(const RunParameter& parameter, std::string_view text, char decimalSeparator);

}  // namespace zelvo
