# What a release installs, and the .deb that CPack makes of it (scripts/release.sh). On the
# PATH only the tools, which write where they are told; the program of the built-in
# scenario writes its six files beside itself, so it lies with the runners in
# lib/scenario-compactor/ (where scenario-pack looks for them), for a driver to copy into a
# folder of their own. The authors' texts and examples go to share/doc/, the page to
# share/scenario-compactor/ with a desktop entry that opens it.
include(GNUInstallDirs)
# Installing (and CPack) takes the programs as they are built: scripts/release.sh builds
# them, and the tests need not be built for a release.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
install(TARGETS scenario_compile scenario_inspect scenario_pack scenario_lsp RUNTIME DESTINATION bin)
install(TARGETS scenario_runner rovella_tirsa_7162 RUNTIME DESTINATION lib/scenario-compactor)
# The Windows runner, from the Windows build, so that a Linux author makes Windows programs too.
set(COMPACTOR_WINDOWS_RUNNER "" CACHE FILEPATH "scenario-runner-windows.exe to ship beside the Linux runner")
if(COMPACTOR_WINDOWS_RUNNER)
  install(PROGRAMS ${COMPACTOR_WINDOWS_RUNNER} DESTINATION lib/scenario-compactor)
endif()
# The scenario studio's page (scripts/build-studio.sh), with the same runners inside it.
set(COMPACTOR_STUDIO_PAGE "" CACHE FILEPATH "scenario-studio.html to ship")
if(COMPACTOR_STUDIO_PAGE)
  install(FILES ${COMPACTOR_STUDIO_PAGE} DESTINATION share/scenario-compactor)
  install(FILES ${PROJECT_SOURCE_DIR}/scripts/release/scenario-studio.desktop DESTINATION share/applications)
endif()
set(doc_dir share/doc/scenario-compactor)
install(FILES ${PROJECT_SOURCE_DIR}/scripts/release/AUTHORS.txt DESTINATION ${doc_dir})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/ DESTINATION ${doc_dir}/docs FILES_MATCHING PATTERN "*.md")
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION ${doc_dir}/examples
        PATTERN "CMakeLists.txt" EXCLUDE PATTERN "*_test.cpp" EXCLUDE)

# Debian's own files: the copyright, the changelog and the tools' manual pages (help2man),
# made in debian/ by the target debian_files, which scripts/release.sh builds before CPack.
set(debian_dir ${CMAKE_BINARY_DIR}/debian)
find_program(HELP2MAN help2man)
if(HELP2MAN)
  add_custom_target(debian_files
    COMMAND ${CMAKE_COMMAND} -DVERSION=${PROJECT_VERSION} -DSOURCE=${PROJECT_SOURCE_DIR}/scripts/release
            -DOUT=${debian_dir} -DHELP2MAN=${HELP2MAN}
            "-DTOOLS=$<TARGET_FILE:scenario_compile>;$<TARGET_FILE:scenario_inspect>;$<TARGET_FILE:scenario_pack>;$<TARGET_FILE:scenario_lsp>"
            -P ${PROJECT_SOURCE_DIR}/cmake/debian_files.cmake
    VERBATIM)
  add_dependencies(debian_files scenario_compile scenario_inspect scenario_pack scenario_lsp)
endif()
install(FILES ${debian_dir}/copyright ${debian_dir}/changelog.gz DESTINATION ${doc_dir} OPTIONAL)
install(FILES ${debian_dir}/scenario-compile.1.gz ${debian_dir}/scenario-inspect.1.gz
              ${debian_dir}/scenario-pack.1.gz ${debian_dir}/scenario-lsp.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
        OPTIONAL)

set(CPACK_PACKAGE_NAME scenario-compactor)
set(CPACK_PACKAGE_VENDOR "scenario-compactor")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "scenario compactor for a train-driving simulator")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "A scenario of the simulator is a railway line and a train that runs over
it, written as two text descriptions. The compactor compiles them into
the three files the simulator loads and hands a driver one program that
writes them, with the driver's documents, and never shows the
descriptions.

This package holds scenario-compile, which compiles a pair of
descriptions and says what is wrong and where, as a compiler does;
scenario-inspect, which reads the compiled files back as tables, checks,
JSON and a picture; scenario-pack, which checks a scenario pack and
makes its program for Linux or Windows from the runners in
/usr/lib/scenario-compactor; scenario-lsp, a language server that gives
any editor the diagnostics, hovers, completion, quick fixes, outline and
formatting of the descriptions; the program of the built-in scenario
Rovella_Tirsa / 7162 beside them; and the scenario studio, one page that
edits, compiles and draws a pack in a web browser, with no server.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(COMPACTOR_PACKAGE_MAINTAINER "Scenario Compactor Developers <maintainers@users.noreply.c-seed-a4c3a63d.example>"
    CACHE STRING "The .deb's maintainer, as in its changelog")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${COMPACTOR_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS xdg-utils)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# dpkg-shlibdeps names the libraries the programs need as the package's dependencies.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
