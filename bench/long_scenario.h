#pragma once
// A generated scenario at the limits of the formats: a 1000 km line with curves over its
// whole length, 400 gradient records, 200 speed boards, 80 mountain stretches and 18 sign
// boards; a train with 60 stations, 400 signals, 100 slow-downs and 100 speed limits.

#include <string>
#include <vector>

namespace compactor::bench {

struct LongScenario {
  std::vector<std::string> line;   // lines of the line description, UTF-8
  std::vector<std::string> train;  // lines of the train description, UTF-8
};

LongScenario long_scenario();

}  // namespace compactor::bench
