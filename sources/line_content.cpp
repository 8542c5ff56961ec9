#include "sources/line_content.h"

#include "sources/file_names.h"
#include "sources/pack_text.h"
#include "sources/text_writer.h"

namespace compactor {

std::span<const std::string_view> line_content() { return builtin_pack().line(); }

void dati_linea(FileSink& sink, const std::string& line_name, std::span<const std::string_view> content) {
  write_fixed_text(sink, line_description_name(line_name), content);
}

}  // namespace compactor
