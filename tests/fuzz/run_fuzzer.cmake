# SPDX-License-Identifier: GPL-3.0-or-later
# Runs one fuzzer for SECONDS on a fresh copy of SEEDS in WORK; a crash, a
# sanitizer report or a broken invariant fails the test, and the input that
# did it is left in WORK/artifacts.
foreach(v FUZZER SEEDS WORK SECONDS)
  if(NOT DEFINED ${v})
    message(FATAL_ERROR "run_fuzzer.cmake: ${v} not given")
  endif()
endforeach()

file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/corpus" "${WORK}/artifacts")
file(GLOB seeds "${SEEDS}/*")
if(seeds)
  file(COPY ${seeds} DESTINATION "${WORK}/corpus")
endif()

set(options -max_total_time=${SECONDS} -print_final_stats=1 -timeout=10 -rss_limit_mb=2048
            -artifact_prefix=${WORK}/artifacts/)
if(MAX_LEN)
  list(APPEND options -max_len=${MAX_LEN})
endif()
execute_process(COMMAND "${FUZZER}" ${options} "${WORK}/corpus" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  file(GLOB found "${WORK}/artifacts/*")
  message(FATAL_ERROR "${FUZZER} failed (${rc}); inputs kept: ${found}")
endif()
