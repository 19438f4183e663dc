# brindlewick_import_library(NAME HEADER ROOT WHAT PACKAGE): the library NAME
# with its HEADER as the imported target NAME. A cross build gives ROOT, its
# own build (include/, lib/); otherwise the system's, from Debian's PACKAGE.
function(brindlewick_import_library name header root what package)
  string(TOUPPER ${name} var)
  if(root)
    find_path(${var}_INCLUDE_DIR ${header} PATHS ${root}/include
      NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
    find_library(${var}_LIBRARY NAMES ${name} PATHS ${root}/lib
      NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  else()
    find_path(${var}_INCLUDE_DIR ${header})
    find_library(${var}_LIBRARY NAMES ${name})
  endif()
  if(NOT ${var}_INCLUDE_DIR OR NOT ${var}_LIBRARY)
    message(FATAL_ERROR "${what} not found: install ${package} (scripts/test does).")
  endif()
  add_library(${name} UNKNOWN IMPORTED)
  set_target_properties(${name} PROPERTIES
    IMPORTED_LOCATION ${${var}_LIBRARY}
    INTERFACE_INCLUDE_DIRECTORIES ${${var}_INCLUDE_DIR})
endfunction()
