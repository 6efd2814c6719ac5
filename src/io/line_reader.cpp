#include "io/line_reader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace zelvo {

LineReader::~LineReader() { Close(); }

void LineReader::Close() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
  inMemory_ = false;
}

bool LineReader::Open(const std::string& fileName) {
  Close();
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

void LineReader::OpenMemory(std::string_view bytes) {
  Close();
  memory_ = bytes;
  inMemory_ = true;
  Rewind();
}

bool LineReader::Rewind() {
  begin_ = 0;
  atStart_ = true;
  readFailed_ = false;
  if (inMemory_) {
    // All the bytes are there at once, as if read to the end.
    data_ = memory_.data();
    end_ = memory_.size();
    atEnd_ = true;
    return true;
  }
  if (file_ == nullptr || std::fseek(file_, 0, SEEK_SET) != 0) return false;
  std::clearerr(file_);
  data_ = buffer_.data();
  end_ = 0;
  atEnd_ = false;
  return true;
}

// Appends the next chunk of the file to the unread bytes. The buffer only
// grows (for a line longer than a chunk); its valid bytes end at end_.
bool LineReader::Fill() {
  if (atEnd_) return false;
  const std::size_t kept = end_ - begin_;
  std::memmove(buffer_.data(), buffer_.data() + begin_, kept);
  begin_ = 0;
  if (buffer_.size() < kept + chunkBytes_) buffer_.resize(kept + chunkBytes_);
  data_ = buffer_.data();
  const std::size_t got = std::fread(buffer_.data() + kept, 1, chunkBytes_, file_);
  end_ = kept + got;
  if (got < chunkBytes_) {
    atEnd_ = true;
    if (std::ferror(file_)) readFailed_ = true;
  }
  return got > 0;
}

// Reads on when the line goes past the bytes read so far, and gives the
// first line after the byte-order mark.
bool LineReader::NextAfterRead(std::string_view& line) {
  if ((file_ == nullptr && !inMemory_) || readFailed_) return false;
  std::size_t searchFrom = begin_;
  for (;;) {
    if (atStart_ && end_ - begin_ >= 3) {
      if (std::memcmp(data_ + begin_, "\xEF\xBB\xBF", 3) == 0) begin_ += 3;
      atStart_ = false;
      searchFrom = begin_;
    }
    const void* lf =
        searchFrom < end_ ? std::memchr(data_ + searchFrom, '\n', end_ - searchFrom) : nullptr;
    if (lf != nullptr) {
      const std::size_t end = static_cast<const char*>(lf) - data_ + 1;
      line = std::string_view(data_ + begin_, end - begin_);
      begin_ = end;
      return true;
    }
    const std::size_t scanned = end_ - begin_;
    if (!Fill()) {
      if (readFailed_) return false;
      atStart_ = false;
      if (begin_ == end_) return false;
      line = std::string_view(data_ + begin_, end_ - begin_);
      begin_ = end_;
      return true;
    }
    searchFrom = begin_ + scanned;
  }
}

bool LineReader::NextLines(std::string_view& lines) {
  // The first line reads on as far as it needs; the others are those that
  // end within the bytes read, up to a chunk's worth.
  std::string_view first;
  if (!Next(first)) return false;
  const std::size_t searched = std::min(end_ - begin_, chunkBytes_);
  const void* lastLf = searched > 0 ? memrchr(data_ + begin_, '\n', searched) : nullptr;
  if (lastLf != nullptr) {
    begin_ = static_cast<std::size_t>(static_cast<const char*>(lastLf) - data_) + 1;
  }
  lines = std::string_view(first.data(), static_cast<std::size_t>(data_ + begin_ - first.data()));
  return true;
}

}  // namespace zelvo
