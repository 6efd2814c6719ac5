#pragma once

#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

namespace zelvo {

// Reads a text file, or bytes in memory as a file holding them would be read,
// line by line, each line whole whatever its length. A line is delivered with
// its LF when it has one; only LF ends a line. A UTF-8 byte-order mark at the
// very start is dropped.
class LineReader {
 public:
  LineReader() = default;
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;
  ~LineReader();

  // False when the file cannot be opened for reading (a folder included),
  // with errno telling why.
  bool Open(const std::string& fileName);
  // The bytes are read where they lie, without a copy: they must outlive
  // the reader, and a rewind reads them again as they then are.
  void OpenMemory(std::string_view bytes);
  // False at the end of the file or on a read error.
  bool Next(std::string_view& line) {
    // Nearly every line lies whole in the bytes already read.
    if (!atStart_ && !readFailed_ && begin_ < end_) {
      if (const void* lf = std::memchr(data_ + begin_, '\n', end_ - begin_)) {
        const std::size_t lineEnd = static_cast<std::size_t>(static_cast<const char*>(lf) - data_) + 1;
        line = std::string_view(data_ + begin_, lineEnd - begin_);
        begin_ = lineEnd;
        return true;
      }
    }
    return NextAfterRead(line);
  }
  // The whole lines after those given so far that the bytes read hold, up
  // to about a chunk's worth: at least one line, and the last line of the
  // file without its LF. False at the end of the file or on a read error.
  bool NextLines(std::string_view& lines);
  // From here on, the file is read this many bytes at a time (64 KiB unless
  // set), and NextLines gives about as many.
  void SetChunkBytes(std::size_t bytes) { chunkBytes_ = bytes; }
  // One past the last byte read so far: the bytes after the last line given,
  // up to here, may be looked at until the next call.
  const char* ReadableEnd() const { return data_ + end_; }
  bool Rewind();
  bool ReadFailed() const { return readFailed_; }

 private:
  bool NextAfterRead(std::string_view& line);
  bool Fill();
  void Close();

  std::FILE* file_ = nullptr;
  std::string_view memory_;
  bool inMemory_ = false;
  std::string buffer_;
  const char* data_ = nullptr;  // the file's buffer, or the bytes in memory
  std::size_t begin_ = 0;  // first unread byte of data_
  std::size_t end_ = 0;    // one past the last byte read into data_
  bool atEnd_ = false;
  bool atStart_ = true;
  bool readFailed_ = false;
  std::size_t chunkBytes_ = std::size_t{1} << 16;
};

}  // namespace zelvo
