# Windows-side and end-to-end tests run under Wine through tests/support/wine/wine-session.
# Each Wine "instance" is its own prefix, wineserver and Xvfb display:
#   zh  zh_CN.UTF-8 (ANSI code page 936, as on the users' systems)
#   c   C.UTF-8 (code page 1252)
# The fixture tests wine_up_<instance> / wine_down_<instance> start and stop an instance once
# for the whole run; every test that uses it requires the fixture.

set(KELVO_WINE_SESSION ${PROJECT_SOURCE_DIR}/tests/support/wine/wine-session)
set(KELVO_WINE_ROOT ${PROJECT_BINARY_DIR}/wine)
set(KELVO_ARTIFACTS ${PROJECT_BINARY_DIR}/artifacts)

function(kelvo_wine_instance instance)
  # Tests of several folders share an instance: its fixture is defined once for the project.
  get_property(defined GLOBAL PROPERTY KELVO_WINE_INSTANCES)
  if(TARGET kelvo_keeper AND NOT instance IN_LIST defined)
    set_property(GLOBAL APPEND PROPERTY KELVO_WINE_INSTANCES ${instance})
    add_test(NAME wine_up_${instance}
             COMMAND ${KELVO_WINE_SESSION} up ${instance} $<TARGET_FILE:kelvo_keeper>)
    add_test(NAME wine_down_${instance} COMMAND ${KELVO_WINE_SESSION} down ${instance})
    set_tests_properties(wine_up_${instance} PROPERTIES FIXTURES_SETUP wine_${instance}
                         ENVIRONMENT "KELVO_WINE_ROOT=${KELVO_WINE_ROOT}" TIMEOUT 240)
    set_tests_properties(wine_down_${instance} PROPERTIES FIXTURES_CLEANUP wine_${instance}
                         ENVIRONMENT "KELVO_WINE_ROOT=${KELVO_WINE_ROOT}" TIMEOUT 60)
  endif()
endfunction()

# kelvo_add_wine_test(NAME <name> COMMAND <target> [args...] [INSTANCE zh|c] [TIMEOUT s])
function(kelvo_add_wine_test)
  cmake_parse_arguments(ARG "" "NAME;INSTANCE;TIMEOUT" "COMMAND" ${ARGN})
  if(NOT ARG_INSTANCE)
    set(ARG_INSTANCE zh)
  endif()
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 180)
  endif()
  kelvo_wine_instance(${ARG_INSTANCE})
  list(POP_FRONT ARG_COMMAND exe)
  add_test(NAME ${ARG_NAME}
           COMMAND ${KELVO_WINE_SESSION} run ${ARG_INSTANCE} $<TARGET_FILE:${exe}> ${ARG_COMMAND})
  # The program under Wine is stopped a little before CTest gives up on the test, so its output
  # still reaches the log.
  math(EXPR run_timeout "${ARG_TIMEOUT} - 10")
  set_tests_properties(${ARG_NAME} PROPERTIES
    FIXTURES_REQUIRED wine_${ARG_INSTANCE}
    RESOURCE_LOCK wine_${ARG_INSTANCE}
    TIMEOUT ${ARG_TIMEOUT}
    ENVIRONMENT
      "KELVO_WINE_ROOT=${KELVO_WINE_ROOT};KELVO_ARTIFACTS=${KELVO_ARTIFACTS};KELVO_WINE_RUN_TIMEOUT=${run_timeout}")
endfunction()

# The tests' loopback HTTPS server (tests/support/https): the version page the program asks at
# start, and the pages of the WinHTTP tests. Up once for the whole run.
set(KELVO_TEST_SERVER_STATE ${PROJECT_BINARY_DIR}/test-https-server)
set(KELVO_TEST_SERVER_SCRIPT ${PROJECT_SOURCE_DIR}/tests/support/https/test-https-server)

# kelvo_use_test_server(<test>): the test needs the server and learns its address and folder.
function(kelvo_use_test_server test)
  get_property(defined GLOBAL PROPERTY KELVO_TEST_SERVER_DEFINED)
  if(NOT defined)
    set_property(GLOBAL PROPERTY KELVO_TEST_SERVER_DEFINED TRUE)
    add_test(NAME test_https_server_up COMMAND ${KELVO_TEST_SERVER_SCRIPT} up
             ${KELVO_TEST_SERVER_STATE} ${KELVO_TEST_SERVER_PORT})
    add_test(NAME test_https_server_down COMMAND ${KELVO_TEST_SERVER_SCRIPT} down
             ${KELVO_TEST_SERVER_STATE})
    set_tests_properties(test_https_server_up PROPERTIES FIXTURES_SETUP test_https_server TIMEOUT 30)
    set_tests_properties(test_https_server_down PROPERTIES FIXTURES_CLEANUP test_https_server
                         TIMEOUT 30)
  endif()
  set_property(TEST ${test} APPEND PROPERTY FIXTURES_REQUIRED test_https_server)
  set_property(TEST ${test} APPEND PROPERTY ENVIRONMENT
    "KELVO_TEST_SERVER=${KELVO_TEST_SERVER}" "KELVO_TEST_SERVER_DIR=${KELVO_TEST_SERVER_STATE}")
endfunction()
