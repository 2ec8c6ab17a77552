# Installs the build's public headers into a fresh folder, builds host.cpp against them
# alone and runs it with the built library.
# cmake -DBUILD=... -DWORK=... -DCXX=... -DSOURCE=host.cpp -DLIBRARY=... -P check.cmake
file(REMOVE_RECURSE ${WORK})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${WORK}/sdk
  OUTPUT_QUIET RESULT_VARIABLE result)
if(result)
  message(FATAL_ERROR "cmake --install failed")
endif()
execute_process(COMMAND ${CXX} -std=c++17 -Wall -Wextra -Werror -I${WORK}/sdk/include
  ${SOURCE} -ldl -o ${WORK}/host RESULT_VARIABLE result)
if(result)
  message(FATAL_ERROR "the host does not build from the installed headers alone")
endif()
execute_process(COMMAND ${WORK}/host ${LIBRARY} RESULT_VARIABLE result)
if(result)
  message(FATAL_ERROR "the host built from the installed headers failed: ${result}")
endif()
