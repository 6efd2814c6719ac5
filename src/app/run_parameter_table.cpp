#include "app/run_parameter_table.h"

#include <stdexcept>

#include "base/number_text.h"
#include "base/run_limits.h"

namespace zelvo {
namespace {

using enum ParameterKind;

constexpr RunParameter kParameters[] = {
    {.name = "input", .control = Control::txt_in, .kind = kFileName, .required = true,
     .refusal = "Input file name is required field."},
    {.name = "output", .control = Control::txt_out, .kind = kFileName, .required = true,
     .refusal = "Output file name is required field."},
    {.name = "subset", .control = Control::txt_log, .kind = kFileName},
    {.name = "radius", .control = Control::txt_radius, .kind = kNumber,
     .allowed = [](double radius) { return RadiusAllowed(radius); },
     .refusal = kRadiusMessage,
     .onLeaving = LeavingCheck::kIsNumber},
    {.name = "iterations", .control = Control::txt_iter, .kind = kWholeNumber,
     .allowed = [](double count) { return IterationsAllowed(static_cast<long long>(count)); },
     .refusal = kIterationsMessage,
     .onLeaving = LeavingCheck::kIsAllowedNumber},
    // 0 grids with the search radius.
    {.name = "grid-radius", .control = Control::txt_nearest, .kind = kNumber,
     .onLeaving = LeavingCheck::kIsNumber},
    {.name = "nearest", .control = Control::txt_n, .kind = kWholeNumber,
     .allowed = [](double count) { return count >= kMinNearestCount; },
     .refusal = kNearestCountMessage,
     .readAtEveryPoint = true},
};

}  // namespace

std::span<const RunParameter> RunParameterTable() { return kParameters; }

const RunParameter& ParameterOf(Control field) {
  for (const RunParameter& parameter : kParameters) {
    if (parameter.control == field) return parameter;
  }
  throw std::invalid_argument("no run parameter is held in that control");
}

std::optional<double> ParameterNumber(const RunParameter& parameter, std::string_view text,
                                      char decimalSeparator) {
  switch (parameter.kind) {
    case kNumber: return ParseNumber(text, decimalSeparator);
    case kWholeNumber: return ParseInteger(text);
    case kFileName: break;
  }
  return std::nullopt;
}

bool Allows(const RunParameter& parameter, double number) {
  return parameter.allowed == nullptr || parameter.allowed(number);
}

std::string NotANumberMessage(const RunParameter& parameter, std::string_view text) {
  return parameter.kind == kWholeNumber ? NotValidIntegerMessage(text) : NotValidFloatMessage(text);
}

std::string TextProblem(const RunParameter& parameter, std::string_view text, char decimalSeparator) {
  if (parameter.kind == kFileName) {
    return parameter.required && text.empty() ? parameter.refusal : std::string();
  }
  const std::optional<double> number = ParameterNumber(parameter, text, decimalSeparator);
  if (!number) return NotANumberMessage(parameter, text);
  if (!Allows(parameter, *number)) return parameter.refusal;
  return {};
}

}  // namespace zelvo
