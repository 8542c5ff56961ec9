// Runs before a node command's WebAssembly is compiled. A command runs once and briefly:
// the baseline compiler alone starts it at once, where optimising the whole module in the
// background would cost more CPU than the whole compile of a 1000 km line.
require('v8').setFlagsFromString('--liftoff-only');
