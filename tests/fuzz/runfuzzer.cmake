# Runs the fuzzer for a bounded time over the committed corpus; fails on any finding.
file(REMOVE_RECURSE "${SCRATCH}")
file(MAKE_DIRECTORY "${SCRATCH}")
execute_process(
  COMMAND "${FUZZER}" -max_total_time=${SECONDS} -timeout=20 -rss_limit_mb=2048 -max_len=4096
          -dict=${DICT} -print_final_stats=1 -artifact_prefix=${SCRATCH}/ "${SCRATCH}" "${CORPUS}"
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "fuzzer found a failure (exit ${result}); the input is in ${SCRATCH}")
endif()
