# The one version, from project(): a header for the code (version.h) and, on
# Windows, a VERSIONINFO resource in each exe, shown in its Properties. The
# exe's link map (<exe>.map) records which libraries went into it, for the
# notices test (tests/windows/package_test.sh).
#   brindlewick_add_version_info(target description)
set(BRINDLEWICK_COPYRIGHT "Copyright (C) 2026 Quillmar")
configure_file(${CMAKE_CURRENT_LIST_DIR}/version.h.in ${CMAKE_BINARY_DIR}/generated/version.h @ONLY)
add_library(brindlewick_version INTERFACE)
target_include_directories(brindlewick_version INTERFACE ${CMAKE_BINARY_DIR}/generated)

function(brindlewick_add_version_info target description)
  get_target_property(name ${target} OUTPUT_NAME)
  if(NOT name)
    set(name ${target})
  endif()
  set(BRINDLEWICK_FILE_DESCRIPTION "${description}")
  set(BRINDLEWICK_ORIGINAL_FILENAME "${name}.exe")
  set(folder ${CMAKE_CURRENT_BINARY_DIR}/version-${target})
  configure_file(${CMAKE_SOURCE_DIR}/cmake/version.rc.in ${folder}/version.rc @ONLY)
  target_sources(${target} PRIVATE ${folder}/version.rc)
  target_link_options(${target} PRIVATE "-Wl,-Map=$<TARGET_FILE:${target}>.map")
endfunction()
