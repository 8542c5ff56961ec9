#include "compiler/faults.h"

namespace compactor {

std::string_view fault_meaning(int32_t code) {
  switch (code) {
    case 1:
      return "line length above 1000000";
    case 2:
      return "a chainage reference start or chainage is not a multiple of 50";
    case 3:
      return "first cab-signalling position is not a multiple of 50";
    case 4:
      return "second cab-signalling position is not a multiple of 50";
    case 5:
      return "cab-signalling keyword holds neither 4 nor 9";
    case 6:
      return "sign board on a section that is not free";
    case 7:
      return "abbattimento record on a section that is not free";
    case 8:
      return "station position is not a multiple of 50";
    case 9:
      return "station length is not a multiple of 100";
    case 10:
      return "too many stations beside the sign texts (slots 1 to 80 are full)";
    case 11:
      return "no free section for the abbattimento point before a signal behind a warning board";
    case 12:
      return "no free section in a window before a slow-down start";
    case 13:
      return "no free section for a repeat point inside a slow-down or before the signal after it";
    case 15:
      return "position out of range for the line";
    case 16:
      return "signal on a section that is not free";
    case 17:
      return "slow-down warning board on a section that is not free";
    case 18:
      return "slow-down start on a section that is not free";
    case 19:
      return "slow-down end on a section that is not free";
    case 20:
      return "a section before the slow-down warning board is not free";
    case 21:
      return "speed board on a section that is not free";
    case 22:
      return "station starts less than 350 m after the end of the one before";
    case 24:
      return "station end lies at 100 m or less";
    case 25:
      return "reading failure: a number does not fit its field, or the text ends inside a record";
    case 101:
      return "no line description file";
    case 102:
      return "no [generale] header";
    case 103:
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
    case 6:
    case 7:
    case 8:
    case 9:
    case 11:
    case 12:
    case 13:
    case 15:
    case 16:
    case 17:
    case 18:
    case 19:
    case 20:
    case 21:
    case 22:
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
