#pragma once
// What the compiler needs from outside: the text of each description, and a way to
// delete it once read. The build's front deletes files; a tool that only reads may not.

#include <optional>
#include <string>

#include "compiler/track_model.h"

namespace compactor {

class DescriptionFiles {
 public:
  virtual ~DescriptionFiles() = default;
  // The whole text of the description, or nullopt when no such file exists.
  virtual std::optional<std::string> read_description(Description which) = 0;
  // Deletes the description (nothing when it no longer exists).
  virtual void delete_description(Description which) = 0;
  // The file name shown in diagnostics.
  virtual std::string description_name(Description which) const = 0;
  // True for a front that shows warnings: when a fault stops the line description, the
  // train description is still read for its warnings, into a copy of the model.
  virtual bool wants_train_warnings() const { return false; }
  // The planning acceleration (m/s²) of the realistic run that -Wtimetable-realistic compares
  // the timetable with (a pack may give its own); nullopt for a front that does not want that
  // warning, which then costs nothing.
  virtual std::optional<double> realistic_acceleration() const { return std::nullopt; }
};

}  // namespace compactor
