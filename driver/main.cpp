// rovella_tirsa_7162: builds the scenario Rovella_Tirsa / 7162 in the program's folder.
#include "driver/build.h"
#include "driver/command_line.h"

int main(int argc, char** argv) {
  return compactor::run_program_with_args(argc, argv, compactor::embedded_scenario());
}
