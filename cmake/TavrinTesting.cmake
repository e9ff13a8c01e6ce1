# tavrin_add_test(NAME name SOURCES ... LIBS ... LABELS ... [ARGS ...] [SHARDS n])
#
# One ctest case per test program: under Wine every process start costs a
# wineserver round trip, so the programs run their GoogleTest cases in one go.
# ARGS are added to the program's command line (e.g. a --gtest_filter).
# SHARDS n (native builds only) registers the program n times, as
# name_shard<i>of<n>, each running every n-th GoogleTest case
# (GTEST_TOTAL_SHARDS, GTEST_SHARD_INDEX): a program whose cases mostly wait
# on the simulated camera then takes a fraction of its time when ctest runs
# the shards side by side. Each process keeps its own settings and scratch
# files (support/isolation.h), so shards never share one.
# TAVRIN_TEST_LABEL, when set, builds and registers only the test programs
# with that label: the ThreadSanitizer build takes the programs labelled
# "threads", whose code under test runs on more than one thread, since a
# race needs two threads and the rest only cost that build its time.
# Tests that need an X display run under this wrapper, which starts a
# virtual server with a display number no other test holds, so they may run
# side by side (label x11).
set(TAVRIN_VIRTUAL_DISPLAY ${CMAKE_SOURCE_DIR}/tests/support/with_virtual_display.sh)
set(TAVRIN_TEST_LABEL "" CACHE STRING "Only build and register the test programs with this label (empty: all)")

# tavrin_test_wanted(out label...): whether a test program with these labels
# is built in this configuration. A program left out has no target, so
# calls on its target after tavrin_add_test go under if(TARGET name).
function(tavrin_test_wanted out)
  if(NOT TAVRIN_TEST_LABEL OR TAVRIN_TEST_LABEL IN_LIST ARGN)
    set(${out} TRUE PARENT_SCOPE)
  else()
    set(${out} FALSE PARENT_SCOPE)
  endif()
endfunction()

function(tavrin_add_test)
  cmake_parse_arguments(T "" "NAME;TIMEOUT;SHARDS" "SOURCES;LIBS;LABELS;ARGS" ${ARGN})
  tavrin_test_wanted(wanted ${T_LABELS})
  if(NOT wanted)
    return()
  endif()
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} tavrin_gtest_main)
  # A test program is compiled as one unit: GoogleTest's headers alone take
  # a second to read, once a program instead of once a file. GCC warns of
  # the test classes of one file deriving from another file's fixtures in
  # an anonymous namespace, which is what a unit of several files is. Test
  # code needs no -O3 (the code under test keeps it): -O1 halves the time.
  set_target_properties(${T_NAME} PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE 0)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(${T_NAME} PRIVATE -Wno-subobject-linkage)
  endif()
  target_compile_options(${T_NAME} PRIVATE $<$<CONFIG:Release>:-O1>)
  set(labels ${T_LABELS})
  if(CMAKE_CROSSCOMPILING_EMULATOR)
    list(APPEND labels wine)
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  # Under Wine the integration programs take turns anyway (below).
  if(NOT T_SHARDS OR CMAKE_CROSSCOMPILING_EMULATOR)
    set(T_SHARDS 1)
  endif()
  set(tests)
  if(T_SHARDS EQUAL 1)
    add_test(NAME ${T_NAME} COMMAND ${T_NAME} --gtest_brief=1 ${T_ARGS})
    list(APPEND tests ${T_NAME})
  else()
    math(EXPR last "${T_SHARDS} - 1")
    foreach(index RANGE ${last})
      set(test ${T_NAME}_shard${index}of${T_SHARDS})
      add_test(NAME ${test} COMMAND ${T_NAME} --gtest_brief=1 ${T_ARGS})
      set_tests_properties(${test} PROPERTIES ENVIRONMENT "GTEST_TOTAL_SHARDS=${T_SHARDS};GTEST_SHARD_INDEX=${index}")
      list(APPEND tests ${test})
    endforeach()
  endif()
  set_tests_properties(${tests} PROPERTIES LABELS "${labels}" TIMEOUT ${T_TIMEOUT}
                       SKIP_RETURN_CODE 77
                       WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
  # Natively every test program keeps its settings in a database of its own;
  # under Wine a prefix's programs share its registry, so the programs that
  # go through the library's exports take turns on a prefix. They are dealt
  # out to two prefixes by turns, so that two run at a time: the one of the
  # environment (WINEPREFIX) and one in the build folder, which Wine makes
  # at its first use.
  if(CMAKE_CROSSCOMPILING_EMULATOR AND "integration" IN_LIST T_LABELS)
    get_property(dealt GLOBAL PROPERTY TAVRIN_WINE_INTEGRATION_PROGRAMS)
    if(NOT dealt)
      set(dealt 0)
    endif()
    math(EXPR prefix "${dealt} % 2")
    math(EXPR dealt "${dealt} + 1")
    set_property(GLOBAL PROPERTY TAVRIN_WINE_INTEGRATION_PROGRAMS ${dealt})
    set_tests_properties(${tests} PROPERTIES RESOURCE_LOCK wine_registry_${prefix})
    if(prefix EQUAL 1)
      set_property(TEST ${tests} APPEND PROPERTY ENVIRONMENT "WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix-second")
    endif()
  endif()
endfunction()
