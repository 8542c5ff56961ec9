#pragma once
// State shared by the two halves of memorizza_dati while one compile runs.

#include <optional>

#include "compiler/description_files.h"
#include "compiler/track_model.h"
#include "sources/field_reader.h"

namespace compactor {

struct CompileContext {
  TrackModel& model;
  DescriptionFiles& files;
  bool line_deleted = false;
  bool train_deleted = false;
  Description current = Description::line;  // the description being read
  Field keyword;                            // keyword field of the record being handled

  // Deletes a description once (the compiler is done with it).
  void delete_description(Description which) {
    bool& done = which == Description::line ? line_deleted : train_deleted;
    if (!done) files.delete_description(which);
    done = true;
  }

  // Records the site of the current record for diagnostics.
  void mark_fault_site() { model.fault_site = FaultSite{true, current, keyword.line, keyword.column}; }

  // A fault that ends the compile: close and delete the description being read,
  // set error_code (and error_position when given).
  void stop(int32_t code, std::optional<int32_t> position = std::nullopt) {
    delete_description(current);
    model.error_code = code;
    if (position) model.error_position = *position;
    mark_fault_site();
  }
};

// The line half: reads the line description into the model. Returns true when the
// train half is to follow (a normal end, or fault 15), false when it stopped.
bool compile_line_description(CompileContext& ctx);

// The train half: reads the train description into the model.
void compile_train_description(CompileContext& ctx);

}  // namespace compactor
