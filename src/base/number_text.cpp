#include "base/number_text.h"

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

// Checks the grammar; on success tells whether the text carries a "+" sign
// or the separator is not ".", which from_chars does not take as they stand.
bool MatchesNumberGrammar(std::string_view text, char separator, bool& needsRewrite) {
  std::size_t i = 0;
  needsRewrite = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) needsRewrite = text[i++] == '+';
  std::size_t digits = 0;
  for (; i < text.size() && IsDigit(text[i]); ++i) ++digits;
  if (i < text.size() && text[i] == separator) {
    needsRewrite = needsRewrite || separator != '.';
    for (++i; i < text.size() && IsDigit(text[i]); ++i) ++digits;
  }
  if (digits == 0) return false;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    std::size_t exponentDigits = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) ++exponentDigits;
    if (exponentDigits == 0) return false;
  }
  return i == text.size();
}

// The text in the form from_chars takes: "." as separator, no leading "+".
std::string Rewritten(std::string_view text, char separator) {
  std::string out(text.substr(!text.empty() && text[0] == '+' ? 1 : 0));
  for (char& c : out) {
    if (c == separator) c = '.';
  }
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

namespace {

// Most survey numbers have few digits: their mantissa m is exact in a double
// and so is 10^|e| for |e| <= 22, so one correctly rounded multiplication or
// division gives the correctly rounded value, the same as from_chars.
std::optional<double> ExactShortDecimal(std::string_view text, char separator) {
  static constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                            1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                            1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  const char* p = text.data();
  const char* const end = p + text.size();
  const bool negative = p != end && *p == '-';
  if (p != end && (*p == '+' || *p == '-')) ++p;
  std::uint64_t mantissa = 0;
  const char* digitsStart = p;
  unsigned digit;
  while (p != end && (digit = static_cast<unsigned char>(*p) - '0') < 10) {
    mantissa = mantissa * 10 + digit;
    ++p;
  }
  long digits = p - digitsStart;
  long fractionDigits = 0;
  if (p != end && *p == separator) {
    const char* fractionStart = ++p;
    while (p != end && (digit = static_cast<unsigned char>(*p) - '0') < 10) {
      mantissa = mantissa * 10 + digit;
      ++p;
    }
    fractionDigits = p - fractionStart;
    digits += fractionDigits;
  }
  if (digits == 0 || digits > 19) return std::nullopt;
  long exponent = 0;
  if (p != end && (*p == 'e' || *p == 'E')) {
    ++p;
    const bool negativeExponent = p != end && *p == '-';
    if (p != end && (*p == '+' || *p == '-')) ++p;
    const char* exponentStart = p;
    while (p != end && p - exponentStart < 4 && (digit = static_cast<unsigned char>(*p) - '0') < 10) {
      exponent = exponent * 10 + digit;
      ++p;
    }
    if (p == exponentStart) return std::nullopt;
    if (negativeExponent) exponent = -exponent;
  }
  if (p != end) return std::nullopt;
  exponent -= fractionDigits;
  if (mantissa > (std::uint64_t{1} << 53) || exponent < -22 || exponent > 22) return std::nullopt;
  double value = static_cast<double>(mantissa);
  value = exponent < 0 ? value / kPowersOfTen[-exponent] : value * kPowersOfTen[exponent];
  return negative ? -value : value;
}

}  // namespace

std::optional<double> ParseNumber(std::string_view text, char decimalSeparator) {
  if (std::optional<double> value = ExactShortDecimal(text, decimalSeparator)) return value;
  bool needsRewrite = false;
  if (!MatchesNumberGrammar(text, decimalSeparator, needsRewrite)) return std::nullopt;
  std::string rewritten;
  if (needsRewrite) {
    rewritten = Rewritten(text, decimalSeparator);
    text = rewritten;
  }
  double value = 0.0;
  const char* last = text.data() + text.size();
  auto [end, error] = std::from_chars(text.data(), last, value, std::chars_format::general);
  if (error == std::errc::result_out_of_range) return OutOfRangeValue(std::string(text));
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
