# Makes the files Debian expects of the package in OUT, for the release's .deb (the target
# debian_files runs it): the changelog (gzip -9n), the copyright file and a manual page for
# each tool on the PATH, made by help2man from the tool's --help and --version.
#   cmake -DVERSION=... -DSOURCE=scripts/release -DOUT=... -DTOOLS=a;b;c -DHELP2MAN=... -P debian_files.cmake
file(MAKE_DIRECTORY ${OUT})
file(STRINGS ${SOURCE}/changelog first LIMIT_COUNT 1)
if(NOT first MATCHES "^scenario-compactor \\(${VERSION}\\) ")
  message(FATAL_ERROR "${SOURCE}/changelog: its first entry is not version ${VERSION}: ${first}")
endif()
configure_file(${SOURCE}/copyright ${OUT}/copyright COPYONLY)
configure_file(${SOURCE}/changelog ${OUT}/changelog COPYONLY)
set(to_compress ${OUT}/changelog)
# What each tool does, for the NAME line of its page.
set(what_scenario-compile "compile a pair of scenario descriptions into the simulator's compiled files")
set(what_scenario-inspect "read a scenario's compiled files back: tables, checks, JSON and a picture")
set(what_scenario-pack "check a scenario pack and make its program for a driver")
set(what_scenario-lsp "language server for the scenario descriptions, for any editor")
# The pages are English whatever the builder's language: the tools read LC_ALL first.
foreach(tool ${TOOLS})
  get_filename_component(name ${tool} NAME)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C
                          ${HELP2MAN} --no-info --no-discard-stderr --section=1 "--name=${what_${name}}"
                          --output=${OUT}/${name}.1 ${tool}
                  RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "help2man could not make the manual page of ${tool}")
  endif()
  list(APPEND to_compress ${OUT}/${name}.1)
endforeach()
foreach(file ${to_compress})
  file(REMOVE ${file}.gz)
  execute_process(COMMAND gzip -9n ${file} RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "gzip could not compress ${file}")
  endif()
endforeach()
