#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "io/plain_point_line.h"
#include "io/point_columns.h"

namespace zelvo {

// Empty lines and lines starting with "/" are comments, skipped unprepared.
bool IsCommentLine(std::string_view line);

// Upper case; "," becomes a blank unless it is the decimal separator; tab and
// backspace become blanks.
void PrepareLine(std::string& line, char decimalSeparator);

// False for headers and line markers: a first character "/" or below 32 as a
// signed byte, a double quote anywhere, or "LINE" anywhere.
bool IsCandidateLine(std::string_view preparedLine);

// True when a character that cannot belong to a line of numbers stands before
// the last character (which is not examined) and before the first NUL, LF or CR.
bool HasNonNumericChar(std::string_view preparedLine, char decimalSeparator);

// Fields are runs of characters other than blank, CR and LF.
void SplitFields(std::string_view line, std::vector<std::string_view>& fields);

// At least four fields, every chosen column present and converting.
bool ParsePointLine(std::string_view preparedLine, const PointColumns& columns,
                    char decimalSeparator, std::vector<std::string_view>& fields,
                    PointValues& values);

// The whole judgement of one line read from a point file: comment, prepare,
// candidate, characters, fields. The scratch buffers are reused between calls.
class PointLineParser {
 public:
  PointLineParser(PointColumns columns, char decimalSeparator)
      : plain_(columns, decimalSeparator), columns_(columns), separator_(decimalSeparator) {}
  bool Parse(std::string_view rawLine, PointValues& values) {
    return Parse(rawLine, rawLine.data() + rawLine.size(), values);
  }
  // The bytes after the line up to `readableEnd` may be looked at, never
  // taken: the line must end with LF or at `readableEnd`.
  bool Parse(std::string_view rawLine, const char* readableEnd, PointValues& values);

 private:
  bool ConvertFields(PointValues& values) const;

  PlainPointLine plain_;
  PointColumns columns_;
  char separator_;
  std::string prepared_;
  std::vector<std::string_view> fields_;
};

// Comment, prepare, candidate and character tests; the prepared line is left
// in `prepared`. Shared by every reader of point-like lines.
bool PrepareDataLine(std::string_view rawLine, char decimalSeparator, std::string& prepared);

}  // namespace zelvo
