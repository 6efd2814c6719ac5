#pragma once

#include <string>

namespace zelvo {

// "-" as a file name on the command line: standard input where a file is
// read, standard output where the result file is written.
bool IsStandardStream(const std::string& fileName);

// The name under which the engine opens standard input once it is kept.
inline constexpr const char* kStandardInputName = "/dev/stdin";

// The readers go through their file twice, which a pipe or a terminal cannot
// give. Reads standard input to its end into an unnamed temporary file (under
// $TMPDIR, else /tmp) that then stands as standard input, so that
// kStandardInputName opens a copy that can be read again. Empty when done,
// else why not.
std::string KeepStandardInput();

// A temporary file that the result file is written to in place of standard
// output, copied there once the run has written it whole. Reopening standard
// output by name would truncate a file it appends to, cannot reach a socket
// and would pass on half a result of a run that failed.
class StandardOutputStandIn {
 public:
  StandardOutputStandIn() = default;
  StandardOutputStandIn(const StandardOutputStandIn&) = delete;
  StandardOutputStandIn& operator=(const StandardOutputStandIn&) = delete;
  // Removes the file, delivered or not.
  ~StandardOutputStandIn();

  // Makes the file; empty when done, else why not.
  std::string Create();
  // Where the engine writes the result file.
  const std::string& FileName() const { return fileName_; }
  // Made and not yet delivered.
  bool Waiting() const { return descriptor_ >= 0; }
  // Copies the written file to standard output; empty when done, else why not.
  std::string Deliver();

 private:
  void Remove();

  std::string fileName_;
  int descriptor_ = -1;
};

}  // namespace zelvo
