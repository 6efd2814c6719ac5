#include "app/number_text.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <clocale>
#include <cstdlib>
#include <locale.h>
#include <string>

namespace zelvo {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Checks the grammar and returns the text in the form from_chars takes
// ("." as separator, no leading "+"), or nothing.
std::optional<std::string> NormalisedNumber(std::string_view text, char separator) {
  std::string out;
  out.reserve(text.size());
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    if (text[i] == '-') out.push_back('-');
    ++i;
  }
  std::size_t digits = 0;
  for (; i < text.size() && IsDigit(text[i]); ++i, ++digits) out.push_back(text[i]);
  if (i < text.size() && text[i] == separator) {
    out.push_back('.');
    ++i;
    for (; i < text.size() && IsDigit(text[i]); ++i, ++digits) out.push_back(text[i]);
  }
  if (digits == 0) return std::nullopt;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    out.push_back('e');
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) out.push_back(text[i++]);
    std::size_t exponentDigits = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i, ++exponentDigits) out.push_back(text[i]);
    if (exponentDigits == 0) return std::nullopt;
  }
  if (i != text.size()) return std::nullopt;
  return out;
}

// from_chars reports underflow and overflow alike as out of range; strtod in
// the C locale tells them apart and rounds an underflow to the subnormal.
std::optional<double> OutOfRangeValue(const std::string& normalised) {
  locale_t cLocale = newlocale(LC_NUMERIC_MASK, "C", static_cast<locale_t>(0));
  if (cLocale == static_cast<locale_t>(0)) return std::nullopt;
  errno = 0;
  double value = strtod_l(normalised.c_str(), nullptr, cLocale);
  const bool overflow = errno == ERANGE && (value == HUGE_VAL || value == -HUGE_VAL);
  freelocale(cLocale);
  if (overflow) return std::nullopt;
  return value;
}

}  // namespace

std::optional<double> ParseNumber(std::string_view text, char decimalSeparator) {
  std::optional<std::string> normalised = NormalisedNumber(text, decimalSeparator);
  if (!normalised) return std::nullopt;
  double value = 0.0;
  const char* first = normalised->data();
  const char* last = first + normalised->size();
  auto [end, error] = std::from_chars(first, last, value, std::chars_format::general);
  if (error == std::errc::result_out_of_range) return OutOfRangeValue(*normalised);
  if (error != std::errc() || end != last) return std::nullopt;
  return value;
}

std::optional<std::int32_t> ParseInteger(std::string_view text) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i == text.size()) return std::nullopt;
  std::int64_t value = 0;
  for (; i < text.size(); ++i) {
    if (!IsDigit(text[i])) return std::nullopt;
    value = value * 10 + (text[i] - '0');
    if (value > 2147483648LL) return std::nullopt;
  }
  if (negative) value = -value;
  if (value > 2147483647LL) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

std::string FormatGeneral(double value, char decimalSeparator) {
  if (value == 0.0) return "0";  // also for -0: a sign only when negative
  char buffer[64];
  auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value,
                                    std::chars_format::general, 15);
  if (error != std::errc()) return {};
  std::string text(buffer, static_cast<std::size_t>(end - buffer));
  std::string exponent;
  if (const std::size_t e = text.find('e'); e != std::string::npos) {
    exponent = "E" + std::to_string(std::stoi(text.substr(e + 1)));  // E15, E-5
    text.resize(e);
  }
  for (char& c : text) {
    if (c == '.') c = decimalSeparator;
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');  // INF, NAN
  }
  return text + exponent;
}

std::string_view TrimBlanks(std::string_view text) {
  const auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::string NotValidFloatMessage(std::string_view text) {
  return "'" + std::string(text) + "' is not a valid floating point value";
}

std::string NotValidIntegerMessage(std::string_view text) {
  return "'" + std::string(text) + "' is not a valid integer value";
}

}  // namespace zelvo
