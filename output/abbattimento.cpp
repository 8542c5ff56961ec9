#include "output/abbattimento.h"

namespace compactor {

std::vector<Conflict> abbattimento_pass(TrackModel& model) {
  (void)model;
  return {};
}

}  // namespace compactor
