# Windows resources of the PE files: a VERSIONINFO from the project version (installers and
# updaters compare FileVersion before replacing a file) and, where given, an application
# manifest. Nothing on other platforms.
function(lumarin_version_resource target description)
  if(NOT WIN32)
    return()
  endif()
  cmake_parse_arguments(ARG "" "MANIFEST" "" ${ARGN})
  get_target_property(type ${target} TYPE)
  set(LUMARIN_RC_TARGET ${target})
  set(LUMARIN_RC_DESCRIPTION "${description}")
  if(type MATCHES "^(SHARED|MODULE)_LIBRARY$")
    set(LUMARIN_RC_FILE_TYPE VFT_DLL)
    set(LUMARIN_RC_FILE_NAME ${target}.dll)
  else()
    set(LUMARIN_RC_FILE_TYPE VFT_APP)
    set(LUMARIN_RC_FILE_NAME ${target}.exe)
  endif()
  set(LUMARIN_RC_MANIFEST "")
  if(ARG_MANIFEST)
    # 1 = CREATEPROCESS_MANIFEST_RESOURCE_ID, 24 = RT_MANIFEST
    set(LUMARIN_RC_MANIFEST "1 24 \"${ARG_MANIFEST}\"")
    set_property(SOURCE ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc APPEND PROPERTY
      OBJECT_DEPENDS ${ARG_MANIFEST})
  endif()
  configure_file(${PROJECT_SOURCE_DIR}/cmake/version.rc.in
    ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc @ONLY)
  target_sources(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
endfunction()
