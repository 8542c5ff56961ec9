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

}  // namespace

void memorizza_dati(TrackModel& model, DescriptionFiles& files) {
  CompileContext ctx{model, files, false, false, Description::line, Field{}};
  try {
    if (!compile_line_description(ctx)) return;
    compile_train_description(ctx);
  } catch (const ReadingFailure& f) {
    trap(ctx, FaultSite{true, ctx.current, f.line(), f.column()});
  } catch (const ConversionFault&) {
    trap(ctx, FaultSite{true, ctx.current, ctx.keyword.line, ctx.keyword.column});
  } catch (const IndexFault&) {
    trap(ctx, FaultSite{true, ctx.current, ctx.keyword.line, ctx.keyword.column});
  }
}

}  // namespace compactor
