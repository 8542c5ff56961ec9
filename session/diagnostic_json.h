#pragma once
// The model's diagnostics as JSON, the one shape every front that speaks JSON gives them
// (scenario-compile --json, the page's binding):
//
//   {"severity": "error", "code": "fault-22", "name": null, "message": "fault 22: ...",
//    "file": "train.txt", "line": 9, "column": 15, "end_line": 9, "end_column": 18,
//    "notes": [{"severity": "note", "code": "note", "name": null, "message": "...", "file": ..., ...}],
//    "fixes": [{"file": ..., "line": ..., "column": ..., "end_line": ..., "end_column": ...,
//               "replacement": "stazione", "title": "use 'stazione'"}]}
//
// Messages are rendered in the language given. A diagnostic without a place has "file" null
// and its line and columns 0. Under werror a warning's severity is "error", as the terminal
// shows it. A warning kept as accepted carries "accepted": true.

#include <functional>
#include <nlohmann/json.hpp>
#include <span>
#include <string>

#include "sources/diagnostic.h"

namespace compactor {

nlohmann::json diagnostic_json(const Diagnostic& d, Language language, bool werror = false);
nlohmann::json diagnostics_json(std::span<const Diagnostic> list, Language language, bool werror = false);

// The JSON text of an outcome, whole or not at all: when making or dumping the object fails,
// the text is an object of its own with "exit_status" failure_status, "error" set to what
// failed, and "diagnostics" holding it as an entry of code failure. Invalid UTF-8 in a text
// is replaced, never passed on.
std::string json_text(const std::function<nlohmann::json()>& make, int failure_status);

}  // namespace compactor
