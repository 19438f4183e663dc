# TinyXML 2.6 as the imported target `tinyxml`. Natively it is Debian's
# libtinyxml-dev; a cross build points TINYXML_ROOT at its own build.
if(TINYXML_ROOT)
  find_path(TINYXML_INCLUDE_DIR tinyxml.h PATHS ${TINYXML_ROOT}/include
    NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  find_library(TINYXML_LIBRARY NAMES tinyxml PATHS ${TINYXML_ROOT}/lib
    NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
else()
  find_path(TINYXML_INCLUDE_DIR tinyxml.h)
  find_library(TINYXML_LIBRARY NAMES tinyxml)
endif()
if(NOT TINYXML_INCLUDE_DIR OR NOT TINYXML_LIBRARY)
  message(FATAL_ERROR "TinyXML 2.6 not found: install libtinyxml-dev (scripts/test does).")
endif()
add_library(tinyxml UNKNOWN IMPORTED)
set_target_properties(tinyxml PROPERTIES
  IMPORTED_LOCATION ${TINYXML_LIBRARY}
  INTERFACE_INCLUDE_DIRECTORIES ${TINYXML_INCLUDE_DIR}
  INTERFACE_COMPILE_DEFINITIONS TIXML_USE_STL)
