#include "platform/folder_store.h"

#include <utility>

#include "platform/set_commit.h"

namespace compactor {
namespace {

std::unique_ptr<PendingFile> write_whole(const std::filesystem::path& path, ByteSource& source) {
  auto file = begin_replace(path);
  const uint64_t size = source.size();
  uint64_t written = 0;
  for (BytePiece piece = source.next(); !piece.bytes.empty(); piece = source.next()) {
    if (piece.offset > size || piece.bytes.size() > size - piece.offset)
      throw std::length_error("a piece of " + FileError::display_path(path) + " reaches past its end");
    file->write_at(piece.offset, piece.bytes);
    written += piece.bytes.size();
  }
  if (written != size) throw std::length_error("the pieces of " + FileError::display_path(path) + " do not fill it");
  file->finish();
  return file;
}

// One piece: the whole of a buffer already in memory.
class WholeBytes : public ByteSource {
 public:
  explicit WholeBytes(std::string_view bytes) : bytes_(bytes), size_(bytes.size()) {}
  uint64_t size() const override { return size_; }
  BytePiece next() override { return BytePiece{0, std::exchange(bytes_, std::string_view())}; }

 private:
  std::string_view bytes_;
  uint64_t size_;
};

}  // namespace

void replace_file_atomically(const std::filesystem::path& path, std::string_view bytes) {
  WholeBytes source(bytes);
  replace_file_atomically(path, source);
}

void replace_file_atomically(const std::filesystem::path& path, ByteSource& source) {
  write_whole(path, source)->commit();
}

void FolderStore::replace_file(const std::string& name, std::string_view bytes) {
  WholeBytes source(bytes);
  place(write_whole(path_of(name), source));
}

void FolderStore::replace_file_from(const std::string& name, ByteSource& source) {
  place(write_whole(path_of(name), source));
}

void FolderStore::place(std::unique_ptr<PendingFile> file) {
  if (in_set_) {
    held_.push_back(std::move(file));
  } else {
    file->commit();
    replaced_.push_back(file->path().filename().string());
  }
}

void FolderStore::begin_set() {
  abandon_set();
  in_set_ = true;
}

void FolderStore::commit_set() {
  in_set_ = false;
  std::vector<std::unique_ptr<PendingFile>> files = std::move(held_);
  held_.clear();
  // A failure puts every old file back and throws.
  for (Message& note : commit_file_set(folder_, files)) notes_.push_back(std::move(note));
  for (const auto& file : files) replaced_.push_back(file->path().filename().string());
}

void FolderStore::abandon_set() {
  in_set_ = false;
  held_.clear();  // removes the temporaries
}

std::optional<std::string> FolderStore::read_file(const std::string& name) const {
  return read_whole_file(path_of(name));
}

bool FolderStore::exists(const std::string& name) const { return file_exists(path_of(name)); }

void FolderStore::remove_file(const std::string& name) { delete_file(path_of(name)); }

}  // namespace compactor
