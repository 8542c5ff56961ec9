#pragma once
// Where the writers put their files. The program's front decides what a file is
// (a folder on disk, a buffer in a test); the core only hands over complete bytes.

#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>

namespace compactor {

// A piece of a file and where it goes.
struct BytePiece {
  uint64_t offset = 0;
  std::string_view bytes;
};

// A file's bytes handed out piece by piece, for a file too large to be built whole in memory
// first. The pieces may come in any order; they never overlap and together fill the file.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // The file's size in bytes, known before the first piece.
  virtual uint64_t size() const = 0;
  // The next piece; one with no bytes when there is no more.
  virtual BytePiece next() = 0;
};

// The whole file of a source in memory, each piece in its place. Throws std::length_error
// for a file too large for memory or a piece that would reach past the file's end.
inline std::string join_pieces(ByteSource& source) {
  const uint64_t size = source.size();
  if (size > std::string().max_size()) throw std::length_error("a file too large for memory");
  std::string all(static_cast<size_t>(size), '\0');
  for (BytePiece piece = source.next(); !piece.bytes.empty(); piece = source.next()) {
    if (piece.offset > all.size() || piece.bytes.size() > all.size() - piece.offset)
      throw std::length_error("a piece of a file reaches past its end");
    std::memcpy(all.data() + piece.offset, piece.bytes.data(), piece.bytes.size());
  }
  return all;
}

class FileSink {
 public:
  virtual ~FileSink() = default;
  // Replaces the named file with exactly these bytes, as a whole.
  virtual void replace_file(const std::string& name, std::string_view bytes) = 0;
  // Replaces the named file with every piece of the source, as a whole. By default the
  // pieces are joined in memory and handed to replace_file; a sink on disk writes each one
  // in its place as it comes, and the file is replaced only once the last piece is written.
  virtual void replace_file_from(const std::string& name, ByteSource& source) {
    replace_file(name, join_pieces(source));
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
