# Every exe we ship carries an application manifest (resource 1, type 24):
# requestedExecutionLevel asInvoker, so that Windows never redirects its
# writes under Program Files into the user's VirtualStore, and the Windows
# versions it was made for, Vista to 10. DEPENDENCY names a file of further
# XML for the manifest, e.g. the side-by-side assembly an exe binds.
#   brindlewick_add_manifest(target [DEPENDENCY file])
set(BRINDLEWICK_MANIFEST_TEMPLATE ${CMAKE_CURRENT_LIST_DIR}/application.manifest.in)

function(brindlewick_add_manifest target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "DEPENDENCY" "")
  set(BRINDLEWICK_MANIFEST_DEPENDENCY "")
  if(arg_DEPENDENCY)
    file(READ ${arg_DEPENDENCY} BRINDLEWICK_MANIFEST_DEPENDENCY)
    string(CONFIGURE "${BRINDLEWICK_MANIFEST_DEPENDENCY}" BRINDLEWICK_MANIFEST_DEPENDENCY @ONLY)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${arg_DEPENDENCY})
  endif()
  set(folder ${CMAKE_CURRENT_BINARY_DIR}/manifest-${target})
  configure_file(${BRINDLEWICK_MANIFEST_TEMPLATE} ${folder}/application.manifest @ONLY)
  file(CONFIGURE OUTPUT ${folder}/manifest.rc
    CONTENT "1 24 \"${folder}/application.manifest\"\n")
  target_sources(${target} PRIVATE ${folder}/manifest.rc)
  set_source_files_properties(${folder}/manifest.rc PROPERTIES
    OBJECT_DEPENDS ${folder}/application.manifest)
endfunction()
