#pragma once
// Fault numbers of the compilers and of the abbattimento pass, with their meanings.

#include <cstdint>
#include <string_view>

#include "sources/messages.h"

namespace compactor {

// Faults of the line description.
inline constexpr int32_t kFaultLengthTooLarge = 1;    // length above 1000000
inline constexpr int32_t kFaultCabFirst = 3;          // first cab-signalling position not a multiple of 50
inline constexpr int32_t kFaultCabSecond = 4;         // second cab-signalling position not a multiple of 50
inline constexpr int32_t kFaultCabCodes = 5;          // cab-signalling keyword with neither 4 nor 9
inline constexpr int32_t kFaultSignTaken = 6;         // sign board on a section that is not free
inline constexpr int32_t kFaultSpeedBoardTaken = 21;  // speed board on a section that is not free
inline constexpr int32_t kFaultNoLineFile = 101;      // no line description file
inline constexpr int32_t kFaultNoGeneral = 102;       // no "[generale]" header
inline constexpr int32_t kFaultCurve = 103;           // no class digit, or the plot passing 1000000 m

// Faults of the train description.
inline constexpr int32_t kFaultReference = 2;          // chainage reference not a multiple of 50
inline constexpr int32_t kFaultAbbattimentoTaken = 7;  // abbattimento record on a section that is not free
inline constexpr int32_t kFaultStationPosition = 8;    // station position not a multiple of 50
inline constexpr int32_t kFaultStationLength = 9;      // station length not a multiple of 100
inline constexpr int32_t kFaultTooManyStations = 10;   // the station counter reached next_sign_slot
inline constexpr int32_t kFaultSignalTaken = 16;       // signal on a section that is not free
inline constexpr int32_t kFaultBoardTaken = 17;     // slow-down warning board on a section that is not free
inline constexpr int32_t kFaultStartTaken = 18;     // slow-down start on a section that is not free
inline constexpr int32_t kFaultEndTaken = 19;       // slow-down end on a section that is not free
inline constexpr int32_t kFaultApproachTaken = 20;  // a section before the warning board is not free
inline constexpr int32_t kFaultStationsTooClose =
    22;  // a station starts less than 350 m after the one before
inline constexpr int32_t kFaultStationEndTooLow = 24;  // a station end at 100 m or less

// Faults of both.
inline constexpr int32_t kFaultOutOfRange = 15;  // a record's position fails the range check
inline constexpr int32_t kFaultReading = 25;     // any failure while reading

// Conflicts met by the abbattimento pass.
inline constexpr int32_t kConflictBoard = 11;   // no point before a signal behind a warning board
inline constexpr int32_t kConflictWindow = 12;  // no point in a window before a slow-down start
inline constexpr int32_t kConflictRepeat = 13;  // no repeat point, or none before the signal after the end

// Faults this system adds where the descriptions could otherwise drive the model
// outside its tables.
inline constexpr int32_t kFaultNoLength = 104;          // no "lunghezza percorso" record before the body
inline constexpr int32_t kFaultCurvePastPlot = 105;     // a curve ends beyond plot_limit
inline constexpr int32_t kFaultMountainPastEnd = 106;   // a mountain stretch ends beyond cell_limit
inline constexpr int32_t kFaultTooManyMountains = 107;  // more than 80 mountain records
inline constexpr int32_t kFaultTooManySigns = 108;      // more than 80 sign boards
inline constexpr int32_t kFaultSlowdownPastEnd = 109;   // a slow-down ends beyond cell_limit

// What a fault number means, as a message of the catalogue (fault_unknown for numbers not
// in use), and its English text.
MessageId fault_message_id(int32_t code);
std::string_view fault_meaning(int32_t code);

// True for faults tied to a place, whose error_position is meaningful.
bool fault_has_position(int32_t code);

}  // namespace compactor
