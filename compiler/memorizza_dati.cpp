#include "compiler/memorizza_dati.h"

#include "compiler/compile_context.h"
#include "compiler/conversion.h"
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

void memorizza_dati(TrackModel& model, DescriptionFiles& files, CompileDiagnostics* found) {
  CompileDiagnostics unused;
  CompileDiagnostics& diagnostics = found ? *found : unused;
  CompileContext ctx(model, files, diagnostics);
  try {
    if (!compile_line_description(ctx)) return;
    compile_train_description(ctx);
  } catch (const ReadingFailure& f) {
    trap(ctx, FaultSite{true, ctx.current, f.line(), f.column()});
    if (f.line() == 0)
      diagnostics.fault_detail = "no train description file";
    else if (!f.number().empty())
      diagnostics.fault_detail =
          "reading failure: the number " + quote_field(f.number()) + " does not fit " +
          (f.width().front() == '8' ? "an " : "a ") + f.width() + " field";
    else
      diagnostics.fault_detail = "reading failure: the text ends where the record " +
                                 quote_field(ctx.keyword.text) + " expects another field";
  } catch (const ConversionFault&) {
    trap(ctx, FaultSite{true, ctx.current, ctx.keyword.line, ctx.keyword.column});
    diagnostics.fault_detail = "a value computed from this record does not fit its field";
  } catch (const IndexFault& e) {
    trap(ctx, FaultSite{true, ctx.current, ctx.keyword.line, ctx.keyword.column});
    diagnostics.fault_detail = std::string("this record reaches outside the model's tables: ") + e.what();
  }
}

}  // namespace compactor
