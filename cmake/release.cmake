# What a release installs, and the .deb that CPack makes of it (scripts/release.sh). The
# programs go to bin/, the runners beside each other in lib/scenario-compactor/ (where
# scenario-pack looks for them), the authors' texts and examples to share/doc/.
include(GNUInstallDirs)
# Installing (and CPack) takes the programs as they are built: scripts/release.sh builds
# them, and the tests need not be built for a release.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
install(TARGETS scenario_compile scenario_inspect scenario_pack rovella_tirsa_7162 RUNTIME DESTINATION bin)
install(TARGETS scenario_runner RUNTIME DESTINATION lib/scenario-compactor)
# The Windows runner, from the Windows build, so that a Linux author makes Windows programs too.
set(COMPACTOR_WINDOWS_RUNNER "" CACHE FILEPATH "scenario-runner-windows.exe to ship beside the Linux runner")
if(COMPACTOR_WINDOWS_RUNNER)
  install(PROGRAMS ${COMPACTOR_WINDOWS_RUNNER} DESTINATION lib/scenario-compactor)
endif()
# The scenario studio's page (scripts/build-studio.sh), with the same runners inside it.
set(COMPACTOR_STUDIO_PAGE "" CACHE FILEPATH "scenario-studio.html to ship")
if(COMPACTOR_STUDIO_PAGE)
  install(FILES ${COMPACTOR_STUDIO_PAGE} DESTINATION share/scenario-compactor)
endif()
install(FILES ${PROJECT_SOURCE_DIR}/scripts/release/AUTHORS.txt DESTINATION share/doc/scenario-compactor)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/ DESTINATION share/doc/scenario-compactor/docs
        FILES_MATCHING PATTERN "*.md")
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION share/doc/scenario-compactor/examples
        PATTERN "CMakeLists.txt" EXCLUDE PATTERN "*_test.cpp" EXCLUDE)

set(CPACK_PACKAGE_NAME scenario-compactor)
set(CPACK_PACKAGE_VENDOR "scenario-compactor")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Scenario compactor for a train-driving simulator: compile, inspect and ship scenario packs")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "scenario-compactor developers <scenario-compactor@localhost>")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# dpkg-shlibdeps names the libraries the programs need as the package's dependencies.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
