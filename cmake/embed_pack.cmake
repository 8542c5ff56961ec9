# Writes a C++ source that carries a scenario pack: its identity from scenario.json and
# the bytes of its five text files as they stand. Decoding the texts into lines is the
# program's own work (sources/pack_text.h), so that the build and scenario-compile read
# a pack the same way.
#
#   cmake -DPACK=<folder> -DOUTPUT=<file.cpp> -DFUNCTION=<name> -P embed_pack.cmake
#
# The source defines `const compactor::PackTexts& <name>()`.

foreach(var PACK OUTPUT FUNCTION)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "embed_pack.cmake needs -D${var}=...")
  endif()
endforeach()

include(${CMAKE_CURRENT_LIST_DIR}/ScenarioPack.cmake)
scenario_pack_identity("${PACK}" line_name train_number encoding)

# Every byte as it goes into a C++ string literal: letters, digits and harmless
# punctuation as themselves, everything else as a three-digit octal escape (which never
# runs on into the next character). A line end also closes the literal and opens the
# next, so that the source keeps one line of the text on each of its lines.
set(hex_digits "0123456789abcdef")
foreach(code RANGE 0 255)
  math(EXPR high "${code} / 16")
  math(EXPR low "${code} % 16")
  string(SUBSTRING "${hex_digits}" ${high} 1 h)
  string(SUBSTRING "${hex_digits}" ${low} 1 l)
  if((code GREATER_EQUAL 48 AND code LESS_EQUAL 57) OR (code GREATER_EQUAL 65 AND code LESS_EQUAL 90) OR
     (code GREATER_EQUAL 97 AND code LESS_EQUAL 122) OR code EQUAL 32 OR code EQUAL 33 OR
     (code GREATER_EQUAL 37 AND code LESS_EQUAL 47) OR code EQUAL 58 OR code EQUAL 61 OR code EQUAL 91 OR code EQUAL 93 OR code EQUAL 95)
    string(ASCII ${code} char)
    set(byte_${h}${l} "${char}")
  else()
    math(EXPR o1 "${code} / 64")
    math(EXPR o2 "(${code} / 8) % 8")
    math(EXPR o3 "${code} % 8")
    set(byte_${h}${l} "\\${o1}${o2}${o3}")
  endif()
endforeach()
set(byte_0a "\\012\"\n    \"")

function(literal_of_hex hex out)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "\\1;" bytes "${hex}")
  set(text "")
  foreach(byte IN LISTS bytes)
    if(NOT byte STREQUAL "")
      string(APPEND text "${byte_${byte}}")
    endif()
  endforeach()
  set(${out} "\"${text}\"sv" PARENT_SCOPE)
endfunction()

function(literal_of_string value out)
  string(HEX "${value}" hex)
  literal_of_hex("${hex}" literal)
  set(${out} "${literal}" PARENT_SCOPE)
endfunction()

literal_of_string("${line_name}" line_name_literal)
literal_of_string("${train_number}" train_number_literal)
if(encoding STREQUAL "windows-1252")
  set(encoding_value "TextEncoding::windows1252")
else()
  set(encoding_value "TextEncoding::utf8")
endif()

set(texts "")
foreach(file line.txt train.txt note.txt rallentamenti.txt scheda_treno.txt)
  if(EXISTS "${PACK}/${file}")
    file(READ "${PACK}/${file}" hex HEX)
  else()
    set(hex "")
  endif()
  literal_of_hex("${hex}" literal)
  string(APPEND texts "    // ${file}\n    ${literal},\n")
endforeach()

file(WRITE "${OUTPUT}.tmp"
"// Generated from the scenario pack ${PACK} by cmake/embed_pack.cmake. Edit the pack, not this file.
#include \"sources/pack_text.h\"

namespace compactor {
namespace {

using namespace std::string_view_literals;

constexpr PackBytes kPack{
    ${line_name_literal},
    ${train_number_literal},
    ${encoding_value},
${texts}};

}  // namespace

const PackTexts& ${FUNCTION}() {
  static const PackTexts texts(kPack);
  return texts;
}

}  // namespace compactor
")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
