#include "sources/diagnostic.h"

namespace compactor {

std::string_view severity_name(Severity severity) {
  constexpr std::string_view kNames[] = {"error", "warning", "note"};
  return kNames[static_cast<size_t>(severity)];
}

Diagnostic note(Message message, std::optional<Place> place) {
  Diagnostic d;
  d.severity = Severity::note;
  d.code = "note";
  d.message = std::move(message);
  d.place = std::move(place);
  return d;
}

Diagnostic error_at(std::string code, std::optional<Place> place, Message message) {
  Diagnostic d;
  d.severity = Severity::error;
  d.code = std::move(code);
  d.place = std::move(place);
  d.message = std::move(message);
  return d;
}

Diagnostic recovery_note(Message message, std::optional<Place> place) {
  Diagnostic d = note(std::move(message), std::move(place));
  d.code = "recovery";
  return d;
}

std::string fault_code_name(int code) { return "fault-" + std::to_string(code); }
std::string conflict_code_name(int code) { return "conflict-" + std::to_string(code); }

}  // namespace compactor
