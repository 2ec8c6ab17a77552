# TinyXML, GoogleTest and nlohmann/json. On Linux they come from Debian's -dev packages
# (TinyXML as its static library); for the win32 cross build TinyXML and GoogleTest are
# compiled here from Debian's sources, which scripts/setup installs (TinyXML from `apt-get
# source tinyxml`, GoogleTest from /usr/src/googletest), and the header-only json library
# is used from Debian's headers.

if(WIN32)
  set(TINYXML_SOURCE_DIR /usr/local/src/tinyxml-debian CACHE PATH "Debian's patched TinyXML source")
  if(NOT EXISTS ${TINYXML_SOURCE_DIR}/tinyxml.cpp)
    message(FATAL_ERROR "TinyXML source not found in ${TINYXML_SOURCE_DIR}: run scripts/setup")
  endif()
  add_library(tinyxml STATIC
    ${TINYXML_SOURCE_DIR}/tinystr.cpp
    ${TINYXML_SOURCE_DIR}/tinyxml.cpp
    ${TINYXML_SOURCE_DIR}/tinyxmlerror.cpp
    ${TINYXML_SOURCE_DIR}/tinyxmlparser.cpp)
  target_include_directories(tinyxml SYSTEM PUBLIC ${TINYXML_SOURCE_DIR})
  target_compile_definitions(tinyxml PUBLIC TIXML_USE_STL)
  target_compile_options(tinyxml PRIVATE -w)

  set(GOOGLETEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest source")
  set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(${GOOGLETEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

  # Only Debian's nlohmann headers, through a link: /usr/include as a whole would bring the
  # host's C library headers into the cross build.
  set(JSON_HEADERS /usr/include/nlohmann)
  if(NOT EXISTS ${JSON_HEADERS}/json.hpp)
    message(FATAL_ERROR "nlohmann/json not found in ${JSON_HEADERS}: run scripts/setup")
  endif()
  file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/json-include)
  file(CREATE_LINK ${JSON_HEADERS} ${CMAKE_BINARY_DIR}/json-include/nlohmann SYMBOLIC)
  add_library(nlohmann_json INTERFACE)
  target_include_directories(nlohmann_json SYSTEM INTERFACE ${CMAKE_BINARY_DIR}/json-include)
  add_library(nlohmann_json::nlohmann_json ALIAS nlohmann_json)
else()
  # Debian's static library: the programs then need only the C and C++ runtime, on any
  # distribution.
  find_library(TINYXML_STATIC_LIBRARY libtinyxml.a REQUIRED)
  find_path(TINYXML_INCLUDE_DIR tinyxml.h REQUIRED)
  add_library(tinyxml INTERFACE)
  target_link_libraries(tinyxml INTERFACE ${TINYXML_STATIC_LIBRARY})
  target_include_directories(tinyxml SYSTEM INTERFACE ${TINYXML_INCLUDE_DIR})
  target_compile_definitions(tinyxml INTERFACE TIXML_USE_STL)

  find_package(GTest REQUIRED)
  find_package(nlohmann_json REQUIRED)
endif()
