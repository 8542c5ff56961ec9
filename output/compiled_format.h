#pragma once
// Byte layouts of the three compiled files, in one place for writers and readers.
// Little-endian, no header, no padding; each file holds one array.

#include <cstddef>
#include <cstdint>

namespace compactor::format {

inline constexpr size_t kCellBytes = 15;       // one TrackCell
inline constexpr size_t kSlotFixedBytes = 34;  // one SlotRecord without its text bytes
inline constexpr size_t kSlotCount = 87;

// TrackCell field offsets.
inline constexpr size_t kCellKind = 0;
inline constexpr size_t kCellData1 = 1;
inline constexpr size_t kCellData2 = 3;
inline constexpr size_t kCellData3 = 5;
inline constexpr size_t kCellData4 = 7;
inline constexpr size_t kCellSignalTime = 9;
inline constexpr size_t kCellApproachMark = 10;
inline constexpr size_t kCellMountainType = 11;
inline constexpr size_t kCellSpeedCode = 12;
inline constexpr size_t kCellGradientCode = 13;
inline constexpr size_t kCellAdhesion = 14;

// SlotRecord offsets before the text, and after it relative to the end of the text.
inline constexpr size_t kSlotKind = 0;
inline constexpr size_t kSlotValue1 = 1;
inline constexpr size_t kSlotValue2 = 5;
inline constexpr size_t kSlotValue3 = 9;
inline constexpr size_t kSlotMode = 13;
inline constexpr size_t kSlotTextLength = 14;
inline constexpr size_t kSlotText = 16;
inline constexpr size_t kSlotAfterTextBytes = 18;  // short1..5, byte1..4, value4

// Route plot value tags.
inline constexpr uint16_t kTagEmpty = 0;
inline constexpr uint16_t kTagInt16 = 2;
inline constexpr uint16_t kTagDouble = 5;

// The reserved places and their markers.
inline constexpr int kMarkerSlot = 85;
inline constexpr int16_t kSlotMarker = 610;
inline constexpr int16_t kSectionMarker = 5121;

}  // namespace compactor::format
