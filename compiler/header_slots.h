#pragma once
// The slots at the top of the table, 80 to 86, by name. Slot 80 takes the first
// sign-board text (the texts fill downward from it); 81 to 83 hold the chainage
// triples; 84 to 86 hold the scenario's header values.

namespace compactor {

inline constexpr int kFirstSignSlot = 80;     // sign texts fill slots 80 downward
inline constexpr int kChainageSlotTre = 81;   // the "tre" triple; after ordering, the greatest start
inline constexpr int kChainageSlotDue = 82;   // the "due" triple
inline constexpr int kChainageSlotUno = 83;   // the "uno" triple
inline constexpr int kTrainSlot = 84;         // braked mass, line length (value2), vehicles
inline constexpr int kSceneSlot = 85;         // scenery selectors, line name, marker, weighted code
inline constexpr int kCabSlot = 86;           // cab signalling, train number, sand, clock
inline constexpr int kFirstChainageSlot = kChainageSlotTre;
inline constexpr int kLastChainageSlot = kChainageSlotUno;

}  // namespace compactor
