# Fuzz targets. Each file in targets/ is one LLVMFuzzerTestOneInput. With any
# compiler every target builds as a replay program whose test runs the seeds
# that make_seeds writes at build time and the inputs kept in regressions/<target>/.
# With BRINDLEMOX_FUZZ=ON (clang) each also builds as a libFuzzer program fuzz_<target>.
set(FUZZ_DIR ${CMAKE_SOURCE_DIR}/tests/fuzz)
set(FUZZ_SEEDS ${CMAKE_BINARY_DIR}/fuzz-seeds)
file(GLOB FUZZ_TARGET_SOURCES CONFIGURE_DEPENDS ${FUZZ_DIR}/targets/*.cpp)

add_library(brindlemox_fuzz_support STATIC ${FUZZ_DIR}/fuzz_support.cpp)
target_link_libraries(brindlemox_fuzz_support PUBLIC ${HEADLESS_LINK})

add_executable(brindlemox_make_seeds ${FUZZ_DIR}/make_seeds.cpp)
target_link_libraries(brindlemox_make_seeds PRIVATE brindlemox_fuzz_support ${HEADLESS_LINK})
add_custom_command(OUTPUT ${FUZZ_SEEDS}/.made
  COMMAND brindlemox_make_seeds ${FUZZ_SEEDS}
  COMMAND ${CMAKE_COMMAND} -E touch ${FUZZ_SEEDS}/.made
  DEPENDS brindlemox_make_seeds
  COMMENT "Writing the fuzz targets' seeds")
add_custom_target(brindlemox_fuzz_seeds ALL DEPENDS ${FUZZ_SEEDS}/.made)

foreach(source IN LISTS FUZZ_TARGET_SOURCES)
  get_filename_component(name ${source} NAME_WE)
  add_executable(fuzz_replay_${name} ${source} ${FUZZ_DIR}/replay_main.cpp)
  target_link_libraries(fuzz_replay_${name} PRIVATE brindlemox_fuzz_support ${HEADLESS_LINK})
  add_dependencies(fuzz_replay_${name} brindlemox_fuzz_seeds)
  add_test(NAME Fuzz.Replay.${name}
           COMMAND fuzz_replay_${name} ${FUZZ_SEEDS}/${name} ${FUZZ_DIR}/regressions/${name})
  set_tests_properties(Fuzz.Replay.${name} PROPERTIES TIMEOUT 120)
  if(BRINDLEMOX_FUZZ)
    add_executable(fuzz_${name} ${source})
    target_link_libraries(fuzz_${name} PRIVATE brindlemox_fuzz_support ${HEADLESS_LINK})
    target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
  endif()
endforeach()
