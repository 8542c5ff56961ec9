// Runs before a node command's WebAssembly is compiled. A command runs once and briefly:
// the baseline compiler alone starts it at once, where optimising the whole module in the
// background would cost more CPU than the whole compile of a 1000 km line.
require('v8').setFlagsFromString('--liftoff-only');
// The language of the messages follows the shell's locale variables, as a native tool's does:
// emscripten's own environment holds a LANG of its own and none of the others.
Module['preRun'] = (Module['preRun'] || []).concat(function () {
  if (typeof process != 'object' || !process.env || typeof ENV == 'undefined') return;
  for (const name of ['LC_ALL', 'LC_MESSAGES', 'LANG']) ENV[name] = process.env[name];
});
