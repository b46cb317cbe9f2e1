# Runs PROGRAM with the arguments in ARGS (a ;-list) and fails unless it ends with
# EXPECT_STATUS and its standard output or error matches the regular expression
# EXPECT_OUTPUT. CTest's own pass expression would ignore the exit status.
#   cmake -DPROGRAM=... -DARGS=... -DEXPECT_STATUS=0 -DEXPECT_OUTPUT=... -P RunAndCheck.cmake
execute_process(COMMAND ${PROGRAM} ${ARGS}
                RESULT_VARIABLE status
                OUTPUT_VARIABLE out
                ERROR_VARIABLE err)
message("${out}${err}")
if(NOT "${status}" STREQUAL "${EXPECT_STATUS}")
  message(FATAL_ERROR "exit status ${status}, expected ${EXPECT_STATUS}")
endif()
if(NOT "${out}${err}" MATCHES "${EXPECT_OUTPUT}")
  message(FATAL_ERROR "the output does not match \"${EXPECT_OUTPUT}\"")
endif()
