#include "sources/train_content.h"

#include "sources/file_names.h"
#include "sources/text_writer.h"

namespace compactor {
namespace {

// The train description of train 7162 on Rovella - Tirsa, in file order.
// Line 5 keeps its trailing space.
constexpr std::string_view kTrainContent[] = {
    "[generale]",
    "numero vetture,    3",
    "percentuale massa frenata,    120",
    "sabbia,    300",
    "orologio,    18              20            30 ",
    "[aderenze]",
    "aderenza,   0,    100",
    "[vel_limite]",
    "velocita,       0,    75",
    "velocita,     800,   135",
    "velocita,   21500,    60",
    "velocita,   22100,   135",
    "velocita,   23250,    75",
    "[stazioni]",
    "stazione,       0, 12,  500,  1, 0, 0,  4,1,0,  2,1,1,    1,  18,21, 0, ROVELLA",
    "stazione,    6800, 12,  500,  1, 0, 1,  4,1,1,  2,1,1,  201,   0, 0, 0, PRATOLINE",
    "stazione,   12000, 12,  500,  0, 0, 1,  1,1,0,  4,1,1,   30,  18,29, 0, CASTRELA",
    "stazione,   16150, 22,  600,  0, 0, 1,  0,0,0,  4,1,1,    0,   0, 0, 0, SAN MARTINO di TIRSA",
    "stazione,   21900, 25,  200,  0, 0, 0,  0,0,0,  0,0,0,    0,   0, 0, 0, BIVIO SANT' ELIA DI LAGO",
    "stazione,   25050, 12,  500,  1, 0, 0,  1,1,0,  2,1,1,    0,  18,45, 0, TIRSA",
    "[rallentamenti]",
    "[segnali]",
    "segnale,    4650,   1, 5, 6,  0, 0,    0,  0,0,0, 0",
    "segnale,    5850,   2, 2, 3,  0, 0,    0,  0,0,0, 0",
    "segnale,    9500,   1, 4, 1,  0, 0,    0,  0,0,0, 0",
    "segnale,   10700,   2, 3, 1,  0, 0,    0,  0,0,0, 0",
    "segnale,   14050,   1, 4, 1,  0, 0,    0,  0,0,0, 0",
    "segnale,   15250,   2, 4, 1,  0, 0,    0,  0,0,0, 0",
    "segnale,   20300,   1, 5, 6,  0, 0,    0,  0,0,0, 0",
    "segnale,   21500,   2, 2, 4,  0, 1,    0,  0,0,0, 0",
    "segnale,   23150,   1, 3, 4,  0, 0,    1,  3,1,0, 0",
    "segnale,   24350,   2, 2, 3,  1, 0,    2,  2,1,1, 0",
    "[codici]",
    "[fine]",
};

}  // namespace

std::span<const std::string_view> train_content() { return kTrainContent; }

void dati_treno(FileSink& sink, const std::string& line_name, const std::string& train_number,
                std::span<const std::string_view> content) {
  write_fixed_text(sink, train_description_name(line_name, train_number), content);
}

}  // namespace compactor
