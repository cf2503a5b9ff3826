# Shared build settings, applied per target (no global flag surgery).

add_library(zarvo_warnings INTERFACE)
target_compile_options(zarvo_warnings INTERFACE -Wall -Wextra -Wpedantic)
if(ZARVO_WERROR)
  target_compile_options(zarvo_warnings INTERFACE -Werror)
endif()

# zarvo_add_test(NAME SOURCES... [LIBS ...])
# Builds one GoogleTest executable and registers each of its tests with CTest.
function(zarvo_add_test name)
  if(NOT ZARVO_BUILD_TESTS)
    return()
  endif()
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  add_executable(${name} ${ARG_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE zarvokit GTest::gmock GTest::gtest_main zarvo_warnings ${ARG_LIBS})
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 120
    # Two properties rather than one ";"-separated ENVIRONMENT value: the discovery script splits
    # lists, which left ZARVO_BINARY_DIR unset.
    PROPERTIES
      ENVIRONMENT "ZARVO_SOURCE_DIR=${PROJECT_SOURCE_DIR}"
      ENVIRONMENT_MODIFICATION "ZARVO_BINARY_DIR=set:${PROJECT_BINARY_DIR}")
endfunction()
