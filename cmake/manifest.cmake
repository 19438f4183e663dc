# Every exe we ship carries an application manifest (resource 1, type 24):
# requestedExecutionLevel asInvoker, so that Windows never redirects its
# writes under Program Files into the user's VirtualStore, and the Windows
# versions it was made for, Vista to 10.
#   brindlewick_add_manifest(target)
set(BRINDLEWICK_MANIFEST_TEMPLATE ${CMAKE_CURRENT_LIST_DIR}/application.manifest.in)

function(brindlewick_add_manifest target)
  set(folder ${CMAKE_CURRENT_BINARY_DIR}/manifest-${target})
  configure_file(${BRINDLEWICK_MANIFEST_TEMPLATE} ${folder}/application.manifest @ONLY)
  file(CONFIGURE OUTPUT ${folder}/manifest.rc
    CONTENT "1 24 \"${folder}/application.manifest\"\n")
  target_sources(${target} PRIVATE ${folder}/manifest.rc)
  set_source_files_properties(${folder}/manifest.rc PROPERTIES
    OBJECT_DEPENDS ${folder}/application.manifest)
endfunction()
