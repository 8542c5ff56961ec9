# The Windows build, cross-compiled with mingw-w64: static executables that need only
# Windows' own DLLs, GoogleTest built from Debian's sources, and the header-only CLI11 and
# nlohmann-json taken from the build machine.

# libstdc++, libgcc and winpthread go into every executable.
add_link_options(-static -static-libgcc -static-libstdc++)
# Paths and texts for the Win32 API are wide characters; the names are Windows 7 and later.
add_compile_definitions(UNICODE _UNICODE _WIN32_WINNT=0x0601)

# GoogleTest for Windows, from /usr/src/googletest (Debian's googletest package).
set(COMPACTOR_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources for the Windows build")
if(NOT EXISTS ${COMPACTOR_GOOGLETEST_SOURCE}/CMakeLists.txt)
  message(FATAL_ERROR "GoogleTest sources not found in ${COMPACTOR_GOOGLETEST_SOURCE} (Debian package googletest)")
endif()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
add_subdirectory(${COMPACTOR_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
# (it defines GTest::gtest and GTest::gtest_main itself)

# The header-only libraries, through a folder that holds only them: the build machine's
# /usr/include must not come before mingw's own headers.
set(compactor_host_headers ${CMAKE_BINARY_DIR}/host-headers)
file(MAKE_DIRECTORY ${compactor_host_headers})
foreach(dir CLI nlohmann)
  if(NOT EXISTS /usr/include/${dir})
    message(FATAL_ERROR "/usr/include/${dir} not found (Debian packages libcli11-dev, nlohmann-json3-dev)")
  endif()
  if(NOT EXISTS ${compactor_host_headers}/${dir})
    file(CREATE_LINK /usr/include/${dir} ${compactor_host_headers}/${dir} SYMBOLIC)
  endif()
endforeach()
add_library(CLI11::CLI11 INTERFACE IMPORTED GLOBAL)
target_include_directories(CLI11::CLI11 SYSTEM INTERFACE ${compactor_host_headers})
add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED GLOBAL)
target_include_directories(nlohmann_json::nlohmann_json SYSTEM INTERFACE ${compactor_host_headers})
# find_package(CLI11) and find_package(nlohmann_json) then find the targets above.
foreach(package CLI11 nlohmann_json)
  file(WRITE ${compactor_host_headers}/cmake/${package}Config.cmake
       "# The target ${package} is defined by cmake/windows.cmake.\n")
  set(${package}_DIR ${compactor_host_headers}/cmake CACHE PATH "" FORCE)
endforeach()

# Test discovery runs each test program under Wine when the tests run, with the test
# preset's environment, not at build time.
set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)
