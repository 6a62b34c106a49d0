# Runs the packer on bad input; passes when it ends with status 1 and its error matches EXPECT
# (which names the file and the line).
file(REMOVE ${OUT})
execute_process(COMMAND ${PACKER} build ${MANIFEST} --out ${OUT}
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 1)
  message(FATAL_ERROR "exit status ${rc}, expected 1\n${out}${err}")
endif()
if(NOT err MATCHES "${EXPECT}")
  message(FATAL_ERROR "error does not match '${EXPECT}':\n${err}")
endif()
if(EXISTS ${OUT})
  message(FATAL_ERROR "${OUT} was written although packing failed")
endif()
message(STATUS "${err}")
