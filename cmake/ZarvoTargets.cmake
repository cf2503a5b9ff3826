# Shared build settings, applied per target (no global flag surgery), and the layer mechanism.

add_library(zarvo_warnings INTERFACE)
target_compile_options(zarvo_warnings INTERFACE -Wall -Wextra -Wpedantic)
# A result that can fail (zarvo::Error, zarvo::Expected, anything [[nodiscard]]) is never dropped
# silently: in every build, not only in the strict one.
target_compile_options(zarvo_warnings INTERFACE -Werror=unused-result)
if(ZARVO_WERROR)
  target_compile_options(zarvo_warnings INTERFACE -Werror)
endif()

# Every layer of the library is an object library that sees only its own headers and those of the
# layers it declares: its include root holds nothing but a link to its own folder, so an include of a
# layer it does not depend on (a lower layer reaching up) finds no file and fails to build.
set(ZARVO_LAYER_ROOTS "${PROJECT_BINARY_DIR}/include-roots")
# Generated headers (zarvo/version.h).
set(ZARVO_GENERATED_ROOT "${ZARVO_LAYER_ROOTS}/generated")

# zarvo_include_root(NAME SOURCE_FOLDER INCLUDE_PATH) -> ${NAME}_ROOT in the caller's scope: a folder
# whose only entry, INCLUDE_PATH, links to SOURCE_FOLDER.
function(zarvo_include_root name folder include_path)
  set(root "${ZARVO_LAYER_ROOTS}/${name}")
  get_filename_component(parent "${root}/${include_path}" DIRECTORY)
  file(MAKE_DIRECTORY "${parent}")
  file(CREATE_LINK "${folder}" "${root}/${include_path}" SYMBOLIC)
  set(${name}_ROOT "${root}" PARENT_SCOPE)
endfunction()

# zarvo_add_layer(NAME [PUBLIC deps...] [PRIVATE deps...])
# Makes the object library zarvo_NAME for the folder zarvo/NAME (the calling folder), with the
# include root "zarvo/NAME". PUBLIC deps are the layers (and libraries) its public headers need;
# PRIVATE ones only its sources. Tests registered afterwards in the same folder link this layer and
# the layers below it, nothing above.
function(zarvo_add_layer name)
  cmake_parse_arguments(ARG "" "" "PUBLIC;PRIVATE" ${ARGN})
  set(target zarvo_${name})
  add_library(${target} OBJECT)
  zarvo_include_root(${name} "${CMAKE_CURRENT_SOURCE_DIR}" "zarvo/${name}")
  target_include_directories(${target} PUBLIC "$<BUILD_INTERFACE:${${name}_ROOT}>")
  target_link_libraries(${target} PUBLIC ${ARG_PUBLIC} PRIVATE ${ARG_PRIVATE} zarvo_warnings)
  # The object libraries whose objects a program using this layer links: itself and every layer
  # below it (usage requirements propagate through object libraries, their objects do not).
  set(closure ${target})
  foreach(dep IN LISTS ARG_PUBLIC ARG_PRIVATE)
    if(TARGET ${dep})
      get_target_property(dep_closure ${dep} ZARVO_LAYER_CLOSURE)
      if(dep_closure)
        list(APPEND closure ${dep_closure})
      endif()
    endif()
  endforeach()
  list(REMOVE_DUPLICATES closure)
  set_target_properties(${target} PROPERTIES ZARVO_LAYER_CLOSURE "${closure}")
  set_property(GLOBAL APPEND PROPERTY ZARVO_LAYERS ${name})
  set(ZARVO_LAYER ${name} PARENT_SCOPE)
endfunction()

# zarvo_add_test(NAME SOURCES... [LIBS ...] [BOTH_REGEX_BACKENDS])
# Builds one GoogleTest executable and registers each of its tests with CTest. In a layer's folder the
# test links that layer and the ones below it (so a test cannot reach up either); elsewhere the whole
# library. BOTH_REGEX_BACKENDS also runs the whole executable once under the regular-expression engine
# that is not the build's default (test NAME.regex_<engine>), so results are checked under both.
function(zarvo_add_test name)
  if(NOT ZARVO_BUILD_TESTS)
    return()
  endif()
  # TIMEOUT: seconds before CTest calls the test hung, for tests that run the program hundreds of
  # times and so take minutes on a loaded machine (default: the preset's).
  cmake_parse_arguments(ARG "BOTH_REGEX_BACKENDS" "TIMEOUT" "LIBS" ${ARGN})
  set(timeout)
  if(ARG_TIMEOUT)
    set(timeout TIMEOUT ${ARG_TIMEOUT})
  endif()
  add_executable(${name} ${ARG_UNPARSED_ARGUMENTS})
  if(ZARVO_LAYER)
    get_target_property(library zarvo_${ZARVO_LAYER} ZARVO_LAYER_CLOSURE)
  else()
    set(library zarvokit)
  endif()
  target_link_libraries(${name} PRIVATE ${library} zarvo_testing GTest::gmock GTest::gtest_main zarvo_warnings
                                        ${ARG_LIBS})
  if(ZARVO_UNOPTIMIZED_TESTS)
    target_compile_options(${name} PRIVATE -O0)
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 120
    # Two properties rather than one ";"-separated ENVIRONMENT value: the discovery script splits
    # lists, which left ZARVO_BINARY_DIR unset.
    PROPERTIES
      ENVIRONMENT "ZARVO_SOURCE_DIR=${PROJECT_SOURCE_DIR}"
      ENVIRONMENT_MODIFICATION "ZARVO_BINARY_DIR=set:${PROJECT_BINARY_DIR}"
      ${timeout})
  if(ARG_BOTH_REGEX_BACKENDS)
    if(ZARVO_REGEX_BACKEND STREQUAL "icu")
      set(other pcre2)
    else()
      set(other icu)
    endif()
    add_test(NAME ${name}.regex_${other} COMMAND ${name})
    set_tests_properties(${name}.regex_${other} PROPERTIES
      ENVIRONMENT "ZARVO_REGEX_BACKEND=${other};ZARVO_SOURCE_DIR=${PROJECT_SOURCE_DIR};ZARVO_BINARY_DIR=${PROJECT_BINARY_DIR}")
  endif()
endfunction()
