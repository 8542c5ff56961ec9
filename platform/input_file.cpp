#include "platform/input_file.h"

#include <cerrno>
#include <vector>

namespace compactor {

namespace input_refusal {

Message not_regular(MessageId what_it_is) {
  return Message{MessageId::fe_not_regular, {}, {msg(what_it_is)}};
}

Message too_large(uint64_t size, const ReadLimit& limit) {
  return Message{
      MessageId::fe_too_large, {std::to_string(size), std::to_string(limit.most_bytes)}, {msg(limit.kind)}};
}

Message path_too_long(size_t folder_units, size_t longest_name, size_t most_units, MessageId unit) {
  return Message{MessageId::fe_path_too_long,
                 {std::to_string(folder_units), std::to_string(longest_name), std::to_string(most_units)},
                 {msg(unit)}};
}

}  // namespace input_refusal

Message errno_reason(int err) {
  // English in the words of the GNU C library, on every system.
  MessageId id;
  switch (err) {
    case ENOENT:
      id = MessageId::sys_not_found;
      break;
    case EACCES:
      id = MessageId::sys_access_denied;
      break;
    case EPERM:
      id = MessageId::sys_not_permitted;
      break;
    case ENOSPC:
      id = MessageId::sys_disk_full;
      break;
    case EISDIR:
      id = MessageId::sys_is_folder;
      break;
    case ENOTDIR:
      id = MessageId::sys_not_folder;
      break;
    case ENAMETOOLONG:
      id = MessageId::sys_name_too_long;
      break;
    case ELOOP:
      id = MessageId::sys_loop;
      break;
    case EROFS:
      id = MessageId::sys_read_only;
      break;
    case EEXIST:
      id = MessageId::sys_exists;
      break;
    case EBUSY:
      id = MessageId::sys_busy;
      break;
    case EIO:
      id = MessageId::sys_io;
      break;
    default:
      return msg(MessageId::text, std::generic_category().message(err));
  }
  return msg(id);
}

std::string read_range(InputFile& file, uint64_t offset, size_t n) {
  std::string out(n, '\0');
  size_t got = 0;
  while (got < n) {
    const size_t more = file.read_at(offset + got, out.data() + got, n - got);
    if (more == 0) break;
    got += more;
  }
  out.resize(got);
  return out;
}

std::optional<std::string> read_whole_file(const std::filesystem::path& path, const ReadLimit& limit) {
  const std::unique_ptr<InputFile> file = open_input(path);
  if (!file) return std::nullopt;
  if (file->size() > limit.most_bytes) throw FileError(path, input_refusal::too_large(file->size(), limit));
  std::string out;
  out.reserve(static_cast<size_t>(file->size()));
  std::vector<char> buf(65536);
  for (;;) {
    const size_t n = file->read_at(out.size(), buf.data(), buf.size());
    if (n == 0) break;
    out.append(buf.data(), n);
    // A file that grows while it is read stops at the limit.
    if (out.size() > limit.most_bytes) throw FileError(path, input_refusal::too_large(out.size(), limit));
  }
  return out;
}

}  // namespace compactor
