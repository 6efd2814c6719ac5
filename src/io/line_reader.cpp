#include "io/line_reader.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace zelvo {
namespace {
constexpr std::size_t kChunk = 1 << 16;
}

LineReader::~LineReader() {
  if (file_ != nullptr) std::fclose(file_);
}

bool LineReader::Open(const std::string& fileName) {
  std::FILE* file = std::fopen(fileName.c_str(), "rb");
  if (file == nullptr) return false;
  struct stat info {};
  if (fstat(fileno(file), &info) != 0 || S_ISDIR(info.st_mode)) {
    const int error = S_ISDIR(info.st_mode) ? EISDIR : errno;
    std::fclose(file);
    errno = error;  // a folder opens without a word, yet is no file to read
    return false;
  }
  file_ = file;
  return Rewind();
}

bool LineReader::Rewind() {
  if (file_ == nullptr || std::fseek(file_, 0, SEEK_SET) != 0) return false;
  std::clearerr(file_);
  begin_ = 0;
  end_ = 0;
  atEnd_ = false;
  atStart_ = true;
  readFailed_ = false;
  return true;
}

// Appends the next chunk of the file to the unread bytes. The buffer only
// grows (for a line longer than a chunk); its valid bytes end at end_.
bool LineReader::Fill() {
  if (atEnd_) return false;
  const std::size_t kept = end_ - begin_;
  std::memmove(buffer_.data(), buffer_.data() + begin_, kept);
  begin_ = 0;
  if (buffer_.size() < kept + kChunk) buffer_.resize(kept + kChunk);
  const std::size_t got = std::fread(buffer_.data() + kept, 1, kChunk, file_);
  end_ = kept + got;
  if (got < kChunk) {
    atEnd_ = true;
    if (std::ferror(file_)) readFailed_ = true;
  }
  return got > 0;
}

bool LineReader::Next(std::string_view& line) {
  if (file_ == nullptr || readFailed_) return false;
  std::size_t searchFrom = begin_;
  for (;;) {
    if (atStart_ && end_ - begin_ >= 3) {
      if (std::memcmp(buffer_.data() + begin_, "\xEF\xBB\xBF", 3) == 0) begin_ += 3;
      atStart_ = false;
      searchFrom = begin_;
    }
    const char* data = buffer_.data();
    const void* lf = std::memchr(data + searchFrom, '\n', end_ - searchFrom);
    if (lf != nullptr) {
      const std::size_t end = static_cast<const char*>(lf) - data + 1;
      line = std::string_view(data + begin_, end - begin_);
      begin_ = end;
      return true;
    }
    const std::size_t scanned = end_ - begin_;
    if (!Fill()) {
      if (readFailed_) return false;
      atStart_ = false;
      if (begin_ == end_) return false;
      line = std::string_view(buffer_.data() + begin_, end_ - begin_);
      begin_ = end_;
      return true;
    }
    searchFrom = begin_ + scanned;
  }
}

}  // namespace zelvo
