# vexa_add_test(name SOURCES ... LIBS ...): one GoogleTest executable in build/bin,
# discovered by CTest; every test runs on the offscreen platform with a private HOME
# so that no test touches the real user's folders.
function(vexa_add_test name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE vexa_options GTest::gtest GTest::gmock ${ARG_LIBS})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 120)
  endif()
  gtest_discover_tests(${name}
    TEST_PREFIX "${name}."
    DISCOVERY_TIMEOUT 30
    PROPERTIES
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
      TIMEOUT ${ARG_TIMEOUT}
      LABELS "${ARG_LABELS}")
endfunction()
