#pragma once
// Fault numbers of the compilers and of the abbattimento pass, with their meanings.

#include <cstdint>
#include <string_view>

namespace compactor {

// Faults this system adds where the descriptions could otherwise drive the model
// outside its tables.
inline constexpr int32_t kFaultNoLength = 104;          // no "lunghezza percorso" record before the body
inline constexpr int32_t kFaultCurvePastPlot = 105;     // a curve ends beyond plot_limit
inline constexpr int32_t kFaultMountainPastEnd = 106;   // a mountain stretch ends beyond cell_limit
inline constexpr int32_t kFaultTooManyMountains = 107;  // more than 80 mountain records
inline constexpr int32_t kFaultTooManySigns = 108;      // more than 80 sign boards
inline constexpr int32_t kFaultSlowdownPastEnd = 109;   // a slow-down ends beyond cell_limit

// One line of text for a fault number; "unknown fault" for numbers not in use.
std::string_view fault_meaning(int32_t code);

// True for faults tied to a place, whose error_position is meaningful.
bool fault_has_position(int32_t code);

}  // namespace compactor
