# The seed corpora as test cases: each fuzz target's entry point with a plain main that runs it on
# every file of fuzz/corpus/<target> (no libFuzzer, so every compiler and sanitizer build runs
# them). Included by tests/CMakeLists.txt.
include(${CMAKE_CURRENT_LIST_DIR}/targets.cmake)
foreach(target ${OMBRA_FUZZ_TARGETS})
  ombra_fuzz_executable(${target} replay_${target} ${OMBRA_FUZZ_DIR}/replay_main.cpp)
  add_test(NAME fuzz_replay.${target}
           COMMAND replay_${target} ${OMBRA_FUZZ_DIR}/corpus/${target})
endforeach()
