# What `cmake --install` (and scripts/package) lays out, in two components:
#
#   client  what a client ships beside itself, flat: the cleaner, the plug-in, README.md
#   sdk     for writers of host components: the plug-in in bin/ with the substitute host and
#           client as test tools, the public headers in include/lumarin/ (with version.h),
#           the CMake package in lib/cmake/Lumarin/ (Lumarin::headers, Lumarin::plugin),
#           the SDK's own README.md and examples/host/, a small host to start from
#
# A plain `cmake --install` installs the sdk component; the public headers are the only
# headers installed.

include(CMakePackageConfigHelpers)

install(TARGETS cleaner Lumarin
  RUNTIME DESTINATION . COMPONENT client EXCLUDE_FROM_ALL
  LIBRARY DESTINATION . COMPONENT client EXCLUDE_FROM_ALL)
install(FILES README.md DESTINATION . COMPONENT client EXCLUDE_FROM_ALL)

# The headers as a host sees them: an interface target, exported as Lumarin::headers.
add_library(lumarin_headers INTERFACE)
target_include_directories(lumarin_headers INTERFACE
  $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/include>
  $<BUILD_INTERFACE:${CMAKE_BINARY_DIR}/include> $<INSTALL_INTERFACE:include>)
set_target_properties(lumarin_headers PROPERTIES EXPORT_NAME headers)
set_target_properties(Lumarin PROPERTIES EXPORT_NAME plugin)

install(TARGETS Lumarin lumarin_headers EXPORT LumarinTargets
  LIBRARY DESTINATION bin COMPONENT sdk)
install(TARGETS lumarin-host Moravel2010IBeta-sim
  RUNTIME DESTINATION bin COMPONENT sdk)
install(DIRECTORY include/lumarin DESTINATION include COMPONENT sdk PATTERN *.in EXCLUDE)
install(FILES ${CMAKE_BINARY_DIR}/include/lumarin/version.h DESTINATION include/lumarin
  COMPONENT sdk)
# The SDK's own README and its example host.
install(FILES sdk/README.md DESTINATION . COMPONENT sdk)
install(DIRECTORY sdk/examples DESTINATION . COMPONENT sdk)

# The package: found through CMAKE_PREFIX_PATH wherever the SDK is unpacked (every path in
# it is relative to the config file). The version file also refuses a consumer whose
# pointer size differs from the plug-in's: a 64-bit host cannot load the 32-bit library.
set(package_dir lib/cmake/Lumarin)
install(EXPORT LumarinTargets NAMESPACE Lumarin:: DESTINATION ${package_dir}
  COMPONENT sdk)
configure_package_config_file(cmake/LumarinConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/LumarinConfig.cmake INSTALL_DESTINATION ${package_dir})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/LumarinConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/LumarinConfig.cmake
  ${CMAKE_CURRENT_BINARY_DIR}/LumarinConfigVersion.cmake
  DESTINATION ${package_dir} COMPONENT sdk)
