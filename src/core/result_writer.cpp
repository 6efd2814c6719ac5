#include "core/result_writer.h"

#include <cerrno>

#include "core/record_format.h"

namespace zelvo {

const char* const kResultColumnsLine =
    "         x          y      point   quantity          hgqx          hgqy           hgq "
    "           Rq            rq    npoints\n";
const char* const kTraceColumnsLine =
    "      point       iter       hgqx       hgqy        hgq         Rq         rq    npoints\n";

std::string HeaderLine(const HeaderFields& header) {
  std::string line = "Map: " + header.inputFileName + "  Radius: ";
  AppendFixed(line, header.searchRadius, 6, 0);
  line += "  Iter: ";
  AppendInteger(line, header.iterations, 3);
  line += "  Object: " + header.objectText + "\n";
  return line;
}

std::string ResultRecordLine(const ResultRecord& record) {
  std::string line;
  line.reserve(128);
  AppendResultRecord(line, record);
  return line;
}

std::string TraceRecordLine(const TraceRecord& record) {
  std::string line;
  line.reserve(96);
  AppendTraceRecord(line, record);
  return line;
}

void AppendResultRecord(std::string& out, const ResultRecord& record) {
  // Each field at most kLongestFixed characters and a blank.
  char line[10 * (kLongestFixed + 1) + 1];
  char* end = line;
  const auto field = [&end](double value, int width, int precision) {
    end = WriteFixed(end, value, width, precision);
    *end++ = ' ';
  };
  field(record.x, 10, 1);
  field(record.y, 10, 1);
  field(record.point, 10, 1);
  field(record.quantity, 10, 3);
  for (double value : {record.hgqx, record.hgqy, record.hgq, record.Rq, record.rq}) {
    field(value, 13, 6);
  }
  field(record.npoints, 10, 0);
  end[-1] = '\n';
  out.append(line, end);
}

void AppendTraceRecord(std::string& out, const TraceRecord& record) {
  AppendFixed(out, record.point, 10, 3);
  out += ' ';
  AppendInteger(out, record.pass, 10);
  for (double value : {record.hgqx, record.hgqy, record.hgq, record.Rq, record.rq}) {
    out += ' ';
    AppendFixed(out, value, 10, 6);
  }
  out += ' ';
  AppendFixed(out, record.npoints, 10, 0);
  out += '\n';
}

bool OutputFile::Open(const std::string& fileName) {
  Close();
  failed_ = false;
  error_ = 0;
  file_ = std::fopen(fileName.c_str(), "wb");
  if (file_ == nullptr) error_ = errno;
  return file_ != nullptr;
}

bool OutputFile::Write(std::string_view text) {
  if (file_ == nullptr || failed_) return false;
  if (std::fwrite(text.data(), 1, text.size(), file_) != text.size()) Fail(errno);
  return !failed_;
}

bool OutputFile::Close() {
  if (file_ == nullptr) return !failed_;
  if (std::fclose(file_) != 0) Fail(errno);
  file_ = nullptr;
  return !failed_;
}

void OutputFile::Fail(int error) {
  if (!failed_) error_ = error;
  failed_ = true;
}

}  // namespace zelvo
