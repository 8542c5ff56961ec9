#pragma once
// Where the writers put their files. The program's front decides what a file is
// (a folder on disk, a buffer in a test); the core only hands over complete bytes.

#include <string>
#include <string_view>

namespace compactor {

// Bytes handed out piece by piece, for a file too large to be built whole in memory first.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // The next piece; an empty view when there is no more.
  virtual std::string_view next() = 0;
};

class FileSink {
 public:
  virtual ~FileSink() = default;
  // Replaces the named file with exactly these bytes, as a whole.
  virtual void replace_file(const std::string& name, std::string_view bytes) = 0;
  // Replaces the named file with every piece of the source, as a whole. By default the
  // pieces are joined in memory and handed to replace_file; a sink on disk writes them
  // as they come, and the file is replaced only once the last piece is written.
  virtual void replace_file_from(const std::string& name, ByteSource& source) {
    std::string all;
    for (std::string_view piece = source.next(); !piece.empty(); piece = source.next()) all += piece;
    replace_file(name, all);
  }
  // Files that change together. Between begin_set and commit_set a sink may hold every
  // replacement back and put them all in place at commit_set, in the order they were
  // written, so that a failure before then leaves every old file as it was; abandon_set
  // drops what was held back. By default each replacement takes effect at once.
  virtual void begin_set() {}
  virtual void commit_set() {}
  virtual void abandon_set() {}
};

}  // namespace compactor
