#include "bench/long_scenario.h"

#include <cstdio>

namespace compactor::bench {
namespace {

template <typename... Args>
std::string format(const char* pattern, Args... args) {
  char buf[160];
  std::snprintf(buf, sizeof buf, pattern, args...);
  return buf;
}

}  // namespace

// The features are laid out on residues of the section index, so that no two of them
// ever want the same section: signals at 37 mod 50, speed boards at 71 mod 100, sign
// boards at 41 mod 1000, slow-downs at 93 to 131 mod 200 and station ends at 320 k + 24.
LongScenario long_scenario() {
  LongScenario s;
  auto& l = s.line;
  l = {"[generale]",
       "lunghezza percorso,    1000000",
       "progressiva chilometrica uno,    0,    100000,    0",
       "progressiva chilometrica due,    0,    0,    0",
       "progressiva chilometrica tre,    0,    0,    0",
       "sfondo uno,    0",
       "sfondo due,    0",
       "sfondo tre,    1",
       "ripetizione segnali 9 codici,    0    ,0",
       "[curve]"};
  // A 600 m curve in every kilometre; the last ends at 999600, inside the 1000000 m limit.
  for (int k = 0; k < 1000; ++k)
    l.push_back(format("curva%c%d,  %d,  600", k % 2 ? 'd' : 's', 1 + k % 4, k * 1000));
  l.push_back("[pendenze]");
  for (int k = 0; k < 400; ++k) l.push_back(format("pendenza,  %d,   %d", k * 2500, (k * 7) % 25 - 12));
  l.push_back("[montagne]");
  for (int k = 0; k < 80; ++k)
    l.push_back(format("montagna,   %d,  %d,  %d", k * 12500 + 3000, k * 12500 + 5000, 11 + k % 3));
  l.push_back("[cartelli]");
  for (int k = 0; k < 200; ++k)
    l.push_back(format("indicatori_vmax,  %d,  %d,  %d,  %d,  %d,  %d,  %d,  %d,  %d", k * 5000 + 3500,
                       60 + 5 * (k % 10), 70 + 5 * (k % 10), 70 + 5 * (k % 10), k % 3, 60, 70, 70, k % 3));
  l.push_back("[indicazioni]");
  for (int k = 0; k < 18; ++k)
    l.push_back(
        format("cartello_indicatore,  %d,   (PASSAGGIO)(A LIVELLO)(Km %d+000)", k * 50000 + 2000, k * 50));
  l.push_back("[fine]");

  auto& t = s.train;
  t = {"[generale]",
       "numero vetture,    8",
       "percentuale massa frenata,    110",
       "sabbia,    300",
       "orologio,    6              0            0 ",
       "[aderenze]"};
  for (int k = 0; k < 10; ++k) t.push_back(format("aderenza,   %d,    %d", k * 100000, 90 + k));
  t.push_back("[vel_limite]");
  for (int k = 0; k < 100; ++k) t.push_back(format("velocita,   %d,    %d", k * 10000, 100 + 5 * (k % 8)));
  t.push_back("[stazioni]");
  for (int k = 0; k < 60; ++k) {
    const int minutes = 6 * 60 + k * 8;
    t.push_back(format("stazione,   %d, 12,  500,  %d, 0, 0,  4,1,0,  2,1,1,    1,  %d,%d, 0, STAZIONE %d",
                       k * 16000 + 1000, k % 2, minutes / 60, minutes % 60, k + 1));
  }
  t.push_back("[rallentamenti]");
  for (int k = 0; k < 100; ++k)
    t.push_back(format("rallentamento,  %d,  %d,  500,  1,  1,  0", k * 10000 + 6000, k % 2 ? 60 : 30));
  t.push_back("[segnali]");
  for (int k = 0; k < 400; ++k)
    t.push_back(format("segnale,   %d,   %d, %d, %d,  0, 0,    0,  0,0,0, 0", k * 2500 + 1800, 1 + k % 2,
                       1 + k % 5, 1 + k % 4));
  t.push_back("[codici]");
  t.push_back("[fine]");
  return s;
}

}  // namespace compactor::bench
