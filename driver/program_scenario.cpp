// The scenario of a program built from a scenario pack: the build generates program_pack()
// from the pack and links it with this file and main.cpp.
#include "driver/build.h"
#include "sources/pack_text.h"

namespace compactor {

const PackTexts& program_pack();

Scenario embedded_scenario() {
  const PackTexts& pack = program_pack();
  return Scenario{pack.line_name(), pack.train_number(), pack.line(), pack.train(),
                  pack.notes(),     pack.form(),         pack.card()};
}

}  // namespace compactor
