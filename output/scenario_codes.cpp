#include "output/scenario_codes.h"

#include <string>

namespace compactor {
namespace {

// Slot 86's text (train number) and slot 85's (line name), lower case, then the filler.
std::string code_text(const TrackModel& m) {
  std::string t = m.slots[kCabSlot].text + m.slots[kSceneSlot].text;
  for (char& c : t)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return t + kCodeFiller;
}

}  // namespace

int32_t codice_gara_og(const TrackModel& model) {
  const std::string t = code_text(model);
  int32_t sum = 0;
  for (size_t i = 0; i < 25; ++i) sum += static_cast<uint8_t>(t[i]);
  return sum;
}

int32_t codice_gara_st(const TrackModel& model) {
  const std::string t = code_text(model);
  int32_t sum = 0;
  for (size_t i = 0; i < 25; ++i)
    sum += static_cast<int32_t>(static_cast<uint8_t>(t[i])) * static_cast<int32_t>(i + 1);
  return sum;
}

}  // namespace compactor
