#include "compiler/memorizza_dati.h"

#include "compiler/compile_context.h"
#include "sources/conversion.h"
#include "compiler/faults.h"
#include "sources/field_reader.h"

namespace compactor {

namespace {

// The failure trap: close, delete whichever description still exists, fault 25.
void trap(CompileContext& ctx, const FaultSite& site) {
  ctx.delete_description(Description::line);
  ctx.delete_description(Description::train);
  ctx.model.error_code = kFaultReading;
  ctx.model.fault_site = site;
}

// Reads only what a copy of the train description holds, never deleting it.
class KeepingFiles : public DescriptionFiles {
 public:
  explicit KeepingFiles(DescriptionFiles& files) : files_(files) {}
  std::optional<std::string> read_description(Description which) override {
    return files_.read_description(which);
  }
  void delete_description(Description) override {}
  std::string description_name(Description which) const override { return files_.description_name(which); }

 private:
  DescriptionFiles& files_;
};

// After a fault of the line half: the train description's warnings, from a throwaway
// copy of the model. Its own faults are not kept.
void train_warnings_only(const CompileContext& done, CompileDiagnostics& found) {
  if (!done.model.sections_created) return;
  TrackModel copy = done.model;
  copy.error_code = 0;
  KeepingFiles keeping(done.files);
  CompileDiagnostics scratch;
  scratch.length_place = found.length_place;
  scratch.length = found.length;
  CompileContext ctx(copy, keeping, scratch);
  ctx.sources = done.sources;  // the line's text, for the notes that point into it
  try {
    compile_train_description(ctx);
  } catch (const ReadingFailure&) {
  } catch (const ConversionFault&) {
  } catch (const IndexFault&) {
  }
  found.warnings_before_fault = found.warnings.size();
  for (Diagnostic& d : scratch.warnings) found.add_warning(std::move(d));
  found.warnings_dropped += scratch.warnings_dropped;
}

}  // namespace

void memorizza_dati(TrackModel& model, DescriptionFiles& files, CompileDiagnostics* found) {
  CompileDiagnostics unused;
  CompileDiagnostics& diagnostics = found ? *found : unused;
  CompileContext ctx(model, files, diagnostics);
  try {
    if (compile_line_description(ctx)) compile_train_description(ctx);
  } catch (const ReadingFailure& f) {
    trap(ctx, FaultSite{true, ctx.current, f.line(), f.column()});
    if (f.line() == 0) {
      diagnostics.fault_detail = msg(MessageId::detail_no_train_file);
    } else if (!f.number().empty()) {
      const std::string bits = f.width().substr(0, f.width().find('-'));
      diagnostics.fault_detail = bits == "8"
                                     ? msg(MessageId::detail_number_too_wide_8, quote_field(f.number()))
                                     : msg(MessageId::detail_number_too_wide, quote_field(f.number()), bits);
    } else {
      diagnostics.fault_detail = msg(MessageId::detail_text_ends, quote_field(ctx.keyword.text));
    }
  } catch (const ConversionFault&) {
    trap(ctx, FaultSite{true, ctx.current, ctx.keyword.line, ctx.keyword.column});
    diagnostics.fault_detail = msg(MessageId::detail_value_too_large);
  } catch (const IndexFault& e) {
    trap(ctx, FaultSite{true, ctx.current, ctx.keyword.line, ctx.keyword.column});
    diagnostics.fault_detail = msg(MessageId::detail_outside_tables, e.what());
  }
  // A fault stopped the line half before the train description was read.
  if (ctx.current == Description::line && found && files.wants_train_warnings())
    train_warnings_only(ctx, diagnostics);
}

}  // namespace compactor
