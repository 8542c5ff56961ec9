#include "documents/train_card.h"

#include "sources/file_names.h"
#include "sources/text_writer.h"

namespace compactor {
namespace {

// The card of train 7162, Rovella - Tirsa, in file order: the header boxes, the
// classification and braked-mass boxes, then the timetable of the places in running
// order. Every line is written as it stands, trailing spaces included (line 9 keeps seven).
constexpr std::string_view kCardLines[] = {
    "",
    "",
    "  ___________________                                               ______________",
    " |                   |                    SCHEDA                   |              |",
    " |   TRENO n.7162    |                   da: ROVELLA               |    VS140 C   |",
    " |___________________|                    a: TIRSA                 |     120%     |",
    "                                                                   |______________|",
    "  ___________________                ___________________",
    " |  CLASSIFICAZIONE  |              |  MASSA BLOCCATA   |       ",
    " |        R          |              |      150T         |",
    " |___________________|              |___________________|",
    "",
    "  ________________________________________________________________________________",
    " | Vel.| Vel.| Progr Km |  No |   Localita' di  Servizio   |     Orario     | Rec |",
    " | Lim.|Marc.|          |  Rs |                            |                |     |",
    " |_____|_____|__________|_____|____________________________|________________|_____|",
    " |     |     |          |     |                            |                |     |",
    " |     |     |          |     |                            |                |     |",
    " |  75 |  75 |  50.541  |  75 | ROVELLA                    |          18.21 |     |",
    " |     |     |          |     |                            |                |     |",
    " | 135 | 120 |          | 135 |      Cavalcavia Km.51,357  |                |     |",
    " |     |     |          |     |                            |                |     |",
    " |     |     |  57.297  |     | PRATOLINE                  |      18.25     |     |",
    " |     |     |          |     |                            |                |     |",
    " |     |     |  62.482  |     | CASTRELA                   | 18.28    18.29 | 1.0 |",
    " |     |     |          |     |                            |                |     |",
    " |     |     |  66.698  |     | SAN MARTINO di TIRSA       |      18.33+    |     |",
    " |     |     |          |     |                            |                |     |",
    " |     | 110 |  72.418  |     | Bivio Sant'Elia di Lago    |      18.41     |     |",
    " |     |     |          |     |                            |                |     |",
    " |  75 |  75 |  73.812  |  75 |   Cavalcavia Rovella       |      18.43     |     |",
    " |     |     |          |     |                            |                |     |",
    " |     |     |  75.680  |     | TIRSA                      | 18.45          | 2.0 |",
    " |     |     |          |     |                            |                |     |",
    " |     |     |          |     |                            |                |     |",
    " |_____|_____|__________|_____|____________________________|________________|_____|",
};

}  // namespace

std::span<const std::string_view> card_lines() { return kCardLines; }

void dati_scheda(FileSink& sink, const std::string& line_name, const std::string& train_number) {
  write_fixed_text(sink, train_card_name(line_name, train_number), card_lines());
}

}  // namespace compactor
