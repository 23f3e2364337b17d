# The fuzz targets and what each one links: shared by the libFuzzer build (fuzz/CMakeLists.txt)
# and the corpus replay of the test suite (fuzz/replay.cmake).
set(OMBRA_FUZZ_DIR ${CMAKE_CURRENT_LIST_DIR})
set(OMBRA_FUZZ_TARGETS open_parameters data_file remembered_locations field_value script_parser)

# Adds `executable`, the entry point of fuzz target `target`, with the sources given after it.
function(ombra_fuzz_executable target executable)
  # The module code bound in-process through the test binding of tests/support.
  set(module_code ${OMBRA_FUZZ_DIR}/module_binding.cpp
                  ${CMAKE_SOURCE_DIR}/tests/support/core_binding.cpp)
  set(module_libraries data_extension_core data_module_resources host_interpreter extension_host)
  if(target STREQUAL "open_parameters")
    set(sources open_parameters_fuzz.cpp ${module_code})
    set(libraries ${module_libraries})
  elseif(target STREQUAL "data_file")
    set(sources data_file_fuzz.cpp data_file_case.cpp input_check.cpp
                ${CMAKE_SOURCE_DIR}/tests/support/data_file_model.cpp
                ${CMAKE_SOURCE_DIR}/tests/support/temp_folder.cpp ${module_code})
    set(libraries ${module_libraries})
  elseif(target STREQUAL "remembered_locations")
    set(sources remembered_locations_fuzz.cpp)
    set(libraries data_extension_core)
  elseif(target STREQUAL "field_value")
    set(sources field_value_fuzz.cpp)
    set(libraries host_interpreter)
  elseif(target STREQUAL "script_parser")
    set(sources script_parser_fuzz.cpp)
    set(libraries ombra_core)
  else()
    message(FATAL_ERROR "unknown fuzz target ${target}")
  endif()
  list(TRANSFORM sources PREPEND ${OMBRA_FUZZ_DIR}/ REGEX "^[^/]")
  add_executable(${executable} ${sources} ${ARGN})
  target_include_directories(${executable} PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(${executable} PRIVATE ${libraries})
endfunction()
