# ombrix_add_library(<target> SHARED|STATIC
#     [SOURCES_GLOB <glob>...]   sources relative to the folder (default src/*.cpp)
#     [TESTS_GLOB <glob>...]     test sources (default tests/*.cpp)
#     [FUZZ_GLOB <glob>...]      fuzz targets (default fuzz/*.cpp)
#     [LINKS <target>...]        public link dependencies
#     [PRIVATE_LINKS <target>...]
#     [TEST_LINKS <target>...]   extra libraries for the test program
#     [TEST_ENV <VAR=value>...]  environment of the tests
#     [NO_SANITIZE_TESTS])       skip the tests in sanitizer builds
#
# Builds the library from the calling folder's src/, exports include/, and adds
#   tests/*.cpp  -> <target>_tests, discovered by CTest and labelled <target>;
#   ${CMAKE_SOURCE_DIR}/bench/<target>/*.cpp -> bench_<target>_<name> programs;
#   fuzz/*.cpp   -> fuzz_<name> libFuzzer programs (OMBRIX_FUZZ builds only).
function(ombrix_add_library target kind)
  cmake_parse_arguments(ARG "NO_SANITIZE_TESTS" "" "SOURCES_GLOB;TESTS_GLOB;FUZZ_GLOB;LINKS;PRIVATE_LINKS;TEST_LINKS;TEST_ENV" ${ARGN})
  if(NOT ARG_SOURCES_GLOB)
    set(ARG_SOURCES_GLOB src/*.cpp)
  endif()
  set(globs)
  foreach(g IN LISTS ARG_SOURCES_GLOB)
    list(APPEND globs ${CMAKE_CURRENT_SOURCE_DIR}/${g})
  endforeach()
  file(GLOB sources CONFIGURE_DEPENDS ${globs})
  add_library(${target} ${kind} ${sources})
  target_include_directories(${target} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/include
                                       PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/src)
  target_link_libraries(${target} PUBLIC ${ARG_LINKS} PRIVATE ${ARG_PRIVATE_LINKS})

  if(NOT ARG_TESTS_GLOB)
    set(ARG_TESTS_GLOB tests/*.cpp)
  endif()
  if(NOT ARG_FUZZ_GLOB)
    set(ARG_FUZZ_GLOB fuzz/*.cpp)
  endif()
  list(TRANSFORM ARG_TESTS_GLOB PREPEND ${CMAKE_CURRENT_SOURCE_DIR}/)
  list(TRANSFORM ARG_FUZZ_GLOB PREPEND ${CMAKE_CURRENT_SOURCE_DIR}/)
  file(GLOB tests CONFIGURE_DEPENDS ${ARG_TESTS_GLOB})
  if(OMBRIX_TESTS AND tests AND NOT (OMBRIX_FUZZ))
    if(NOT (OMBRIX_SANITIZE AND ARG_NO_SANITIZE_TESTS))
      add_executable(${target}_tests ${tests})
      target_include_directories(${target}_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/src
                                                         ${CMAKE_CURRENT_SOURCE_DIR}/tests)
      target_link_libraries(${target}_tests PRIVATE ${target} ${ARG_TEST_LINKS}
                            GTest::gtest GTest::gmock GTest::gtest_main)
      target_compile_definitions(${target}_tests PRIVATE
        OMBRIX_TEST_DATA="${CMAKE_CURRENT_SOURCE_DIR}/tests/data"
        OMBRIX_SHARED_DATA="${CMAKE_SOURCE_DIR}/../shared/data")
      set(env QT_QPA_PLATFORM=offscreen ${ARG_TEST_ENV})
      gtest_discover_tests(${target}_tests
        WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
        PROPERTIES LABELS ${target} ENVIRONMENT "${env}"
        DISCOVERY_TIMEOUT 60)
    endif()
  endif()

  file(GLOB benches CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/${target}/*.cpp)
  if(OMBRIX_BENCH)
    foreach(b IN LISTS benches)
      get_filename_component(name ${b} NAME_WE)
      add_executable(bench_${target}_${name} ${b})
      target_link_libraries(bench_${target}_${name} PRIVATE ${target} ${ARG_TEST_LINKS} benchmark::benchmark)
    endforeach()
  endif()

  file(GLOB fuzzers CONFIGURE_DEPENDS ${ARG_FUZZ_GLOB})
  if(OMBRIX_FUZZ)
    foreach(f IN LISTS fuzzers)
      # fuzz/fuzz_<name>.cpp or fuzz/<name>.cpp both give the program fuzz_<name>.
      get_filename_component(name ${f} NAME_WE)
      string(REGEX REPLACE "^fuzz_" "" name ${name})
      add_executable(fuzz_${name} ${f})
      target_compile_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
      target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
      target_link_libraries(fuzz_${name} PRIVATE ${target} ${ARG_TEST_LINKS})
    endforeach()
  endif()
endfunction()
