# For a cross build (Windows, WebAssembly): GoogleTest built from Debian's sources, and the
# header-only libraries taken from the build machine.

# GoogleTest, from /usr/src/googletest (Debian's googletest package).
set(COMPACTOR_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources for a cross build")
if(NOT EXISTS ${COMPACTOR_GOOGLETEST_SOURCE}/CMakeLists.txt)
  message(FATAL_ERROR "GoogleTest sources not found in ${COMPACTOR_GOOGLETEST_SOURCE} (Debian package googletest)")
endif()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
if(EMSCRIPTEN)
  set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
else()
  set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
endif()
add_subdirectory(${COMPACTOR_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
# (it defines GTest::gtest and GTest::gtest_main itself)

# The header-only libraries, through a folder that holds only them: the build machine's
# /usr/include must not come before the cross compiler's own headers.
set(compactor_host_headers ${CMAKE_BINARY_DIR}/host-headers)
file(MAKE_DIRECTORY ${compactor_host_headers})
foreach(dir CLI nlohmann fast_float)
  if(NOT EXISTS /usr/include/${dir})
    message(FATAL_ERROR "/usr/include/${dir} not found (Debian packages libcli11-dev, nlohmann-json3-dev, libfast-float-dev)")
  endif()
  if(NOT EXISTS ${compactor_host_headers}/${dir})
    file(CREATE_LINK /usr/include/${dir} ${compactor_host_headers}/${dir} SYMBOLIC)
  endif()
endforeach()
add_library(CLI11::CLI11 INTERFACE IMPORTED GLOBAL)
target_include_directories(CLI11::CLI11 SYSTEM INTERFACE ${compactor_host_headers})
add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED GLOBAL)
target_include_directories(nlohmann_json::nlohmann_json SYSTEM INTERFACE ${compactor_host_headers})
add_library(FastFloat::fast_float INTERFACE IMPORTED GLOBAL)
target_include_directories(FastFloat::fast_float SYSTEM INTERFACE ${compactor_host_headers})
# find_package(CLI11), find_package(nlohmann_json) and find_package(FastFloat) then find the
# targets above.
foreach(package CLI11 nlohmann_json FastFloat)
  file(WRITE ${compactor_host_headers}/cmake/${package}Config.cmake
       "# The target ${package} is defined by cmake/cross_libraries.cmake.\n")
  set(${package}_DIR ${compactor_host_headers}/cmake CACHE PATH "" FORCE)
endforeach()
