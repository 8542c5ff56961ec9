# The WebAssembly build with Debian's emscripten: the core, the compiled-file writers and the
# reader from the same sources, as node commands (scenario-compile.js reads and writes the
# real file system through node) and as the page's module (no file system at all).
include(${CMAKE_CURRENT_LIST_DIR}/cross_libraries.cmake)

# C++ exceptions as WebAssembly exceptions (node 18 and later, Chromium, Firefox).
add_compile_options(-fwasm-exceptions)
# One .js file with the .wasm inside it: node 18 and later cannot fetch a .wasm beside it
# by path, and a page from file:// cannot fetch anything.
# 64 MB from the start: growing the memory step by step copies it each time.
add_link_options(-fwasm-exceptions -sSINGLE_FILE=1 -sALLOW_MEMORY_GROWTH=1 -sINITIAL_MEMORY=64MB -sEXIT_RUNTIME=1)
# A node command uses node's own file system; a target with the property COMPACTOR_BROWSER
# is for the page, and has none.
add_link_options($<$<NOT:$<BOOL:$<TARGET_PROPERTY:COMPACTOR_BROWSER>>>:-sNODERAWFS=1>
                 "$<$<NOT:$<BOOL:$<TARGET_PROPERTY:COMPACTOR_BROWSER>>>:SHELL:--pre-js ${PROJECT_SOURCE_DIR}/platform/node_pre.js>")

# The unit tests are the native builds' to run; this build's own tests are those of web/
# (the test preset runs only them).
set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)

# A native build to compare the bytes with (the ci preset puts one in build-ci/).
set(COMPACTOR_LINUX_BUILD ${PROJECT_SOURCE_DIR}/build-ci CACHE PATH "A native build to compare the bytes with")
