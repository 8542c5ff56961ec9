#include "session/program_build.h"

#include "compiler/diagnostics.h"
#include "documents/notes.h"
#include "documents/slowdown_form.h"
#include "documents/train_card.h"
#include "output/memorizza_percorso.h"
#include "platform/env.h"
#include "sources/file_names.h"
#include "sources/line_content.h"
#include "sources/train_content.h"

namespace compactor {
namespace {

// The build's files live in one folder; the compiler deletes each description once read.
class FolderScenarioIo : public ScenarioIo {
 public:
  FolderScenarioIo(FolderStore& store, const Scenario& s,
                   const std::function<void(const std::string&)>& errore)
      : store_(store), scenario_(s), errore_(errore) {}

  std::optional<std::string> read_description(Description which) override {
    return store_.read_file(description_name(which));
  }
  void delete_description(Description which) override { store_.remove_file(description_name(which)); }
  std::string description_name(Description which) const override {
    return which == Description::line ? line_description_name(scenario_.line_name)
                                      : train_description_name(scenario_.line_name, scenario_.train_number);
  }
  void replace_file(const std::string& name, std::string_view bytes) override {
    store_.replace_file(name, bytes);
  }
  void replace_file_from(const std::string& name, ByteSource& source) override {
    store_.replace_file_from(name, source);
  }
  void begin_set() override { store_.begin_set(); }
  void commit_set() override { store_.commit_set(); }
  void abandon_set() override { store_.abandon_set(); }
  void errore(const std::string& a) override { errore_(a); }

 private:
  FolderStore& store_;
  const Scenario& scenario_;
  const std::function<void(const std::string&)>& errore_;
};

}  // namespace

ProgramBuild build_scenario(FolderStore& store, const Scenario& scenario,
                            const std::function<void(const std::string&)>& errore) {
  TrackModel model;
  model.line_name = scenario.line_name;
  model.train_number = scenario.train_number;
  dati_linea(store, model.line_name, scenario.line_content);
  dati_treno(store, model.line_name, model.train_number, scenario.train_content);
  dati_note(store, model.line_name, model.train_number, scenario.notes);
  dati_rallentamenti(store, model.line_name, model.train_number, scenario.slowdown_form);
  dati_scheda(store, model.line_name, model.train_number, scenario.train_card);

  FolderScenarioIo io(store, scenario, errore);
  int32_t j = 1;
  const PercorsoOutcome outcome = memorizza_percorso(model, j, io);
  // The compiler leaves a description on some faults; the run never does.
  for (const Description which : {Description::line, Description::train})
    if (store.exists(io.description_name(which))) store.remove_file(io.description_name(which));
  ProgramBuild build;
  if (outcome.fault_code == 0 && outcome.sections_created) return build;
  const DescriptionSources names(io.description_name(Description::line), std::nullopt,
                                 io.description_name(Description::train), std::nullopt);
  Diagnostic fault = fault_diagnostic(outcome.fault_code, outcome.fault_position, outcome.fault_site,
                                      outcome.diagnostics, names);
  fault.notes.clear();
  if (!outcome.sections_created)
    fault.message = Message{MessageId::fault_nothing_written, {}, {fault.message}};
  build.exit_status = kExitCompilerFault;
  build.fault = std::move(fault);
  return build;
}

}  // namespace compactor
