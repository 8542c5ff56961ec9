// A test build of the program whose line puts a sign board at position 0: the board
// takes a reserved place of section 1, so the build ends with errore "1250".
#include <algorithm>
#include <string_view>
#include <vector>

#include "driver/build.h"
#include "sources/line_content.h"
#include "sources/train_content.h"

int main() {
  const auto embedded = compactor::line_content();
  std::vector<std::string_view> line(embedded.begin(), embedded.end());
  const auto end_marker = std::find(line.begin(), line.end(), std::string_view("[fine]"));
  line.insert(end_marker, "cartello_indicatore,  0,   (PROVA)");
  return compactor::run_program(
      compactor::Scenario{"Rovella_Tirsa", "7162", line, compactor::train_content()});
}
