#pragma once
// The finishing step: compile, complete, check the reserved places, stamp markers
// and codes, and replace the three compiled files.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "compiler/description_files.h"
#include "compiler/diagnostics.h"
#include "compiler/track_model.h"
#include "output/abbattimento.h"
#include "sources/file_sink.h"

namespace compactor {

// Everything the finishing step needs from the program's front.
class ScenarioIo : public DescriptionFiles, public FileSink {
 public:
  // A reserved place is taken: a is "1250" or "1251". The build shows the message
  // and ends the program here; a front that returns makes memorizza_percorso
  // return at once, before any compiled file is touched.
  virtual void errore(const std::string& a) = 0;
};

struct PercorsoOutcome {
  int32_t fault_code = 0;      // error_code as memorizza_dati left it
  int32_t fault_position = 0;  // error_position as memorizza_dati left it
  FaultSite fault_site;
  bool sections_created = false;    // false: nothing compiled, no file written
  std::vector<Conflict> conflicts;  // met by the abbattimento pass, in order
  std::string errore;               // "1250" or "1251" when a check failed
  std::optional<int32_t> plain_code;
  std::optional<int32_t> weighted_code;
  std::vector<std::string> files;  // names replaced, in order
  CompileDiagnostics diagnostics;  // warnings of the compile and what blames the fault's record
};

PercorsoOutcome memorizza_percorso(TrackModel& model, int32_t j, ScenarioIo& io);

}  // namespace compactor
