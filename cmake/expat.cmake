# Expat as the target `expat`. Natively it is Debian's libexpat1-dev; a cross
# build points EXPAT_ROOT at its own build (scripts/build-expat-windows).
if(TARGET expat)
  return()
endif()
if(EXPAT_ROOT)
  find_path(EXPAT_INCLUDE_DIR expat.h PATHS ${EXPAT_ROOT}/include
    NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  find_library(EXPAT_LIBRARY NAMES expat PATHS ${EXPAT_ROOT}/lib
    NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
else()
  find_path(EXPAT_INCLUDE_DIR expat.h)
  find_library(EXPAT_LIBRARY NAMES expat)
endif()
if(NOT EXPAT_INCLUDE_DIR OR NOT EXPAT_LIBRARY)
  message(FATAL_ERROR "expat not found: install libexpat1-dev (scripts/test does).")
endif()
add_library(expat UNKNOWN IMPORTED)
set_target_properties(expat PROPERTIES
  IMPORTED_LOCATION ${EXPAT_LIBRARY}
  INTERFACE_INCLUDE_DIRECTORIES ${EXPAT_INCLUDE_DIR})
if(WIN32)
  # The static library: no __declspec(dllimport) on its functions.
  set_property(TARGET expat PROPERTY INTERFACE_COMPILE_DEFINITIONS XML_STATIC)
endif()
