# tavrin_add_test(NAME name SOURCES ... LIBS ... LABELS ...)
#
# One ctest case per test program: under Wine every process start costs a
# wineserver round trip, so the programs run their GoogleTest cases in one go.
function(tavrin_add_test)
  cmake_parse_arguments(T "" "NAME;TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} tavrin_gtest_main)
  add_test(NAME ${T_NAME} COMMAND ${T_NAME} --gtest_brief=1)
  set(labels ${T_LABELS})
  if(CMAKE_CROSSCOMPILING_EMULATOR)
    list(APPEND labels wine)
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${T_NAME} PROPERTIES LABELS "${labels}" TIMEOUT ${T_TIMEOUT}
                       SKIP_RETURN_CODE 77
                       WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
  # Natively every test program keeps its settings in a database of its own;
  # under Wine they share the prefix's registry, so the programs that go
  # through the library's exports take turns.
  if(CMAKE_CROSSCOMPILING_EMULATOR AND "integration" IN_LIST T_LABELS)
    set_tests_properties(${T_NAME} PROPERTIES RESOURCE_LOCK wine_registry)
  endif()
endfunction()
