#include "documents/slowdown_form.h"

#include "sources/file_names.h"
#include "sources/pack_text.h"
#include "sources/text_writer.h"

namespace compactor {

std::span<const std::string_view> form_lines() { return builtin_pack().form(); }

void dati_rallentamenti(FileSink& sink, const std::string& line_name, const std::string& train_number,
                        std::span<const std::string_view> content) {
  write_fixed_text(sink, slowdown_form_name(line_name, train_number), content);
}

}  // namespace compactor
