#include "base/whole_file.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace zelvo {
namespace {

// A temporary name of our own beside the path; -1 with errno set when none
// could be created.
int CreateBeside(const std::string& path, std::string& temporary) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    temporary = path + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

bool WriteAll(int fd, const unsigned char* data, std::size_t size) {
  std::size_t written = 0;
  while (written < size) {
    const ssize_t n = ::write(fd, data + written, size - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      return false;
    }
    written += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

int WriteWholeFile(const std::string& path, const void* data, std::size_t size,
                   std::string& reason) {
  std::string temporary;
  int fd = CreateBeside(path, temporary);
  if (fd < 0) {
    reason = std::strerror(errno);
    return 1;
  }
  bool done = WriteAll(fd, static_cast<const unsigned char*>(data), size) && ::fsync(fd) == 0;
  const int error = errno;
  done = ::close(fd) == 0 && done;
  if (done && ::rename(temporary.c_str(), path.c_str()) == 0) return 0;
  reason = std::strerror(done ? errno : error);
  ::unlink(temporary.c_str());
  return 1;
}

}  // namespace zelvo
