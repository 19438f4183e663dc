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
include(${CMAKE_CURRENT_LIST_DIR}/import_library.cmake)
brindlewick_import_library(tinyxml tinyxml.h "${TINYXML_ROOT}" "TinyXML 2.6" libtinyxml-dev)
set_property(TARGET tinyxml PROPERTY INTERFACE_COMPILE_DEFINITIONS TIXML_USE_STL)
