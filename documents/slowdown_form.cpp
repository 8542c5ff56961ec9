#include "documents/slowdown_form.h"

#include "sources/file_names.h"
#include "sources/text_writer.h"

namespace compactor {
namespace {

// Form "Modulo M. 3" for train 7162, in file order. The train runs without any slow-down,
// so the table carries a single "NESSUNA      PRESCRIZIONE" row across its whole width;
// the codes of the last column follow in the order A, B, D, C.
constexpr std::string_view kFormLines[] = {
    "",
    "                               Modulo M. 3",
    "                           ORDINE DI RALLENTAMENTO",
    " ________________________________________________________________________________",
    "  Linea  ROVELLA - TIRSA",
    "",
    "  Si ordina al macchinista del treno 7162  di effettuare i seguenti rallentamenti",
    "",
    "  _______________________________________________________________________________",
    " |   |                            |Inizio dopo |          |         |            |",
    " | N.|      FRA LE STAZIONI       | il cippo   | Velocita'|Lunghezza|Prescrizioni|",
    " |   |   (o nelle Stazioni di)    |chilometrico|          |   metri | specifiche |",
    " |___|____________________________|____________|__________|_________|____________|",
    " |   |                            |            |          |         |            |",
    " |   |                                                    |         |            |",
    " |                            NESSUNA      PRESCRIZIONE                          |",
    " |   |                                                    |         |            |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |___|____________________________|____________|__________|_________|____________|",
    "",
    "              Prescrizioni specifiche",
    "",
    " A - Da rispettare con tutto il treno (per i treni viaggiatori)",
    "",
    " B - Interessa anche la stazione di.......",
    "",
    " D - Rallentamneto N. ... e N. ...  sono contigui",
    "",
    " C - Da rispettare dalle ore ....  alle ore ..... di tutti",
    "     i giorni esclusi i seguenti:.........",
};

}  // namespace

std::span<const std::string_view> form_lines() { return kFormLines; }

void dati_rallentamenti(FileSink& sink, const std::string& line_name, const std::string& train_number) {
  write_fixed_text(sink, slowdown_form_name(line_name, train_number), form_lines());
}

}  // namespace compactor
