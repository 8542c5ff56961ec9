#include "compiler/faults.h"

namespace compactor {

std::string_view fault_meaning(int32_t code) {
  switch (code) {
    case kFaultLengthTooLarge:
      return "line length above 1000000";
    case kFaultReference:
      return "a chainage reference start or chainage is not a multiple of 50";
    case kFaultCabFirst:
      return "first cab-signalling position is not a multiple of 50";
    case kFaultCabSecond:
      return "second cab-signalling position is not a multiple of 50";
    case kFaultCabCodes:
      return "cab-signalling keyword holds neither 4 nor 9";
    case kFaultSignTaken:
      return "sign board on a section that is not free";
    case kFaultAbbattimentoTaken:
      return "abbattimento record on a section that is not free";
    case kFaultStationPosition:
      return "station position is not a multiple of 50";
    case kFaultStationLength:
      return "station length is not a multiple of 100";
    case kFaultTooManyStations:
      return "too many stations beside the sign texts (slots 1 to 80 are full)";
    case kConflictBoard:
      return "no free section for the abbattimento point before a signal behind a warning board";
    case kConflictWindow:
      return "no free section in a window before a slow-down start";
    case kConflictRepeat:
      return "no free section for a repeat point inside a slow-down or before the signal after it";
    case kFaultOutOfRange:
      return "position out of range for the line";
    case kFaultSignalTaken:
      return "signal on a section that is not free";
    case kFaultBoardTaken:
      return "slow-down warning board on a section that is not free";
    case kFaultStartTaken:
      return "slow-down start on a section that is not free";
    case kFaultEndTaken:
      return "slow-down end on a section that is not free";
    case kFaultApproachTaken:
      return "a section before the slow-down warning board is not free";
    case kFaultSpeedBoardTaken:
      return "speed board on a section that is not free";
    case kFaultStationsTooClose:
      return "station starts less than 350 m after the end of the one before";
    case kFaultStationEndTooLow:
      return "station end lies at 100 m or less";
    case kFaultReading:
      return "reading failure: a number does not fit its field, or the text ends inside a record";
    case kFaultNoLineFile:
      return "no line description file";
    case kFaultNoGeneral:
      return "no [generale] header";
    case kFaultCurve:
      return "curve keyword without a class digit, or the route plot passing 1000000 m";
    case kFaultNoLength:
      return "no line length record before the body";
    case kFaultCurvePastPlot:
      return "curve ends beyond the route plot";
    case kFaultMountainPastEnd:
      return "mountain stretch ends beyond the last section";
    case kFaultTooManyMountains:
      return "more than 80 mountain records";
    case kFaultTooManySigns:
      return "more than 80 sign boards";
    case kFaultSlowdownPastEnd:
      return "slow-down ends beyond the last section";
    default:
      return "unknown fault";
  }
}

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
