// rovella_tirsa_7162: builds the scenario Rovella_Tirsa / 7162 in the program's folder.
#include "driver/build.h"

int main() { return compactor::run_program(compactor::embedded_scenario()); }
