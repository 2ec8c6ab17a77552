# Builds a host project against an SDK with find_package(Lumarin), through CMAKE_PREFIX_PATH
# alone (or Lumarin_DIR), and runs the host with the plug-in the package names.
#   cmake -DSDK=<folder> -DWORK=<folder> [-DINSTALL=<build tree>] [-DTOOLCHAIN=<file>]
#         [-DRUN=<command prefix>] [-DBUILD_ONLY=ON] [-DEXAMPLE=ON] -P check.cmake
# INSTALL: first installs that build tree's sdk component into SDK. TOOLCHAIN: builds the
# host with it (the project's mingw file for Windows); RUN: what runs the host (Wine).
# EXAMPLE: the SDK's own examples/host, found through Lumarin_DIR, instead of this folder's.
file(REMOVE_RECURSE ${WORK})
if(INSTALL)
  execute_process(COMMAND ${CMAKE_COMMAND} --install ${INSTALL} --component sdk --prefix ${SDK}
    OUTPUT_QUIET RESULT_VARIABLE result)
  if(result)
    message(FATAL_ERROR "cmake --install failed")
  endif()
endif()

if(EXAMPLE)
  set(configure -S ${SDK}/examples/host -B ${WORK} -G Ninja -DLumarin_DIR=${SDK}/lib/cmake/Lumarin)
  set(program example-host)
else()
  set(configure -S ${CMAKE_CURRENT_LIST_DIR} -B ${WORK} -G Ninja -DCMAKE_BUILD_TYPE=Release
    -DCMAKE_PREFIX_PATH=${SDK})
  set(program host)
endif()
if(TOOLCHAIN)
  list(APPEND configure -DCMAKE_TOOLCHAIN_FILE=${TOOLCHAIN})
endif()
execute_process(COMMAND ${CMAKE_COMMAND} ${configure} OUTPUT_QUIET RESULT_VARIABLE result)
if(result)
  message(FATAL_ERROR "the host project does not configure with find_package(Lumarin)")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${WORK} OUTPUT_QUIET RESULT_VARIABLE result)
if(result)
  message(FATAL_ERROR "the host does not build from the SDK alone")
endif()
if(BUILD_ONLY)
  return()
endif()

file(GLOB plugin ${WORK}/Lumarin.so ${WORK}/Lumarin.dll)
file(GLOB host ${WORK}/${program} ${WORK}/${program}.exe)
if(NOT plugin OR NOT host)
  message(FATAL_ERROR "no host program, or no plug-in copied beside it, in ${WORK}")
endif()
separate_arguments(run UNIX_COMMAND "${RUN}")
execute_process(COMMAND ${run} ${host} ${plugin} RESULT_VARIABLE result)
if(result)
  message(FATAL_ERROR "the host built from the SDK failed: ${result}")
endif()
