# The Windows build, cross-compiled with mingw-w64: static executables that need only
# Windows' own DLLs, GoogleTest built from Debian's sources, and the header-only CLI11,
# nlohmann-json and fast_float taken from the build machine.

# libstdc++, libgcc and winpthread go into every executable.
add_link_options(-static -static-libgcc -static-libstdc++)
# Paths and texts for the Win32 API are wide characters; the names are Windows 7 and later.
add_compile_definitions(UNICODE _UNICODE _WIN32_WINNT=0x0601)

# GoogleTest from its source and the header-only libraries of the build machine.
include(${CMAKE_CURRENT_LIST_DIR}/cross_libraries.cmake)

# Test discovery runs each test program under Wine when the tests run, with the test
# preset's environment, not at build time.
set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)
