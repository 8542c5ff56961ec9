#include "documents/train_card.h"

#include "sources/file_names.h"
#include "sources/text_writer.h"

namespace compactor {

std::span<const std::string_view> card_lines() { return {}; }

void dati_scheda(FileSink& sink, const std::string& line_name, const std::string& train_number) {
  write_fixed_text(sink, train_card_name(line_name, train_number), card_lines());
}

}  // namespace compactor
