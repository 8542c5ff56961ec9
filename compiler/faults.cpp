#include "compiler/faults.h"

#include <utility>

namespace compactor {

namespace {

// Each fault and conflict number with its meaning in the catalogue.
constexpr std::pair<int32_t, MessageId> kMeanings[] = {
    {1, MessageId::fault_1},     {2, MessageId::fault_2},     {3, MessageId::fault_3},
    {4, MessageId::fault_4},     {5, MessageId::fault_5},     {6, MessageId::fault_6},
    {7, MessageId::fault_7},     {8, MessageId::fault_8},     {9, MessageId::fault_9},
    {10, MessageId::fault_10},   {11, MessageId::fault_11},   {12, MessageId::fault_12},
    {13, MessageId::fault_13},   {15, MessageId::fault_15},   {16, MessageId::fault_16},
    {17, MessageId::fault_17},   {18, MessageId::fault_18},   {19, MessageId::fault_19},
    {20, MessageId::fault_20},   {21, MessageId::fault_21},   {22, MessageId::fault_22},
    {24, MessageId::fault_24},   {25, MessageId::fault_25},   {101, MessageId::fault_101},
    {102, MessageId::fault_102}, {103, MessageId::fault_103}, {104, MessageId::fault_104},
    {105, MessageId::fault_105}, {106, MessageId::fault_106}, {107, MessageId::fault_107},
    {108, MessageId::fault_108}, {109, MessageId::fault_109}};

}  // namespace

MessageId fault_message_id(int32_t code) {
  for (const auto& [number, id] : kMeanings)
    if (number == code) return id;
  return MessageId::fault_unknown;
}

std::string_view fault_meaning(int32_t code) { return message_text(fault_message_id(code), Language::en); }

bool fault_has_position(int32_t code) {
  switch (code) {
    case kFaultSignTaken:
    case kFaultAbbattimentoTaken:
    case kFaultStationPosition:
    case kFaultStationLength:
    case kConflictBoard:
    case kConflictWindow:
    case kConflictRepeat:
    case kFaultOutOfRange:
    case kFaultSignalTaken:
    case kFaultBoardTaken:
    case kFaultStartTaken:
    case kFaultEndTaken:
    case kFaultApproachTaken:
    case kFaultSpeedBoardTaken:
    case kFaultStationsTooClose:
    case kFaultCurvePastPlot:
    case kFaultMountainPastEnd:
    case kFaultTooManyMountains:
    case kFaultTooManySigns:
    case kFaultSlowdownPastEnd:
      return true;
    default:
      return false;
  }
}

}  // namespace compactor
