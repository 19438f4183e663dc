# The manifests the SimConnect probe makes its activation contexts from
# (simconnect/library_probe.h): resource type 24 (RT_MANIFEST), number 101 +
# the version's index, each naming exactly one version of the assembly for
# the processor the build is for. The versions are read from the probe's own
# list, so the two cannot drift apart.
#   brindlewick_add_simconnect_manifests(target)
set(BRINDLEWICK_PROBE_SOURCE ${CMAKE_CURRENT_LIST_DIR}/../simconnect/library_probe.cpp)

function(brindlewick_add_simconnect_manifests target)
  file(READ ${BRINDLEWICK_PROBE_SOURCE} source)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${BRINDLEWICK_PROBE_SOURCE})
  string(REGEX MATCHALL "\"10\\.0\\.[0-9]+\\.0\"" versions "${source}")
  list(LENGTH versions count)
  if(NOT count EQUAL 12)
    message(FATAL_ERROR "simconnect/library_probe.cpp lists ${count} SimConnect versions, not 12")
  endif()
  # The toolchain file's: x86 for the build that ships, amd64 for the
  # 64-bit test build.
  set(arch ${BRINDLEWICK_SXS_ARCH})
  if(NOT arch)
    message(FATAL_ERROR "BRINDLEWICK_SXS_ARCH is not set: build with cmake/*-w64-mingw32.cmake")
  endif()
  set(folder ${CMAKE_CURRENT_BINARY_DIR}/simconnect-manifests-${target})
  set(rc "")
  set(id 101)
  foreach(quoted IN LISTS versions)
    string(REPLACE "\"" "" version ${quoted})
    # XP wants an identity of the manifest's own.
    file(CONFIGURE OUTPUT ${folder}/${version}.manifest CONTENT
"<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>
<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\">
  <assemblyIdentity type=\"win32\" name=\"Quillmar.Brindlewick.SimConnectProbe\" version=\"1.0.0.0\" processorArchitecture=\"${arch}\"/>
  <dependency>
    <dependentAssembly>
      <assemblyIdentity type=\"win32\" name=\"Microsoft.FlightSimulator.SimConnect\" version=\"${version}\" processorArchitecture=\"${arch}\" publicKeyToken=\"67c7c14424d61b5b\"/>
    </dependentAssembly>
  </dependency>
</assembly>
")
    string(APPEND rc "${id} 24 \"${folder}/${version}.manifest\"\n")
    math(EXPR id "${id} + 1")
  endforeach()
  file(CONFIGURE OUTPUT ${folder}/simconnect-manifests.rc CONTENT "${rc}")
  target_sources(${target} PRIVATE ${folder}/simconnect-manifests.rc)
  list(TRANSFORM versions REPLACE "\"([^\"]*)\"" "${folder}/\\1.manifest")
  set_source_files_properties(${folder}/simconnect-manifests.rc PROPERTIES
    OBJECT_DEPENDS "${versions}")
endfunction()
