# TinyXML 2.6 as the target `tinyxml`. Natively it is Debian's
# libtinyxml-dev; a cross build points TINYXML_ROOT at its own build; the fuzz
# build points TINYXML_SOURCE_DIR at Debian's sources (scripts/fetch-tinyxml-source)
# and compiles them with its own flags, so the fuzzer sees the parser's branches.
if(TINYXML_SOURCE_DIR)
  add_library(tinyxml STATIC
    ${TINYXML_SOURCE_DIR}/tinyxml.cpp
    ${TINYXML_SOURCE_DIR}/tinyxmlparser.cpp
    ${TINYXML_SOURCE_DIR}/tinyxmlerror.cpp
    ${TINYXML_SOURCE_DIR}/tinystr.cpp)
  target_compile_definitions(tinyxml PUBLIC TIXML_USE_STL)
  target_compile_options(tinyxml PRIVATE -w)  # not our code to tidy
  target_include_directories(tinyxml SYSTEM PUBLIC ${TINYXML_SOURCE_DIR})
  return()
endif()
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
