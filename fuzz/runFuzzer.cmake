# Runs one fuzz target for SECONDS on a fresh scratch corpus in WORK, seeded from
# SEEDS. Fails on a crash, a leak, a broken property or an input that hangs.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/corpus)
execute_process(
  COMMAND ${FUZZER}
    -max_total_time=${SECONDS}
    -timeout=10
    -max_len=4096
    -print_final_stats=1
    -artifact_prefix=${WORK}/
    ${WORK}/corpus ${SEEDS}
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${FUZZER} failed (${result}); the input is in ${WORK}")
endif()
