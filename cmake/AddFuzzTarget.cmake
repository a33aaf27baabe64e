# add_fuzz_target(NAME <name> SOURCES <files...> LIBS <targets...>)
#
# A libFuzzer executable fuzz_<name> in <build>/fuzz/bin/, built with
# -fsanitize=fuzzer,address,undefined (only when TOBRIK_FUZZ is on, with
# clang). Its seed corpus is fuzz/corpus/<name>/; scripts/fuzz.sh runs every
# target it finds there. The target `fuzz_all` builds them all.
if(NOT TARGET fuzz_all)
  add_custom_target(fuzz_all)
endif()

function(add_fuzz_target)
  cmake_parse_arguments(F "" "NAME" "SOURCES;LIBS" ${ARGN})
  set(target fuzz_${F_NAME})
  add_executable(${target} ${F_SOURCES})
  target_link_libraries(${target} PRIVATE ${F_LIBS} tobrik_flags)
  target_compile_options(${target} PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_options(${target} PRIVATE -fsanitize=fuzzer,address,undefined)
  set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz/bin)
  add_dependencies(fuzz_all ${target})
endfunction()
