#include "sources/record_fields.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <vector>

#include "sources/field_reader.h"

namespace compactor {

namespace {

constexpr int64_t kI32Min = std::numeric_limits<int32_t>::min();
constexpr int64_t kI32Max = std::numeric_limits<int32_t>::max();
constexpr int64_t kI16Min = std::numeric_limits<int16_t>::min();
constexpr int64_t kI16Max = std::numeric_limits<int16_t>::max();

constexpr Consequence kAccepted{};
constexpr Consequence kWarned{Outcome::warned, 0};
constexpr Consequence kRounded{Outcome::rounded, 0};
constexpr Consequence kLowBits{Outcome::low_bits, 0};
constexpr Consequence fault(int number) { return {Outcome::fault, number}; }

constexpr int32_t kMetres = 50;  // a section
constexpr int64_t kLongestLine = 1000000;
constexpr int32_t kPastLine = 6900;         // a record's position: up to the line's length + 6900 m
constexpr int32_t kStationPastLine = 6200;  // a station's: its position + 800 m within the sections

// Any value of the width: the field reader's bounds.
constexpr AllowedValues any32(Words note = {}) { return {.min = kI32Min, .max = kI32Max, .note = note}; }
constexpr AllowedValues any16(Words note = {}) { return {.min = kI16Min, .max = kI16Max, .note = note}; }
constexpr AllowedValues any8(Words note = {}) { return {.min = 0, .max = 255, .note = note}; }
constexpr AllowedValues range(int64_t lo, int64_t hi, Consequence outside, Words note = {}) {
  return {.min = lo, .max = hi, .outside = outside, .note = note};
}
// A point on the line that must pass the range check (fault 15) and is rounded to its section.
constexpr AllowedValues on_line(Words note, int32_t step = kMetres) {
  return {.min = 0,
          .max = kLongestLine + kPastLine,
          .step = step,
          .past_line_end = kPastLine,
          .off_step = step == 1 ? kAccepted : kRounded,
          .outside = fault(15),
          .note = note};
}
constexpr AllowedValues text_field(Words note) { return {.note = note}; }

constexpr int32_t kZeroOne[] = {0, 1};
constexpr int32_t kMountainTypes[] = {1, 2, 3, 11, 12, 13};

constexpr std::string_view kM = "m", kKmh = "km/h";

// The tables are laid out by hand, one field a few lines.
// clang-format off

// ---- line description, general section ----

constexpr FieldInfo kLength[] = {
    {"length", FieldWidth::i32,
     {.min = 0, .max = kLongestLine, .step = kMetres, .off_step = kWarned, .outside = fault(1),
      .note = {"above 1000000: fault 1; off a multiple of 50 the sections are rounded (warning line-length)",
               "oltre 1000000: errore 1; se non è multiplo di 50 le sezioni vengono arrotondate (avviso "
               "line-length)"}},
     kM, false,
     {"length of the line in metres; it creates the 50 m sections, which reach 7000 m beyond it, and the "
      "route plot, so it comes first",
      "lunghezza della linea in metri; crea le sezioni di 50 m, che proseguono per 7000 m oltre la fine, e "
      "il tracciato: va scritta per prima"}},
};

constexpr FieldInfo kChainage[] = {
    {"start", FieldWidth::i32,
     {.min = 0, .max = kLongestLine, .step = kMetres, .off_step = fault(2),
      .note = {"off a multiple of 50: fault 2, found after the train description has been read",
               "se non è multiplo di 50: errore 2, rilevato dopo la lettura della descrizione del treno"}},
     kM, true,
     {"position on the line from which this chainage reference holds",
      "posizione sulla linea da cui vale questo riferimento di progressiva"}},
    {"chainage", FieldWidth::i32,
     {.min = 0, .max = kI32Max, .step = kMetres, .off_step = fault(2),
      .note = {"off a multiple of 50: fault 2", "se non è multiplo di 50: errore 2"}},
     kM, false,
     {"the railway's own chainage at that position, in metres: 50550 is km 50+550",
      "progressiva chilometrica della ferrovia in quel punto, in metri: 50550 è il km 50+550"}},
    {"flag", FieldWidth::i32,
     {.min = 0, .max = 1, .only = kZeroOne,
      .note = {"any other value adds nothing", "ogni altro valore non aggiunge nulla"}},
     "", false,
     {"1 adds 100 m to the chainage", "1 aggiunge 100 m alla progressiva"}},
};

constexpr FieldInfo kScenery[] = {
    {"selector", FieldWidth::i32, any32(), "", false,
     {"a small integer handed to the simulator unchanged (the program's own line uses 0, 0, 1)",
      "piccolo intero passato tale e quale al simulatore (la linea del programma usa 0, 0, 1)"}},
};

constexpr FieldInfo kCab[] = {
    {"first", FieldWidth::i32,
     {.min = 0, .max = kLongestLine, .step = kMetres, .off_step = fault(3),
      .note = {"off a multiple of 50: fault 3", "se non è multiplo di 50: errore 3"}},
     kM, true,
     {"start of the stretch with cab signalling", "inizio del tratto attrezzato con ripetizione segnali"}},
    {"second", FieldWidth::i32,
     {.min = 0, .max = kLongestLine, .step = kMetres, .off_step = fault(4),
      .note = {"off a multiple of 50: fault 4", "se non è multiplo di 50: errore 4"}},
     kM, true,
     {"end of the stretch with cab signalling; 0 means the line has none, whatever the keyword says",
      "fine del tratto attrezzato; 0 significa linea senza ripetizione segnali, qualunque sia la parola "
      "chiave"}},
};

constexpr Words kChainageThree{"chainage reference three: the railway's kilometric chainage from a point of "
                               "the line on",
                               "terzo riferimento di progressiva chilometrica: la progressiva della ferrovia "
                               "da un punto della linea in poi"};
constexpr Words kCabMeaning{"cab signalling on a stretch of the line; the keyword gives the number of codes, "
                            "4 or 9",
                            "ripetizione segnali in macchina su un tratto della linea; la parola chiave dà "
                            "il numero di codici, 4 o 9"};

constexpr RecordInfo kGeneral[] = {
    {&kLineGeneralRecords[0],
     {"the length of the line", "lunghezza della linea"},
     "lunghezza percorso,    20000", kLength},
    {&kLineGeneralRecords[1], kChainageThree, "progressiva chilometrica tre,    0,    0,    0", kChainage},
    {&kLineGeneralRecords[2],
     {"chainage reference two: the railway's kilometric chainage from a point of the line on",
      "secondo riferimento di progressiva chilometrica: la progressiva della ferrovia da un punto della "
      "linea in poi"},
     "progressiva chilometrica due,    0,    0,    0", kChainage},
    {&kLineGeneralRecords[3],
     {"chainage reference one: the railway's kilometric chainage from a point of the line on",
      "primo riferimento di progressiva chilometrica: la progressiva della ferrovia da un punto della linea "
      "in poi"},
     "progressiva chilometrica uno,    0,    31200,    0", kChainage},
    {&kLineGeneralRecords[4], {"the first scenery selector", "primo selettore del paesaggio"},
     "sfondo uno,    0",
     kScenery},
    {&kLineGeneralRecords[5], {"the second scenery selector", "secondo selettore del paesaggio"},
     "sfondo due,    1", kScenery},
    {&kLineGeneralRecords[6], {"the third scenery selector", "terzo selettore del paesaggio"},
     "sfondo tre,    1",
     kScenery},
    {&kLineGeneralRecords[7], kCabMeaning, "ripetizione segnali 4 codici,    1000,    18000", kCab},
    {&kLineGeneralRecords[8], kCabMeaning, "ripetizione segnali 9 codici,    1000,    18000", kCab},
};

// ---- line description, body ----

constexpr Words kOnLine{"beyond the line's length + 6900 m: fault 15; off a multiple of 50: rounded to its "
                        "50 m section (warning rounded-position)",
                        "oltre la lunghezza della linea + 6900 m: errore 15; se non è multiplo di 50 viene "
                        "arrotondata alla sua sezione di 50 m (avviso rounded-position)"};

constexpr FieldInfo kGradient[] = {
    {"position", FieldWidth::i32, on_line(kOnLine), kM, true,
     {"where the gradient begins; the first record at 0, the others in increasing order",
      "punto da cui vale la pendenza; il primo a 0, gli altri in ordine crescente"}},
    {"gradient", FieldWidth::i32,
     range(-100, 155, kLowBits,
           {"outside it only the low 8 bits of gradient + 100 are kept (warning gradient-range)",
            "fuori intervallo si conservano solo gli 8 bit bassi di pendenza + 100 (avviso gradient-range)"}),
     "‰", false,
     {"gradient in per mille until the next gradient record: 4 rises 4 ‰, -4 falls",
      "pendenza in per mille fino alla pendenza successiva: 4 è una salita del 4 ‰, -4 una discesa"}},
};

constexpr FieldInfo kCurve[] = {
    {"start", FieldWidth::i32,
     on_line({"beyond the line's length + 6900 m: fault 15",
              "oltre la lunghezza della linea + 6900 m: errore 15"},
             1),
     kM, true,
     {"where the curve begins; curves in increasing order, without overlaps",
      "inizio della curva; le curve in ordine crescente, senza sovrapporsi"}},
    {"length", FieldWidth::i32,
     range(0, kLongestLine, kAccepted,
           {"the curve must end within 7000 m past the line's end: fault 105",
            "la curva deve finire entro 7000 m oltre la fine della linea: errore 105"}),
     kM, false, {"length of the curve in metres", "sviluppo della curva in metri"}},
};

constexpr FieldInfo kMountain[] = {
    {"inizio", FieldWidth::i32, on_line(kOnLine), kM, true,
     {"start of the stretch; stretches in increasing order",
      "inizio del tratto; i tratti in ordine crescente"}},
    {"fine", FieldWidth::i32,
     {.min = 0, .max = kLongestLine + 7050, .step = kMetres, .past_line_end = 7050, .off_step = kRounded,
      .outside = fault(106),
      .note = {"beyond the last section: fault 106; off a multiple of 50: rounded to its section (warning "
               "rounded-position)",
               "oltre l'ultima sezione: errore 106; se non è multiplo di 50 viene arrotondata alla sua "
               "sezione (avviso rounded-position)"}},
     kM, true,
     {"end of the stretch: it covers the sections inizio / 50 to fine / 50 - 1",
      "fine del tratto: copre le sezioni da inizio / 50 a fine / 50 - 1"}},
    {"tipo", FieldWidth::i32,
     {.min = 1, .max = 13, .only = kMountainTypes,
      .note = {"a stretch starting 150 m or less after the end of the one before becomes type 3 (a lit one "
               "stays lit); at most 80 stretches (fault 107)",
               "un tratto che inizia entro 150 m dalla fine del precedente diventa di tipo 3 (se illuminato "
               "resta tale); al massimo 80 tratti (errore 107)"}},
     "", false,
     {"type 1, 2 or 3; 11, 12 or 13 for the same type lit, with a tunnel marker on every fourth section",
      "tipo 1, 2 o 3; 11, 12 o 13 per lo stesso tipo illuminato, con un marcatore di galleria ogni quattro "
      "sezioni"}},
};

constexpr Words kLeftSpeed{"left × 20 + right / 5 above 32767: fault 25",
                           "sinistra × 20 + destra / 5 oltre 32767: errore 25"};
constexpr Words kRightSpeed{"100 or more no longer reads back apart from the left-hand speed",
                            "da 100 in su non si distingue più dalla velocità del lato sinistro"};
constexpr Words kStripes{"10 or more mixes with the other side's count",
                         "da 10 in su si confonde con il numero dell'altro lato"};

constexpr AllowedValues left_speed() {
  return {.min = 0, .max = 1635, .step = 5, .off_step = kAccepted, .outside = fault(25), .note = kLeftSpeed};
}
constexpr AllowedValues right_speed() {
  return {.min = 0, .max = 95, .step = 5, .off_step = kAccepted, .outside = kAccepted, .note = kRightSpeed};
}

constexpr FieldInfo kSpeedBoard[] = {
    {"posizione", FieldWidth::i32,
     on_line({"beyond the line's length + 6900 m: fault 15; off a multiple of 50: rounded to its section "
              "(warning rounded-position); a section already taken: fault 21",
              "oltre la lunghezza della linea + 6900 m: errore 15; se non è multiplo di 50 viene arrotondata "
              "alla sua sezione (avviso rounded-position); una sezione già occupata: errore 21"}),
     kM, true, {"position of the board", "posizione dell'indicatore"}},
    {"vas", FieldWidth::i32, left_speed(), kKmh, false,
     {"left side: speed for category A trains", "lato sinistro: velocità per i treni di rango A"}},
    {"vbs", FieldWidth::i32, left_speed(), kKmh, false,
     {"left side: speed for category B trains", "lato sinistro: velocità per i treni di rango B"}},
    {"vcs", FieldWidth::i32, left_speed(), kKmh, false,
     {"left side: speed for category C trains", "lato sinistro: velocità per i treni di rango C"}},
    {"strisces", FieldWidth::i32, range(0, 9, kAccepted, kStripes), "", false,
     {"left side: number of stripes on the board", "lato sinistro: numero di strisce sull'indicatore"}},
    {"vad", FieldWidth::i32, right_speed(), kKmh, false,
     {"right side: speed for category A trains; empty for a board with only a left side",
      "lato destro: velocità per i treni di rango A; vuoto per un indicatore con il solo lato sinistro"}},
    {"vbd", FieldWidth::i32, right_speed(), kKmh, false,
     {"right side: speed for category B trains", "lato destro: velocità per i treni di rango B"}},
    {"vcd", FieldWidth::i32, right_speed(), kKmh, false,
     {"right side: speed for category C trains", "lato destro: velocità per i treni di rango C"}},
    {"strisced", FieldWidth::i32, range(0, 9, kAccepted, kStripes), "", false,
     {"right side: number of stripes on the board", "lato destro: numero di strisce sull'indicatore"}},
};

constexpr FieldInfo kSign[] = {
    {"position", FieldWidth::i32,
     on_line({"beyond the line's length + 6900 m: fault 15; off a multiple of 50: rounded to its section "
              "(warning rounded-position); a section already taken: fault 6",
              "oltre la lunghezza della linea + 6900 m: errore 15; se non è multiplo di 50 viene arrotondata "
              "alla sua sezione (avviso rounded-position); una sezione già occupata: errore 6"}),
     kM, true, {"position of the sign board", "posizione del cartello"}},
    {"text", FieldWidth::text,
     text_field({"a comma ends it: the rest is read as the next keyword field; at most 80 signs (fault 108)",
                 "una virgola lo tronca: il resto è letto come parola chiave seguente; al massimo 80 "
                 "cartelli (errore 108)"}),
     "", false,
     {"the sign's text, by custom one to three lines in parentheses: (PASSAGGIO)(A LIVELLO)",
      "testo del cartello, per uso da una a tre righe tra parentesi: (PASSAGGIO)(A LIVELLO)"}},
};

constexpr RecordInfo kBody[] = {
    {&kLineBodyRecords[0],
     {"the gradient from a position on, until the next gradient record",
      "pendenza da una posizione in poi, fino alla pendenza successiva"},
     "pendenza,  1500,   5", kGradient},
    {&kLineBodyRecords[1],
     {"a left-hand plan curve of the class its digit gives: 1 (radius 10000 m) to 6 (about 333 m)",
      "curva a sinistra della classe data dalla sua cifra: da 1 (raggio 10000 m) a 6 (circa 333 m)"},
     "curvas2,  1000,  400", kCurve},
    {&kLineBodyRecords[2],
     {"a right-hand plan curve of the class its digit gives: 1 (radius 10000 m) to 6 (about 333 m)",
      "curva a destra della classe data dalla sua cifra: da 1 (raggio 10000 m) a 6 (circa 333 m)"},
     "curvad3,  1800,  300", kCurve},
    {&kLineBodyRecords[3],
     {"a mountain stretch of the line, lit when its tipo is above 10",
      "tratto di montagna della linea, illuminato quando il tipo supera 10"},
     "montagna,   3000,  3400,  1", kMountain},
    {&kLineBodyRecords[4],
     {"a maximum-speed board with a left-hand and a right-hand side",
      "indicatore di velocità massima, con lato sinistro e lato destro"},
     "indicatori_vmax,  4000,  80,  90,  90,  1,  70,  80,  80,  1", kSpeedBoard},
    {&kLineBodyRecords[5],
     {"an informative sign board by the track, showing a text",
      "cartello indicatore lungo la linea, con il suo testo"},
     "cartello_indicatore,  2600,   (CAVALCAVIA)", kSign},
};

// ---- train description ----

constexpr Words kTrainPosition{
    "beyond the line's length + 6900 m: fault 15, the reading ends there; off a multiple of 50: rounded to "
    "its section (warning rounded-position)",
    "oltre la lunghezza della linea + 6900 m: errore 15, la lettura termina lì; se non è multiplo di 50 "
    "viene arrotondata alla sua sezione (avviso rounded-position)"};

constexpr FieldInfo kBrakedMass[] = {
    {"percentage", FieldWidth::i32,
     range(1, 250, kWarned,
           {"0 % or less, above 250 % or no record: warning braking, and no slow-down is checked against the "
            "train's braking; below 30 % it brakes as 30 %",
            "0 % o meno, oltre 250 % o nessun record: avviso braking, e nessun rallentamento viene verificato "
            "rispetto alla frenatura del treno; sotto il 30 % frena come al 30 %"}),
     "%", false,
     {"braked-mass percentage of the train: 120 means 120 %",
      "percentuale di massa frenata del treno: 120 significa 120 %"}},
};

constexpr FieldInfo kVehicles[] = {
    {"vehicles", FieldWidth::i32, any32(), "", false,
     {"number of vehicles in the train", "numero di vetture del treno"}},
};

constexpr FieldInfo kSpeedLimit[] = {
    {"position", FieldWidth::i32, on_line(kTrainPosition), kM, true,
     {"where the speed limit begins; the first record at 0, the others in increasing order",
      "punto da cui vale la velocità massima; il primo a 0, gli altri in ordine crescente"}},
    {"speed", FieldWidth::i32,
     {.min = 0, .max = 1275, .step = 5, .off_step = kRounded, .outside = fault(25),
      .note = {"stored in steps of 5 km/h, rounded to the nearest step; below -2 or above 1277: fault 25",
               "memorizzata a passi di 5 km/h, arrotondata al passo più vicino; sotto -2 o sopra 1277: "
               "errore 25"}},
     kKmh, false,
     {"the greatest speed the train may run from the position on, until the next velocita record",
      "velocità massima ammessa per il treno da quel punto fino al record velocita successivo"}},
};

constexpr FieldInfo kAdhesion[] = {
    {"position", FieldWidth::i32, on_line(kTrainPosition), kM, true,
     {"where the adhesion begins; the first record at 0, the others in increasing order",
      "punto da cui vale l'aderenza; il primo a 0, gli altri in ordine crescente"}},
    {"adhesion", FieldWidth::i32,
     range(0, 255, kLowBits, {"kept in 8 bits: only its low 8 bits stay",
                              "conservata in 8 bit: restano solo gli 8 bit bassi"}),
     "", false,
     {"rail adhesion until the next aderenza record; the program's own train uses 100 for the whole line",
      "aderenza delle rotaie fino al record aderenza successivo; il treno del programma usa 100 su tutta la "
      "linea"}},
};

constexpr FieldInfo kClock[] = {
    {"hours", FieldWidth::i16, range(0, 23, kAccepted), "h", false,
     {"hours of the clock time at the start of the run", "ore dell'orologio all'inizio della corsa"}},
    {"minutes", FieldWidth::i16, range(0, 59, kAccepted), "min", false,
     {"minutes of the clock time", "minuti dell'orologio"}},
    {"seconds", FieldWidth::i16, range(0, 59, kAccepted), "s", false,
     {"seconds of the clock time", "secondi dell'orologio"}},
};

constexpr FieldInfo kSand[] = {
    {"sand", FieldWidth::i16, any16(), "", false,
     {"the train's sand value, handed to the simulator unchanged",
      "dotazione di sabbia del treno, passata tale e quale al simulatore"}},
};

constexpr Words kKinds{"not checked: packed beside the other side's kind as rapp × 10 + sx × 3 + dx",
                       "non controllato: impaccato con il tipo dell'altro lato come rapp × 10 + sx × 3 + dx"};
constexpr Words kDigit{"not checked: the digits are packed two by two (s1 × 10 + d1 ...)",
                       "non controllato: le cifre sono impaccate a due a due (s1 × 10 + d1 ...)"};

constexpr FieldInfo kSignal[] = {
    {"posizione", FieldWidth::i32,
     on_line({"beyond the line's length + 6900 m: fault 15; off a multiple of 50: rounded to its section "
              "(warning rounded-position); a section already taken: fault 16",
              "oltre la lunghezza della linea + 6900 m: errore 15; se non è multiplo di 50 viene arrotondata "
              "alla sua sezione (avviso rounded-position); una sezione già occupata: errore 16"}),
     kM, true,
     {"position of the signal; it also marks the sections 100 to 400 m before it",
      "posizione del segnale; marca anche le sezioni da 100 a 400 m prima di esso"}},
    {"sx", FieldWidth::i32, range(0, 2, kAccepted, kKinds), "", false,
     {"kind of the signal on the left (sx) side; the program uses 1 and 2",
      "tipo del segnale sul lato sinistro (sx); il programma usa 1 e 2"}},
    {"s1", FieldWidth::i32, range(0, 9, kAccepted, kDigit), "", false,
     {"first parameter of the sx side", "primo parametro del lato sx"}},
    {"s2", FieldWidth::i32, range(0, 9, kAccepted, kDigit), "", false,
     {"second parameter of the sx side", "secondo parametro del lato sx"}},
    {"s3", FieldWidth::i32, range(0, 9, kAccepted, kDigit), "", false,
     {"third parameter of the sx side", "terzo parametro del lato sx"}},
    {"rapp", FieldWidth::i32, range(0, 9, kAccepted, kKinds), "", false,
     {"one further digit, packed beside the two kinds", "cifra aggiuntiva, impaccata accanto ai due tipi"}},
    {"dx", FieldWidth::i32, range(0, 2, kAccepted, kKinds), "", false,
     {"kind of the signal on the right (dx) side; 0 when there is none",
      "tipo del segnale sul lato destro (dx); 0 se manca"}},
    {"d1", FieldWidth::i32, range(0, 9, kAccepted, kDigit), "", false,
     {"first parameter of the dx side", "primo parametro del lato dx"}},
    {"d2", FieldWidth::i32, range(0, 9, kAccepted, kDigit), "", false,
     {"second parameter of the dx side", "secondo parametro del lato dx"}},
    {"d3", FieldWidth::i32, range(0, 9, kAccepted, kDigit), "", false,
     {"third parameter of the dx side", "terzo parametro del lato dx"}},
    {"tempo", FieldWidth::i32,
     range(0, 255, kLowBits,
           {"1 to 100 count as 101; above 255 only the low 8 bits stay",
            "da 1 a 100 vale 101; oltre 255 restano solo gli 8 bit bassi"}),
     "", false,
     {"a time value, used only when sx is 2: 0, or 101 to 255",
      "valore di tempo, usato solo quando sx è 2: 0, o da 101 a 255"}},
};

constexpr Words kKept16{"kept in 16 bits: only its low 16 bits stay",
                        "conservato in 16 bit: restano solo i 16 bit bassi"};

constexpr FieldInfo kSlowDown[] = {
    {"x", FieldWidth::i32,
     on_line({"beyond the line's length + 6900 m: fault 15; off a multiple of 50: rounded to its section "
              "(warning rounded-position); the warning board's section taken: fault 17, the start's: "
              "fault 18",
              "oltre la lunghezza della linea + 6900 m: errore 15; se non è multiplo di 50 viene arrotondata "
              "alla sua sezione (avviso rounded-position); sezione del cartello di avviso occupata: errore "
              "17, dell'inizio: errore 18"}),
     kM, true,
     {"start of the slow-down; its warning board stands 1200 m before it when x is above 1500",
      "inizio del rallentamento; il cartello di avviso sta 1200 m prima quando x supera 1500"}},
    {"v", FieldWidth::i32, range(0, kI16Max, kLowBits, kKept16), kKmh, false,
     {"speed of the slow-down", "velocità del rallentamento"}},
    {"l", FieldWidth::i32,
     {.min = 0, .max = kLongestLine, .step = kMetres, .off_step = kRounded, .outside = fault(109),
      .note = {"the end beyond the last section: fault 109, its section taken: fault 19; an end off a "
               "multiple of 50 is rounded to its section (warning rounded-position)",
               "la fine oltre l'ultima sezione: errore 109, la sua sezione occupata: errore 19; una fine non "
               "multipla di 50 viene arrotondata alla sua sezione (avviso rounded-position)"}},
     kM, false,
     {"length of the slow-down: it ends at x + l", "estensione del rallentamento: termina a x + l"}},
    {"f_tt", FieldWidth::i32, range(kI16Min, kI16Max, kLowBits, kKept16), "", false,
     {"a value stored at the start and at the end of the slow-down",
      "valore memorizzato all'inizio e alla fine del rallentamento"}},
    {"f_ta", FieldWidth::i32,
     {.min = 0, .max = 1, .only = kZeroOne,
      .note = {"any value but 0 counts as 1; a marked section already taken: fault 20",
               "ogni valore diverso da 0 vale 1; una sezione da marcare già occupata: errore 20"}},
     "", false,
     {"1 marks the four sections before the warning board (only when x is above 1500)",
      "1 marca le quattro sezioni prima del cartello di avviso (solo quando x supera 1500)"}},
    {"d_v", FieldWidth::i32, range(0, kI16Max, kLowBits, kKept16), kKmh, false,
     {"a second speed stored beside v where it is not 0; 0 for none",
      "seconda velocità memorizzata accanto a v quando non è 0; 0 se manca"}},
};

constexpr FieldInfo kAbbattimento[] = {
    {"position", FieldWidth::i32,
     on_line({"beyond the line's length + 6900 m: fault 15; off a multiple of 50: rounded (warning "
              "rounded-position); a section already taken: fault 7",
              "oltre la lunghezza della linea + 6900 m: errore 15; se non è multiplo di 50 viene arrotondata "
              "(avviso rounded-position); una sezione già occupata: errore 7"}),
     kM, true,
     {"position of the point: it takes section position / 50, not the one after",
      "posizione del punto: occupa la sezione posizione / 50, non la successiva"}},
    {"value", FieldWidth::i32, range(kI16Min, kI16Max, kLowBits, kKept16), "", false,
     {"1 or more: a point carrying this value; 0 or less: a bare point",
      "1 o più: un punto con questo valore; 0 o meno: un punto semplice"}},
};


constexpr Words kHoursOfDay{"outside 0 to 23: warning time-of-day", "fuori da 0 a 23: avviso time-of-day"};
constexpr Words kSixty{"outside 0 to 59: warning time-of-day", "fuori da 0 a 59: avviso time-of-day"};

constexpr FieldInfo kStation[] = {
    {"position", FieldWidth::i32,
     {.min = 0, .max = kLongestLine + kStationPastLine, .step = kMetres, .past_line_end = kStationPastLine,
      .off_step = fault(8), .outside = fault(15),
      .note = {"off a multiple of 50: fault 8; beyond the line's length + 6200 m: fault 15; stations in "
               "increasing order, each starting 350 m or more after the end of the one before (fault 22)",
               "se non è multiplo di 50: errore 8; oltre la lunghezza della linea + 6200 m: errore 15; "
               "stazioni in ordine crescente, ognuna almeno 350 m dopo la fine della precedente "
               "(errore 22)"}},
     kM, true,
     {"position of the station: its middle for ordinary stations",
      "posizione della stazione: il suo centro per le stazioni ordinarie"}},
    {"kind", FieldWidth::u8, any8(), "", false,
     {"station kind (model number): 5 and 6, 7 and 8, other kinds below 25, and 25 and above (a junction) "
      "are laid out differently",
      "tipo di stazione (numero del modello): 5 e 6, 7 e 8, gli altri tipi sotto 25, e da 25 in su (un "
      "bivio) hanno estensioni diverse"}},
    {"length", FieldWidth::i32,
     {.min = 0, .max = kLongestLine, .step = 100, .off_step = fault(9),
      .note = {"off a multiple of 100: fault 9; a station of a kind below 25 must end beyond 100 m "
               "(fault 24)",
               "se non è multiplo di 100: errore 9; una stazione di tipo inferiore a 25 deve finire oltre "
               "100 m (errore 24)"}},
     kM, false,
     {"length of the station: it shapes its extent and is not stored itself",
      "lunghezza della stazione: ne determina l'estensione e non viene memorizzata"}},
    {"mode", FieldWidth::u8, any8(), "", false,
     {"station parameter, stored unchanged (the program uses 0 and 1)",
      "parametro di stazione, memorizzato tale e quale (il programma usa 0 e 1)"}},
    {"param5", FieldWidth::u8, any8(), "", false,
     {"station parameter, kept only for a station of 600 m or more that is not the first",
      "parametro di stazione, conservato solo per una stazione di 600 m o più che non sia la prima"}},
    {"short_platform", FieldWidth::u8,
     {.min = 0, .max = 1, .only = kZeroOne,
      .note = {"any value but 0 counts as 1", "ogni valore diverso da 0 vale 1"}},
     "", false,
     {"1 makes an ordinary station 50 m longer at its end; not kept for kinds 5 to 8 nor for the first "
      "station",
      "1 allunga di 50 m la fine di una stazione ordinaria; ignorato per i tipi da 5 a 8 e per la prima "
      "stazione"}},
    {"group1", FieldWidth::i16, any16(), "", false,
     {"station parameter, first of the first group of three (written 4,1,0)",
      "parametro di stazione, primo del primo gruppo di tre (scritto 4,1,0)"}},
    {"group1", FieldWidth::i16, any16(), "", false,
     {"station parameter, second of the first group of three",
      "parametro di stazione, secondo del primo gruppo di tre"}},
    {"group1", FieldWidth::u8, any8(), "", false,
     {"station parameter, third of the first group of three",
      "parametro di stazione, terzo del primo gruppo di tre"}},
    {"group2", FieldWidth::i16, any16(), "", false,
     {"station parameter, first of the second group of three (written 2,1,1)",
      "parametro di stazione, primo del secondo gruppo di tre (scritto 2,1,1)"}},
    {"group2", FieldWidth::i16, any16(), "", false,
     {"station parameter, second of the second group of three",
      "parametro di stazione, secondo del secondo gruppo di tre"}},
    {"group2", FieldWidth::i16, any16(), "", false,
     {"station parameter, third of the second group of three",
      "parametro di stazione, terzo del secondo gruppo di tre"}},
    {"param13", FieldWidth::u8, any8(), "", false,
     {"station parameter, stored unchanged (the program uses 0, 1, 30, 201)",
      "parametro di stazione, memorizzato tale e quale (il programma usa 0, 1, 30, 201)"}},
    {"time", FieldWidth::i32,
     range(0, 23, kWarned, kHoursOfDay), "h",
     false,
     {"timetable time at the station, hours; 0, 0, 0 for a station without a time",
      "orario della stazione nella tabella di marcia, ore; 0, 0, 0 per una stazione senza orario"}},
    {"time", FieldWidth::i32,
     range(0, 59, kWarned, kSixty), "min",
     false,
     {"timetable time at the station, minutes", "orario della stazione nella tabella di marcia, minuti"}},
    {"time", FieldWidth::i32,
     range(0, 59, kWarned, kSixty), "s",
     false,
     {"timetable time at the station, seconds", "orario della stazione nella tabella di marcia, secondi"}},
    {"name", FieldWidth::text,
     text_field({"a comma ends it: the rest is read as the next keyword field; stations and sign texts share "
                 "78 places (fault 10)",
                 "una virgola lo tronca: il resto è letto come parola chiave seguente; stazioni e testi dei "
                 "cartelli hanno 78 posti in tutto (errore 10)"}),
     "", false,
     {"the station's name, to the end of the line: spaces and apostrophes are kept",
      "nome della stazione, fino alla fine della riga: spazi e apostrofi compresi"}},
};

constexpr RecordInfo kTrain[] = {
    {&kTrainRecords[0], {"the train's braked-mass percentage", "percentuale di massa frenata del treno"},
     "percentuale massa frenata,    105", kBrakedMass},
    {&kTrainRecords[1], {"the number of vehicles of the train", "numero di vetture del treno"},
     "numero vetture,    4", kVehicles},
    {&kTrainRecords[2],
     {"the train's speed limit from a position on", "velocità massima del treno da una posizione in poi"},
     "velocita,     800,   100", kSpeedLimit},
    {&kTrainRecords[3], {"the rail adhesion from a position on",
                         "aderenza delle rotaie da una posizione in poi"},
     "aderenza,   0,    100", kAdhesion},
    {&kTrainRecords[4],
     {"the clock time at the start of the run; spaces may separate its three numbers",
      "ora dell'orologio all'inizio della corsa; i tre numeri possono essere separati da spazi"},
     "orologio,    6,    45,    0", kClock},
    {&kTrainRecords[5], {"the train's sand value", "dotazione di sabbia del treno"}, "sabbia,    250", kSand},
    {&kTrainRecords[6],
     {"a signal by the track, with its left (sx) and right (dx) side",
      "segnale lungo la linea, con il lato sinistro (sx) e il lato destro (dx)"},
     "segnale,    2500,   1, 5, 6,  0, 0,    0,  0,0,0, 0", kSignal},
    {&kTrainRecords[7],
     {"a temporary slow-down; the system adds its warning board, its start and end, and abbattimento points "
      "around it",
      "rallentamento temporaneo; il sistema aggiunge il cartello di avviso, l'inizio e la fine, e i punti di "
      "abbattimento intorno"},
     "rallentamento,   10000,   30,   400,   1,   1,   0", kSlowDown},
    {&kTrainRecords[8],
     {"an abbattimento point of the author's own, beside those the system places",
      "punto di abbattimento dell'autore, oltre a quelli che il sistema colloca da sé"},
     "abbattimento,   10550,   60", kAbbattimento},
    {&kTrainRecords[9],
     {"a station of the run, with its timetable time and its name",
      "stazione della corsa, con l'orario della tabella di marcia e il nome"},
     "stazione,     300, 12,  400,  1, 0, 0,  4,1,0,  2,1,1,    1,   6,46, 0, VALLE", kStation},
};

// ---- section headers ----

constexpr Words kEnd{"the end: the last field of a description is never interpreted, so it ends with this "
                     "header",
                     "la fine: l'ultimo campo di una descrizione non viene mai interpretato, perciò termina "
                     "con questa intestazione"};

constexpr HeaderInfo kLineHeaders[] = {
    {"[generale]",
     {"the general section: length, chainage references, scenery and cab signalling; nothing before it is "
      "read",
      "sezione generale: lunghezza, progressive chilometriche, paesaggio e ripetizione segnali; nulla prima "
      "di essa viene letto"}},
    {"[curve]",
     {"plan curves; the first header after [generale] ends the general section",
      "curve del tracciato; la prima intestazione dopo [generale] chiude la sezione generale"}},
    {"[pendenze]", {"gradients", "pendenze"}},
    {"[montagne]", {"mountain stretches", "tratti di montagna"}},
    {"[cartelli]", {"maximum-speed boards", "indicatori di velocità massima"}},
    {"[indicazioni]", {"informative sign boards", "cartelli indicatori"}},
    {"[fine]", kEnd},
};

constexpr HeaderInfo kTrainHeaders[] = {
    {"[generale]",
     {"the start of what is read: the train's make-up and the clock",
      "inizio della parte letta: composizione del treno e orologio"}},
    {"[aderenze]", {"rail adhesion along the line", "aderenza delle rotaie lungo la linea"}},
    {"[vel_limite]", {"the train's speed limits", "velocità massime del treno"}},
    {"[stazioni]", {"the stations and the timetable", "stazioni e tabella di marcia"}},
    {"[rallentamenti]", {"temporary slow-downs", "rallentamenti temporanei"}},
    {"[segnali]", {"signals", "segnali"}},
    {"[codici]",
     {"no record belongs here; the examples keep their abbattimento points under it",
      "nessun record vi appartiene; gli esempi vi tengono i loro punti di abbattimento"}},
    {"[fine]", kEnd},
};

// clang-format on

// ---- the column of a line ----

// Whether a field is read as a record: matches() of record_tables.h, the compilers' own test.

// Two rows that are one rule of the reader: every word of one stands among the other's
// ("curvas" and "curvad"; the two cab-signalling rows).
bool same_rule(const RecordKeyword& a, const RecordKeyword& b) {
  const auto within = [](const RecordKeyword& x, const RecordKeyword& y) {
    return std::all_of(x.words.begin(), x.words.end(), [&](std::string_view w) {
      return w.empty() || std::find(y.words.begin(), y.words.end(), w) != y.words.end();
    });
  };
  return within(a, b) || within(b, a);
}

// The digits of the keyword as written ("4" of the 4-code cab signalling) stand in the field.
bool digits_fit(std::string_view written, std::string_view field) {
  return std::all_of(written.begin(), written.end(),
                     [&](char c) { return c < '0' || c > '9' || field.find(c) != std::string_view::npos; });
}

// The records a keyword field reads, in the order the reader reads them.
std::vector<const RecordInfo*> records_of(std::span<const RecordInfo> table, std::string_view field) {
  std::vector<const RecordInfo*> out;
  for (const RecordInfo& r : table) {
    if (!matches(*r.keyword, field)) continue;
    if (!out.empty() && same_rule(*out.back()->keyword, *r.keyword)) {
      if (!digits_fit(out.back()->keyword->written, field) && digits_fit(r.keyword->written, field))
        out.back() = &r;
      continue;
    }
    out.push_back(&r);
  }
  return out;
}

std::vector<const RecordInfo*> records_of(Format format, std::string_view field) {
  if (format == Format::train) return records_of(train_info(), field);
  // One line alone does not tell the general section from the body: the general rules first.
  std::vector<const RecordInfo*> out = records_of(line_general_info(), field);
  return out.empty() ? records_of(line_body_info(), field) : out;
}

// One of the format's own headers, in any case, spaces after it left out.
const HeaderInfo* known_header(Format format, std::string_view field) {
  const std::string_view h = field.substr(0, field.find_last_not_of(' ') + 1);
  for (const HeaderInfo& info : header_info(format))
    if (info.header.size() == h.size() && contains_nocase(h, info.header)) return &info;
  return nullptr;
}

// Comment fields passed over in a row (the line description's general section passes ten).
constexpr int kCommentRun = 2;

void read_field(FieldReader& reader, FieldWidth width) {
  try {
    read_field_of_width(reader, width);
  } catch (const ReadingFailure&) {
    // A number too large for its width: the field has been read all the same.
  }
}

std::string number(int64_t n) { return std::to_string(n); }

std::string joined(std::span<const int32_t> values, Language l) {
  std::string out;
  for (size_t k = 0; k < values.size(); ++k) {
    if (k > 0) out += k + 1 == values.size() ? (l == Language::it ? " o " : " or ") : ", ";
    out += number(values[k]);
  }
  return out;
}

std::pair<int64_t, int64_t> width_bounds(FieldWidth w) {
  switch (w) {
    case FieldWidth::i16:
      return {kI16Min, kI16Max};
    case FieldWidth::u8:
      return {0, 255};
    default:
      return {kI32Min, kI32Max};
  }
}

std::string title_of(const FieldSpot& spot, Language l) {
  const bool it = l == Language::it;
  const std::string kw = spot.record ? std::string(spot.record->keyword->written) : std::string();
  const std::string n =
      spot.record ? number(static_cast<int64_t>(spot.record->fields.size())) : std::string();
  switch (spot.kind) {
    case SpotKind::keyword:
      return kw + (it ? ": record di " + n + (n == "1" ? " campo" : " campi")
                      : ": a record of " + n + (n == "1" ? " value field" : " value fields"));
    case SpotKind::value:
      return kw + (it ? ", campo " : ", field ") + number(spot.field) + (it ? " di " : " of ") + n + ": " +
             std::string(spot.record->fields[static_cast<size_t>(spot.field - 1)].name);
    case SpotKind::extra:
      return std::string(spot.text) + (it ? ": oltre l'ultimo campo di " : ": past the last field of ") + kw;
    case SpotKind::other:
      return std::string(spot.text) + (it ? ": nessun record" : ": no record");
    case SpotKind::comment:
      return it ? "commento" : "comment";
    case SpotKind::header:
      return std::string(spot.text) + (it ? ": intestazione di sezione" : ": section header");
    case SpotKind::none:
      break;
  }
  return {};
}

}  // namespace

void read_field_of_width(FieldReader& reader, FieldWidth width) {
  switch (width) {
    case FieldWidth::i32:
      reader.read_i32();
      break;
    case FieldWidth::i16:
      reader.read_i16();
      break;
    case FieldWidth::u8:
      reader.read_u8();
      break;
    case FieldWidth::text:
      reader.read_text();
      break;
  }
}

std::span<const RecordInfo> line_general_info() { return kGeneral; }
std::span<const RecordInfo> line_body_info() { return kBody; }
std::span<const RecordInfo> train_info() { return kTrain; }
std::span<const HeaderInfo> header_info(Format format) {
  if (format == Format::train) return kTrainHeaders;
  return kLineHeaders;
}

const RecordInfo* find_record_info(Format format, std::string_view written) {
  const std::span<const RecordInfo> tables[] = {
      format == Format::train ? train_info() : line_general_info(),
      format == Format::train ? std::span<const RecordInfo>{} : line_body_info()};
  for (std::span<const RecordInfo> table : tables)
    for (const RecordInfo& r : table)
      if (r.keyword->written == written) return &r;
  return nullptr;
}

std::string_view width_text(FieldWidth width, Language l) {
  const bool it = l == Language::it;
  switch (width) {
    case FieldWidth::i32:
      return it ? "intero a 32 bit con segno" : "32-bit signed";
    case FieldWidth::i16:
      return it ? "intero a 16 bit con segno" : "16-bit signed";
    case FieldWidth::u8:
      return it ? "intero a 8 bit senza segno" : "8-bit unsigned";
    case FieldWidth::text:
      break;
  }
  return it ? "testo" : "text";
}

std::string allowed_text(const FieldInfo& f, Language l) {
  const bool it = l == Language::it;
  const AllowedValues& a = f.allowed;
  if (f.width == FieldWidth::text) return it ? "qualsiasi testo senza virgole" : "any text without a comma";
  if (!a.only.empty()) return joined(a.only, l);
  const auto [lo_width, hi_width] = width_bounds(f.width);
  const bool any_lo = a.min == lo_width;
  const bool any_hi = a.max == hi_width && a.past_line_end == kNoLineBound;
  const std::string hi =
      a.past_line_end != kNoLineBound
          ? (it ? "la lunghezza della linea + " : "the line's length + ") + number(a.past_line_end)
          : number(a.max);
  std::string bounds;
  if (any_lo && any_hi)
    bounds = "";
  else if (any_hi)
    bounds = number(a.min) + (it ? " o più" : " or more");
  else if (any_lo)
    bounds = (it ? "fino a " : "up to ") + hi;
  else
    bounds = it ? "da " + number(a.min) + " a " + hi : number(a.min) + " to " + hi;
  if (a.step == 1) return bounds;
  const std::string step = (it ? "multiplo di " : "a multiple of ") + number(a.step);
  return bounds.empty() ? step : step + ", " + bounds;
}

FieldSpot field_at(Format format, std::string_view line, size_t column) {
  FieldReader reader(line);
  std::vector<const RecordInfo*> pending;  // records still reading value fields; the first reads now
  size_t next = 0;                         // its next value field, 0-based
  const RecordInfo* finished = nullptr;    // the record whose value fields ended last on the line
  int comments = 0;
  const bool trailing_comma = !line.empty() && line.back() == ',';
  while (!reader.at_end()) {
    const size_t start = reader.offset();
    FieldSpot spot;
    if (!pending.empty()) {
      const RecordInfo* r = pending.front();
      read_field(reader, r->fields[next].width);
      spot.kind = SpotKind::value;
      spot.record = r;
      spot.field = static_cast<int>(++next);
      if (next == r->fields.size()) {
        finished = r;
        pending.erase(pending.begin());
        next = 0;
      }
    } else {
      const std::string text = reader.read_text().text;
      if (contains(text, "-") && comments < kCommentRun) {
        ++comments;
        spot.kind = SpotKind::comment;
      } else {
        comments = 0;
        pending = records_of(format, text);
        if (!pending.empty()) {
          spot.kind = SpotKind::keyword;
          spot.record = pending.front();
          finished = nullptr;
        } else if (is_section_header(text)) {
          spot.kind = SpotKind::header;
          spot.header = known_header(format, text);
          finished = nullptr;
        } else {
          spot.kind = finished ? SpotKind::extra : SpotKind::other;
          spot.record = finished;
        }
      }
    }
    if (column >= start && (column < reader.offset() || (reader.at_end() && !trailing_comma))) {
      const Field& f = reader.last();
      spot.begin = static_cast<size_t>(f.column - 1);
      spot.end = spot.begin + f.text.size();
      spot.text = line.substr(spot.begin, f.text.size());
      return spot;
    }
  }
  // After a comma that ends the line: the field that comes next, still empty.
  if (!trailing_comma || column < line.size()) return {};
  FieldSpot spot;
  spot.begin = spot.end = line.size();
  if (!pending.empty()) {
    spot.kind = SpotKind::value;
    spot.record = pending.front();
    spot.field = static_cast<int>(next + 1);
  } else {
    spot.kind = finished ? SpotKind::extra : SpotKind::other;
    spot.record = finished;
  }
  return spot;
}

std::string record_snippet(const RecordInfo& record) {
  FieldReader reader(record.example);
  std::string out = reader.read_text().text;
  size_t written_to = out.size();  // the example's text taken so far
  for (size_t k = 0; k < record.fields.size() && !reader.at_end(); ++k) {
    read_field(reader, record.fields[k].width);
    const Field& f = reader.last();
    const size_t begin = static_cast<size_t>(f.column - 1);
    out += record.example.substr(written_to, begin - written_to);
    out += "${" + number(static_cast<int64_t>(k + 1)) + ":" + std::string(record.fields[k].name) + "}";
    written_to = begin + f.text.size();
  }
  return out;
}

std::string hover_text(const FieldSpot& spot, Language l) {
  if (spot.kind == SpotKind::none) return {};
  const bool it = l == Language::it;
  std::string out = title_of(spot, l) + "\n";
  switch (spot.kind) {
    case SpotKind::keyword: {
      std::string names;
      for (const FieldInfo& f : spot.record->fields)
        names += (names.empty() ? "" : ", ") + std::string(f.name);
      out += names + "\n" + std::string(spot.record->meaning.in(l)) + "\n";
      break;
    }
    case SpotKind::value: {
      const FieldInfo& f = spot.record->fields[static_cast<size_t>(spot.field - 1)];
      std::string facts(width_text(f.width, l));
      for (const std::string& part : {allowed_text(f, l), std::string(f.unit)})
        if (!part.empty()) facts += " · " + part;
      out += facts + "\n" + std::string(f.meaning.in(l)) + "\n";
      if (!f.allowed.note.in(l).empty()) out += std::string(f.allowed.note.in(l)) + "\n";
      break;
    }
    case SpotKind::extra:
    case SpotKind::other:
      out += it ? "letto come parola chiave, che non corrisponde a nessun record: viene saltato\n"
                : "read as a keyword field that matches no record: it is passed over\n";
      break;
    case SpotKind::comment:
      out += it ? "saltato dalla lettura; una virgola lo chiuderebbe\n"
                : "passed over by the reader; a comma would end it\n";
      break;
    case SpotKind::header:
      out += std::string(spot.header ? spot.header->meaning.in(l)
                         : it        ? "non è un'intestazione di questo formato"
                                     : "not one of this format's headers") +
             "\n";
      break;
    case SpotKind::none:
      break;
  }
  return out;
}

}  // namespace compactor
