# Writes HEADER: the path of the shared object MODULE and its SHA-256, for the source that
# carries the object's bytes (.incbin). The digest makes that source's compilation depend
# on the bytes, for CMake and for compiler caches alike.
#   cmake -DMODULE=<file> -DHEADER=<file> -P module_digest.cmake
file(SHA256 "${MODULE}" digest)
set(text "#pragma once\n#define COMPACTOR_FLTK_MODULE \"${MODULE}\"\n#define COMPACTOR_FLTK_MODULE_SHA256 \"${digest}\"\n")
set(old "")
if(EXISTS "${HEADER}")
  file(READ "${HEADER}" old)
endif()
if(NOT old STREQUAL text)
  file(WRITE "${HEADER}" "${text}")
endif()
