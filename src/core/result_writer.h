#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace zelvo {

struct HeaderFields {
  std::string inputFileName;
  double searchRadius = 0.0;
  int iterations = 0;
  std::string objectText;
};

struct ResultRecord {
  double x, y, point, quantity, hgqx, hgqy, hgq, Rq, rq, npoints;
};

struct TraceRecord {
  double point;
  int pass;
  double hgqx, hgqy, hgq, Rq, rq, npoints;
};

// "Map: <input>  Radius: <R>  Iter: <iters>  Object: <object>" and its line end.
std::string HeaderLine(const HeaderFields& header);
std::string ResultRecordLine(const ResultRecord& record);
std::string TraceRecordLine(const TraceRecord& record);
// The same lines appended to a buffer that many records share.
void AppendResultRecord(std::string& out, const ResultRecord& record);
void AppendTraceRecord(std::string& out, const TraceRecord& record);

extern const char* const kResultColumnsLine;
extern const char* const kTraceColumnsLine;

// A text file written under its own name; remembers whether any write failed.
class OutputFile {
 public:
  OutputFile() = default;
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  ~OutputFile() { Close(); }

  bool Open(const std::string& fileName);
  bool IsOpen() const { return file_ != nullptr; }
  bool Failed() const { return failed_; }
  // The errno of the first open, write or close that failed; 0 before any.
  int Error() const { return error_; }
  // False once any write has failed.
  bool Write(std::string_view text);
  // False when the file was not written whole.
  bool Close();

 private:
  // Keeps the first failure: later ones follow from it and would hide why.
  void Fail(int error);

  std::FILE* file_ = nullptr;
  bool failed_ = false;
  int error_ = 0;
};

}  // namespace zelvo
