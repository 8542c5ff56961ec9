# Scenario packs: a folder with scenario.json, line.txt, train.txt, scheda_treno.txt,
# rallentamenti.txt and note.txt, built into a program that writes that scenario's six files.

set(SCENARIO_PACK_FILES scenario.json line.txt train.txt scheda_treno.txt rallentamenti.txt note.txt)

# Reads the identity and the encoding from <pack>/scenario.json. A manifest that cannot be
# read stops here; everything else about the pack is the check step's to judge.
function(scenario_pack_identity pack out_line out_train out_encoding)
  set(manifest "${pack}/scenario.json")
  if(NOT EXISTS "${manifest}")
    message(FATAL_ERROR "${manifest}: error: the pack has no scenario.json")
  endif()
  file(READ "${manifest}" json)
  foreach(key line_name train_number)
    string(JSON value ERROR_VARIABLE problem GET "${json}" ${key})
    if(problem)
      message(FATAL_ERROR "${manifest}: error: cannot read \"${key}\": ${problem}")
    endif()
    set(${key} "${value}")
  endforeach()
  string(JSON encoding ERROR_VARIABLE problem GET "${json}" encoding)
  if(problem)
    set(encoding "utf-8")
  endif()
  set(${out_line} "${line_name}" PARENT_SCOPE)
  set(${out_train} "${train_number}" PARENT_SCOPE)
  set(${out_encoding} "${encoding}" PARENT_SCOPE)
endfunction()

if(CMAKE_SCRIPT_MODE_FILE)
  return()
endif()

set(SCENARIO_PACK_EMBED ${CMAKE_CURRENT_LIST_DIR}/embed_pack.cmake)

# Generates <out_source>, a C++ source defining `const PackTexts& <function>()` for the
# pack. With CHECKED_BY <stamp>, the source is made only after the check step has passed.
function(scenario_pack_source pack function out_source)
  cmake_parse_arguments(ARG "" "CHECKED_BY" "" ${ARGN})
  set(inputs "")
  foreach(file ${SCENARIO_PACK_FILES})
    list(APPEND inputs "${pack}/${file}")
  endforeach()
  add_custom_command(
    OUTPUT ${out_source}
    COMMAND ${CMAKE_COMMAND} -DPACK=${pack} -DOUTPUT=${out_source} -DFUNCTION=${function}
            -P ${SCENARIO_PACK_EMBED}
    DEPENDS ${inputs} ${SCENARIO_PACK_EMBED} ${CMAKE_CURRENT_FUNCTION_LIST_FILE} ${ARG_CHECKED_BY}
    COMMENT "Embedding the scenario pack ${pack}"
    VERBATIM)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${pack}/scenario.json")
endfunction()

# add_scenario_program(<target> PACK <folder> [OUTPUT_NAME <name>] [OUTPUT_DIRECTORY <dir>])
#
# The program for one pack: by default named <line>_<train> after scenario.json. The pack
# is checked first (scenario-pack check); a check that fails fails the build, with its
# messages. On a cross build the check runs through CMAKE_CROSSCOMPILING_EMULATOR.
# Sets <target>_PACK_SOURCE in the caller's scope: the generated source of the pack.
function(add_scenario_program target)
  cmake_parse_arguments(ARG "" "PACK;OUTPUT_NAME;OUTPUT_DIRECTORY" "" ${ARGN})
  if(NOT ARG_PACK)
    message(FATAL_ERROR "add_scenario_program(${target}) needs PACK")
  endif()
  get_filename_component(pack "${ARG_PACK}" ABSOLUTE BASE_DIR "${CMAKE_SOURCE_DIR}")
  scenario_pack_identity("${pack}" line_name train_number encoding)
  if(NOT ARG_OUTPUT_NAME)
    # The check refuses a name that cannot name files; until it has, keep the build's own
    # paths tidy.
    string(REGEX REPLACE "[/\\\\:*?\"<>| \t\r\n]" "_" ARG_OUTPUT_NAME "${line_name}_${train_number}")
  endif()
  if(NOT ARG_OUTPUT_DIRECTORY)
    set(ARG_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
  endif()

  set(work ${CMAKE_CURRENT_BINARY_DIR}/${target}_pack)
  set(stamp ${work}/checked)
  set(inputs "")
  foreach(file ${SCENARIO_PACK_FILES})
    list(APPEND inputs "${pack}/${file}")
  endforeach()
  add_custom_command(
    OUTPUT ${stamp}
    COMMAND scenario_pack check --out ${work}/compiled ${pack}
    COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
    DEPENDS ${inputs} scenario_pack
    COMMENT "Checking the scenario pack ${pack}"
    VERBATIM)
  scenario_pack_source(${pack} program_pack ${work}/program_pack.cpp CHECKED_BY ${stamp})
  # One target runs the check and the embedding; every target that compiles the generated
  # source depends on it, so that two of them never run the check at once.
  add_custom_target(${target}_pack DEPENDS ${stamp} ${work}/program_pack.cpp)

  # WIN32: on Windows a GUI-subsystem program, so that no console opens when a driver starts it.
  add_executable(${target} WIN32 ${PROJECT_SOURCE_DIR}/driver/main.cpp ${PROJECT_SOURCE_DIR}/driver/program_scenario.cpp
                           ${work}/program_pack.cpp)
  target_link_libraries(${target} PRIVATE compactor_driver)
  add_dependencies(${target} ${target}_pack)
  # The program writes its files beside itself.
  set_target_properties(${target} PROPERTIES OUTPUT_NAME "${ARG_OUTPUT_NAME}"
                                             RUNTIME_OUTPUT_DIRECTORY "${ARG_OUTPUT_DIRECTORY}")
  set(${target}_PACK_SOURCE ${work}/program_pack.cpp PARENT_SCOPE)
endfunction()

# make_scenario_program(<target> PACK <folder> OUTPUT_DIRECTORY <dir>)
#
# The pack's program as `scenario-pack build` makes it, byte for byte: this build's runner
# with the pack appended, <dir>/<line>_<train>[.exe]. Nothing is compiled for the pack.
# Sets <target>_FILE in the caller's scope.
function(make_scenario_program target)
  cmake_parse_arguments(ARG "" "PACK;OUTPUT_DIRECTORY" "" ${ARGN})
  get_filename_component(pack "${ARG_PACK}" ABSOLUTE BASE_DIR "${CMAKE_SOURCE_DIR}")
  scenario_pack_identity("${pack}" line_name train_number encoding)
  string(REGEX REPLACE "[/\\\\:*?\"<>| \t\r\n]" "_" name "${line_name}_${train_number}")
  if(WIN32)
    set(system windows)
    string(APPEND name .exe)
  else()
    set(system linux)
  endif()
  set(program ${ARG_OUTPUT_DIRECTORY}/${name})
  set(inputs "")
  foreach(file ${SCENARIO_PACK_FILES})
    list(APPEND inputs "${pack}/${file}")
  endforeach()
  add_custom_command(
    OUTPUT ${program}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${ARG_OUTPUT_DIRECTORY}
    COMMAND scenario_pack build ${pack} --target ${system} --runner $<TARGET_FILE:scenario_runner> -o ${program}
    DEPENDS ${inputs} scenario_pack scenario_runner
    COMMENT "Making the program of the scenario pack ${pack}"
    VERBATIM)
  add_custom_target(${target} ALL DEPENDS ${program})
  set(${target}_FILE ${program} PARENT_SCOPE)
endfunction()
