# Expat as the target `expat`. Natively it is Debian's libexpat1-dev; a cross
# build points EXPAT_ROOT at its own build (scripts/build-expat-windows).
if(TARGET expat)
  return()
endif()
include(${CMAKE_CURRENT_LIST_DIR}/import_library.cmake)
brindlewick_import_library(expat expat.h "${EXPAT_ROOT}" expat libexpat1-dev)
if(WIN32)
  # The static library: no __declspec(dllimport) on its functions.
  set_property(TARGET expat PROPERTY INTERFACE_COMPILE_DEFINITIONS XML_STATIC)
endif()
