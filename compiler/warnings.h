#pragma once
// The warnings of a compile: each has a name (turned off with -Wno-<name>, and on with
// -W<name> when it is off by default) and a one-line meaning. A warning never changes a
// compiled byte.

#include <span>
#include <string_view>

#include "sources/messages.h"

namespace compactor {

inline constexpr std::string_view kWarnUnknownKeyword = "unknown-keyword";
inline constexpr std::string_view kWarnUnknownSection = "unknown-section";
inline constexpr std::string_view kWarnNotANumber = "not-a-number";
inline constexpr std::string_view kWarnRunOnRecord = "run-on-record";
inline constexpr std::string_view kWarnExtraFields = "extra-fields";
inline constexpr std::string_view kWarnRoundedPosition = "rounded-position";
inline constexpr std::string_view kWarnLineLength = "line-length";
inline constexpr std::string_view kWarnBeyondLine = "beyond-line";
inline constexpr std::string_view kWarnTabSeparator = "tab-separator";
inline constexpr std::string_view kWarnUtf8Input = "utf8-input";
inline constexpr std::string_view kWarnConflict = "conflict";
inline constexpr std::string_view kWarnCommentComma = "comment-comma";
inline constexpr std::string_view kWarnTimetable = "timetable";
inline constexpr std::string_view kWarnTimetableOrder = "timetable-order";
inline constexpr std::string_view kWarnTimetableClock = "timetable-clock";
inline constexpr std::string_view kWarnSpeedZero = "speed-zero";
inline constexpr std::string_view kWarnTimeOfDay = "time-of-day";
inline constexpr std::string_view kWarnBraking = "braking";
inline constexpr std::string_view kWarnTimetableRealistic = "timetable-realistic";
inline constexpr std::string_view kWarnGradientRange = "gradient-range";

struct WarningKind {
  std::string_view name;
  MessageId meaning;          // a line of the catalogue: what the warning is about
  bool on_by_default = true;  // false: shown only when asked for with -W<name>
};

// Every warning, in the order above.
std::span<const WarningKind> all_warnings();

// True for a name of all_warnings().
bool is_warning_name(std::string_view name);

}  // namespace compactor
