# Checks with file(1) that FILE's type description contains EXPECT.
execute_process(COMMAND file -b ${FILE} OUTPUT_VARIABLE type OUTPUT_STRIP_TRAILING_WHITESPACE)
string(FIND "${type}" "${EXPECT}" at)
if(at EQUAL -1)
  message(FATAL_ERROR "${FILE}: '${type}', expected '${EXPECT}'")
endif()
message(STATUS "${FILE}: ${type}")
