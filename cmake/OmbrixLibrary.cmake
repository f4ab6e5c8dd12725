# ombrix_add_library(<target> SHARED|STATIC
#     [SOURCES_GLOB <glob>...]   sources relative to the folder (default src/*.cpp)
#     [TESTS_GLOB <glob>...]     test sources (default tests/*.cpp)
#     [FUZZ_GLOB <glob>...]      fuzz targets (default fuzz/*.cpp)
#     [LINKS <target>...]        public link dependencies
#     [PRIVATE_LINKS <target>...]
#     [TEST_LINKS <target>...]   extra libraries for the test program
#     [TEST_ENV <VAR=value>...]  environment of the tests
#     [TEST_LABEL unit|ui]       label of the library's tests (default unit)
#     [SLOW_TESTS <filter>]      gtest filter of tests labelled slow
#     [REALDATA_TESTS <filter>]  gtest filter of tests on real observations
#     [NO_SANITIZE_TESTS])       skip the tests in sanitizer builds
#
# Builds the library from the calling folder's src/, exports include/, and adds
#   tests/*.cpp  -> <target>_tests, discovered by CTest and labelled <target>
#                   and unit, ui, slow or realdata, each label with its timeout;
#                   every test runs with HOME and the XDG folders in a private
#                   tree (the test main of testsupport/ makes one per process);
#   ${CMAKE_SOURCE_DIR}/bench/<target>/*.cpp -> bench_<target>_<name> programs;
#   fuzz/*.cpp   -> fuzz_<name> libFuzzer programs (OMBRIX_FUZZ builds only).
function(ombrix_add_library target kind)
  cmake_parse_arguments(ARG "NO_SANITIZE_TESTS" "TEST_LABEL;SLOW_TESTS;REALDATA_TESTS" "SOURCES_GLOB;TESTS_GLOB;FUZZ_GLOB;LINKS;PRIVATE_LINKS;TEST_LINKS;TEST_ENV" ${ARGN})
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
                            ombrix_testsupport_main)
      target_compile_definitions(${target}_tests PRIVATE
        OMBRIX_TEST_DATA="${CMAKE_CURRENT_SOURCE_DIR}/tests/data"
        OMBRIX_SHARED_DATA="${CMAKE_SOURCE_DIR}/../shared/data")
      if(NOT ARG_TEST_LABEL)
        set(ARG_TEST_LABEL unit)
      endif()
      set(home ${CMAKE_BINARY_DIR}/test-home/${target})
      file(MAKE_DIRECTORY ${home}/home ${home}/config ${home}/data ${home}/cache)
      set(env QT_QPA_PLATFORM=offscreen HOME=${home}/home XDG_CONFIG_HOME=${home}/config
              XDG_DATA_HOME=${home}/data XDG_CACHE_HOME=${home}/cache ${ARG_TEST_ENV})
      ombrix_discover_tests(${target} "${env}" ${ARG_TEST_LABEL} "${ARG_SLOW_TESTS}" "${ARG_REALDATA_TESTS}")
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

# Timeouts in seconds of the test labels.
set(OMBRIX_TEST_TIMEOUT_unit 60)
set(OMBRIX_TEST_TIMEOUT_ui 60)
set(OMBRIX_TEST_TIMEOUT_slow 300)
set(OMBRIX_TEST_TIMEOUT_realdata 120)

# Registers the tests of <target>_tests with CTest: those matching the slow
# and real-data filters under those labels, the others under `label`.
function(ombrix_discover_tests target env label slow_filter realdata_filter)
  set(rest "")
  foreach(kind slow realdata)
    set(filter "${${kind}_filter}")
    if(filter)
      ombrix_discover_group(${target} "${env}" ${kind} TEST_FILTER "${filter}")
      string(APPEND rest ":${filter}")
    endif()
  endforeach()
  if(rest)
    string(SUBSTRING "${rest}" 1 -1 rest)
    ombrix_discover_group(${target} "${env}" ${label} TEST_FILTER "-${rest}")
  else()
    ombrix_discover_group(${target} "${env}" ${label})
  endif()
endfunction()

# One group of discovered tests with its labels, environment and timeout.
# gtest_discover_tests flattens list-valued PROPERTIES (two labels, several
# environment variables), so the properties are set afterwards by a script
# CTest includes once the group's test names are known.
function(ombrix_discover_group target env label)
  set(list_name ${target}_${label}_tests)
  gtest_discover_tests(${target}_tests ${ARGN} TEST_LIST ${list_name}
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR} DISCOVERY_TIMEOUT 60)
  set(script ${CMAKE_CURRENT_BINARY_DIR}/${list_name}_properties.cmake)
  file(WRITE ${script}
    "foreach(test IN LISTS ${list_name})\n"
    "  set_tests_properties(\"\${test}\" PROPERTIES LABELS [==[${target};${label}]==]\n"
    "    ENVIRONMENT [==[${env}]==] TIMEOUT ${OMBRIX_TEST_TIMEOUT_${label}})\n"
    "endforeach()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${script})
endfunction()
