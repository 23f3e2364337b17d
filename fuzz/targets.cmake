# The fuzz targets and what each one links: shared by the libFuzzer build (fuzz/CMakeLists.txt)
# and the corpus replay of the test suite (fuzz/replay.cmake).
set(OMBRA_FUZZ_DIR ${CMAKE_CURRENT_LIST_DIR})
set(OMBRA_FUZZ_TARGETS open_parameters data_file remembered_locations field_value script_parser)

# Adds `executable`, the entry point of fuzz target `target` (fuzz/<target>_fuzz.cpp), with the
# sources given after it and what the target uses: support sources and libraries.
function(ombra_fuzz_executable target executable)
  set(support ${CMAKE_SOURCE_DIR}/tests/support)
  # The module code bound in-process through the test binding.
  set(module ${support}/core_binding.cpp data_extension_core data_module_resources
             host_interpreter extension_host)
  set(uses_open_parameters ${module})
  set(uses_data_file ${support}/data_file_model.cpp ${support}/temp_folder.cpp ${module})
  set(uses_remembered_locations data_extension_core)
  set(uses_field_value host_interpreter)
  set(uses_script_parser ombra_core)
  set(sources ${uses_${target}})
  list(FILTER sources INCLUDE REGEX "\\.cpp$")
  set(libraries ${uses_${target}})
  list(FILTER libraries EXCLUDE REGEX "\\.cpp$")
  add_executable(${executable} ${OMBRA_FUZZ_DIR}/${target}_fuzz.cpp ${sources} ${ARGN})
  target_include_directories(${executable} PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(${executable} PRIVATE ${libraries})
endfunction()
