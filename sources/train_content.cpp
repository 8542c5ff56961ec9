#include "sources/train_content.h"

#include "sources/file_names.h"
#include "sources/pack_text.h"
#include "sources/text_writer.h"

namespace compactor {

std::span<const std::string_view> train_content() { return builtin_pack().train(); }

void dati_treno(FileSink& sink, const std::string& line_name, const std::string& train_number,
                std::span<const std::string_view> content) {
  write_fixed_text(sink, train_description_name(line_name, train_number), content);
}

}  // namespace compactor
