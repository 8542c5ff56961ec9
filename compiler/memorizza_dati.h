#pragma once

#include "compiler/description_files.h"
#include "compiler/diagnostics.h"
#include "compiler/track_model.h"

namespace compactor {

// Reads the line description and then the train description into the model.
// A fault leaves its number in error_code (and, for faults tied to a place, the
// position in error_position); any failure while reading (a number that does not
// fit its field, the text ending inside a record, an index outside a table)
// becomes fault 25: the descriptions that still exist are deleted. When found is given,
// it receives the warnings and what the fault's diagnostic needs; it never changes
// what is compiled.
void memorizza_dati(TrackModel& model, DescriptionFiles& files, CompileDiagnostics* found = nullptr);

}  // namespace compactor
