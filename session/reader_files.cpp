#include "session/reader_files.h"

#include "platform/folder_store.h"
#include "output/compiled_files.h"

namespace compactor::inspect {
namespace {


// The whole file, refused before reading when it is not a regular file or is larger than
// the largest file of its kind, so that memory stays bounded whatever is given.
std::string read_whole(const std::filesystem::path& path, CompiledKind kind) {
  std::error_code ec;
  const auto status = std::filesystem::status(path, ec);
  if (ec && ec != std::errc::no_such_file_or_directory)
    throw InspectError(Message{
        MessageId::file_reason, {path.string()}, {Message{MessageId::fe_read, {}, {system_reason(ec)}}}});
  if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status))
    throw InspectError(Message{MessageId::inspect_not_regular, {path.string()}, {kind_name(kind)}});
  if (std::filesystem::exists(status)) {
    const uintmax_t size = std::filesystem::file_size(path, ec);
    if (!ec && size > largest_size(kind))
      throw InspectError(Message{MessageId::inspect_too_large,
                                 {path.string(), std::to_string(size), std::to_string(largest_size(kind))},
                                 {kind_name(kind)}});
  }
  try {
    const FolderStore store(path.has_parent_path() ? path.parent_path() : std::filesystem::path("."));
    std::optional<std::string> bytes = store.read_file(path.filename().string());
    if (!bytes) throw InspectError(msg(MessageId::inspect_no_such_file, path.string()));
    return std::move(*bytes);
  } catch (const FileError& e) {
    throw InspectError(e.message());
  }
}

}  // namespace

TrackModel load_scenario(const ScenarioPaths& paths) {
  const std::string sections = read_whole(paths.sections, CompiledKind::sections);
  const std::string slots = read_whole(paths.slots, CompiledKind::slots);
  std::optional<std::string> plot;
  if (paths.plot) plot = read_whole(*paths.plot, CompiledKind::plot);
  return decode_scenario(sections, paths.sections.string(), slots, paths.slots.string(), plot,
                         paths.plot ? paths.plot->string() : std::string());
}

void write_scenario(const TrackModel& model, const ScenarioPaths& paths) {
  if (model.plot_created && !paths.plot) throw InspectError(msg(MessageId::inspect_plot_unnamed));
  if (!model.plot_created && paths.plot)
    throw InspectError(msg(MessageId::inspect_no_plot, paths.plot->string()));
  // Everything is encoded before the first file is touched.
  const std::string sections = encode_sections(model.sections);
  const std::string slots = encode_slots(model.slots);
  const std::string plot = model.plot_created ? encode_route_plot(model.route_plot) : std::string();
  try {
    if (paths.plot) replace_file_atomically(*paths.plot, plot);
    replace_file_atomically(paths.slots, slots);
    replace_file_atomically(paths.sections, sections);
  } catch (const FileError& e) {
    throw InspectError(e.message());
  }
}

}  // namespace compactor::inspect
