#pragma once

#include <cstdio>
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
  bool Next(std::string_view& line);
  bool Rewind();
  bool ReadFailed() const { return readFailed_; }

 private:
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
};

}  // namespace zelvo
