#pragma once
// Byte layouts of the three compiled files, in one place for writers and readers.
// Little-endian, no header, no padding; each file holds one array.

#include <cstddef>
#include <cstdint>
#include <tuple>

#include "compiler/track_model.h"

namespace compactor::format {

inline constexpr size_t kCellBytes = 15;       // one TrackCell
inline constexpr size_t kSlotFixedBytes = 34;  // one SlotRecord without its text bytes

// One stored field of a record: its name (as the inspector's JSON spells it), the
// member it holds, and its width on disk, which is the member's own.
template <typename Record, typename T>
struct Field {
  const char* name;
  T Record::*member;
  static constexpr size_t bytes = sizeof(T);
};

template <typename Record, typename T>
Field(const char*, T Record::*) -> Field<Record, T>;

// The fields of a section, in file order.
inline constexpr auto kCellFields = std::make_tuple(
    Field{"kind", &TrackCell::kind}, Field{"data1", &TrackCell::data1}, Field{"data2", &TrackCell::data2},
    Field{"data3", &TrackCell::data3}, Field{"data4", &TrackCell::data4},
    Field{"signal_time", &TrackCell::signal_time}, Field{"approach_mark", &TrackCell::approach_mark},
    Field{"mountain_type", &TrackCell::mountain_type}, Field{"speed_code", &TrackCell::speed_code},
    Field{"gradient_code", &TrackCell::gradient_code}, Field{"adhesion", &TrackCell::adhesion});

// The fields of a slot before its text, then the text (a 16-bit length and its bytes),
// then the fields after it.
inline constexpr auto kSlotFieldsBeforeText = std::make_tuple(
    Field{"kind", &SlotRecord::kind}, Field{"value1", &SlotRecord::value1}, Field{"value2", &SlotRecord::value2},
    Field{"value3", &SlotRecord::value3}, Field{"mode", &SlotRecord::mode});
inline constexpr auto kSlotFieldsAfterText = std::make_tuple(
    Field{"short1", &SlotRecord::short1}, Field{"short2", &SlotRecord::short2},
    Field{"short3", &SlotRecord::short3}, Field{"short4", &SlotRecord::short4},
    Field{"short5", &SlotRecord::short5}, Field{"byte1", &SlotRecord::byte1}, Field{"byte2", &SlotRecord::byte2},
    Field{"byte3", &SlotRecord::byte3}, Field{"byte4", &SlotRecord::byte4}, Field{"value4", &SlotRecord::value4});

// Calls f with every field of a list, in order.
template <typename Fields, typename F>
constexpr void for_each_field(const Fields& fields, F&& f) {
  std::apply([&](const auto&... field) { (f(field), ...); }, fields);
}

template <typename Fields>
constexpr size_t bytes_of(const Fields& fields) {
  return std::apply([](const auto&... field) { return (size_t{0} + ... + field.bytes); }, fields);
}

inline constexpr size_t kSlotTextLength = bytes_of(kSlotFieldsBeforeText);  // offset of the text length

static_assert(bytes_of(kCellFields) == kCellBytes);
static_assert(kSlotTextLength == 14);
static_assert(kSlotTextLength + 2 + bytes_of(kSlotFieldsAfterText) == kSlotFixedBytes);

// Route plot value tags.
inline constexpr uint16_t kTagEmpty = 0;
inline constexpr uint16_t kTagInt16 = 2;
inline constexpr uint16_t kTagDouble = 5;

// The reserved places and their markers.
inline constexpr int kMarkerSlot = kSceneSlot;
inline constexpr int16_t kSlotMarker = 610;
inline constexpr int16_t kSectionMarker = 5121;

}  // namespace compactor::format
