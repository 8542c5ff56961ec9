#include "session/diagnostic_json.h"

#include <exception>

namespace compactor {
namespace {

using nlohmann::json;

void put_place(json& j, const std::optional<Place>& place) {
  j["file"] = place ? json(place->file) : json(nullptr);
  j["line"] = place ? place->line : 0;
  j["column"] = place ? place->column : 0;
  j["end_line"] = place ? place->end_line : 0;
  j["end_column"] = place ? place->end_column : 0;
}

json entry_json(const Diagnostic& d, Language language, bool werror) {
  const bool as_error =
      d.severity == Severity::error || (werror && !d.warning.empty() && d.severity != Severity::note);
  json j;
  j["severity"] = std::string(severity_name(as_error ? Severity::error : d.severity));
  j["code"] = d.code;
  j["name"] = d.warning.empty() ? json(nullptr) : json(d.warning);
  j["message"] = render(d.message, language);
  put_place(j, d.place);
  return j;
}

std::string dump(const json& j) { return j.dump(-1, ' ', false, json::error_handler_t::replace); }

}  // namespace

json diagnostic_json(const Diagnostic& d, Language language, bool werror) {
  json j = entry_json(d, language, werror);
  j["notes"] = json::array();
  for (const Diagnostic& n : d.notes) j["notes"].push_back(entry_json(n, language, false));
  j["fixes"] = json::array();
  for (const Fix& f : d.fixes) {
    json fix;
    put_place(fix, f.place);
    fix["replacement"] = f.replacement;
    fix["title"] = render(f.title, language);
    j["fixes"].push_back(std::move(fix));
  }
  if (d.accepted) j["accepted"] = true;
  return j;
}

json diagnostics_json(std::span<const Diagnostic> list, Language language, bool werror) {
  json out = json::array();
  for (const Diagnostic& d : list) out.push_back(diagnostic_json(d, language, werror));
  return out;
}

std::string json_text(const std::function<json()>& make, int failure_status) {
  std::string what;
  try {
    return dump(make());
  } catch (const std::exception& e) {
    what = e.what();
  } catch (...) {
    what = "unknown failure";
  }
  // Made of plain values only, so that it cannot fail in its turn but for memory.
  Diagnostic failure;
  failure.severity = Severity::error;
  failure.code = "failure";
  failure.message = msg(MessageId::text, what);
  json j{{"exit_status", failure_status}, {"error", what}};
  j["diagnostics"] = json::array({diagnostic_json(failure, Language::en)});
  return dump(j);
}

}  // namespace compactor
