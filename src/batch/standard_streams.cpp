#include "batch/standard_streams.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace zelvo {
namespace {

constexpr std::size_t kChunk = 1 << 16;

std::string TemporaryFolder() {
  const char* folder = std::getenv("TMPDIR");
  return folder != nullptr && *folder != '\0' ? folder : "/tmp";
}

// The reason of the call that just failed, after what was being done.
std::string Failure(const std::string& what) { return what + ": " + std::strerror(errno); }

// A new file of our own in the temporary folder; -1 with errno set when none.
int MakeTemporaryFile(std::string& fileName) {
  std::string pattern = TemporaryFolder() + "/zelvo-batch-XXXXXX";
  const int descriptor = mkstemp(pattern.data());
  if (descriptor >= 0) fileName = pattern;
  return descriptor;
}

// A closed standard stream would let the temporary file take its number.
bool IsOpen(int descriptor) { return fcntl(descriptor, F_GETFD) >= 0; }

bool WriteAll(int descriptor, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t written = write(descriptor, data, size);
    if (written < 0 && errno == EINTR) continue;
    if (written < 0) return false;
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

enum class CopyFailure { kNone, kRead, kWrite };

// To the end of `from`; errno tells why a failed side failed.
CopyFailure CopyAll(int from, int to) {
  std::vector<char> buffer(kChunk);
  for (;;) {
    const ssize_t got = read(from, buffer.data(), buffer.size());
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return CopyFailure::kRead;
    if (got == 0) return CopyFailure::kNone;
    if (!WriteAll(to, buffer.data(), static_cast<std::size_t>(got))) return CopyFailure::kWrite;
  }
}

}  // namespace

bool IsStandardStream(const std::string& fileName) { return fileName == "-"; }

std::string KeepStandardInput() {
  if (!IsOpen(STDIN_FILENO)) return Failure("cannot read standard input");
  std::string fileName;
  const int copy = MakeTemporaryFile(fileName);
  if (copy < 0) return Failure("cannot make a temporary file in " + TemporaryFolder());
  // Nameless at once: nothing is left behind, however the process ends.
  unlink(fileName.c_str());
  std::string problem;
  switch (CopyAll(STDIN_FILENO, copy)) {
    case CopyFailure::kRead:
      problem = Failure("cannot read standard input");
      break;
    case CopyFailure::kWrite:
      problem = Failure("cannot keep standard input in " + TemporaryFolder());
      break;
    case CopyFailure::kNone:
      if (dup2(copy, STDIN_FILENO) < 0) problem = Failure("cannot read standard input again");
      break;
  }
  close(copy);
  return problem;
}

StandardOutputStandIn::~StandardOutputStandIn() { Remove(); }

std::string StandardOutputStandIn::Create() {
  if (!IsOpen(STDOUT_FILENO)) return Failure("cannot write standard output");
  descriptor_ = MakeTemporaryFile(fileName_);
  if (descriptor_ < 0) return Failure("cannot make a temporary file in " + TemporaryFolder());
  return {};
}

std::string StandardOutputStandIn::Deliver() {
  // Nameless before the copy: a reader that goes away ends the process with
  // SIGPIPE, which must leave no file behind.
  unlink(fileName_.c_str());
  fileName_.clear();
  std::string problem;
  switch (CopyAll(descriptor_, STDOUT_FILENO)) {
    case CopyFailure::kRead:
      problem = Failure("cannot read back the result file");
      break;
    case CopyFailure::kWrite:
      problem = Failure("cannot write standard output");
      break;
    case CopyFailure::kNone:
      break;
  }
  Remove();
  return problem;
}

void StandardOutputStandIn::Remove() {
  if (!fileName_.empty()) unlink(fileName_.c_str());
  fileName_.clear();
  if (descriptor_ >= 0) close(descriptor_);
  descriptor_ = -1;
}

}  // namespace zelvo
