// The program of one scenario: builds the scenario of the pack it was made from in the program's folder.
#include "driver/build.h"
#include "driver/command_line.h"

int main(int argc, char** argv) {
  return compactor::run_program_with_args(argc, argv, compactor::embedded_scenario());
}
