# GoogleTest, built from Debian's sources with whatever compiler this tree uses, and the helper
# that turns a test program into ctest tests.

function(project_use_gtest)
  if(TARGET gtest)
    return()
  endif()
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  if(WIN32)
    set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
  endif()
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  foreach(t gtest gtest_main gmock gmock_main)
    if(TARGET ${t})
      # GoogleTest's own sources need exceptions even where ours go without.
      target_compile_options(${t} PRIVATE -fexceptions -w)
    endif()
  endforeach()
endfunction()

# project_add_gtest(TARGET LABEL label SOURCES ...): natively every test case is one ctest
# test; under Wine one ctest test runs one suite, so that a Wine start is paid once per suite.
# Suites are read from the sources, so ctest -R '^GString' picks one area in every build.
function(project_add_gtest target)
  cmake_parse_arguments(ARG "" "LABEL;WINE_FLAGS" "SOURCES;LIBS" ${ARGN})
  project_use_gtest()
  add_executable(${target} ${ARG_SOURCES})
  target_link_libraries(${target} PRIVATE ${ARG_LIBS} gmock gtest_main)
  target_include_directories(${target} PRIVATE ${REPO_ROOT}/src ${REPO_ROOT}/tests)
  if(WIN32)
    target_compile_options(${target} PRIVATE -fexceptions)
    target_link_options(${target} PRIVATE -mconsole)
    set(suites "")
    foreach(src ${ARG_SOURCES})
      file(STRINGS ${src} lines REGEX "^[ \t]*TEST(_F|_P)?\\([A-Za-z0-9_]+,")
      foreach(line ${lines})
        string(REGEX REPLACE "^[ \t]*TEST(_F|_P)?\\(([A-Za-z0-9_]+),.*" "\\2" suite "${line}")
        list(APPEND suites ${suite})
      endforeach()
    endforeach()
    list(REMOVE_DUPLICATES suites)
    foreach(suite ${suites})
      # ctest applies a test's properties to every test of that name in the tree, so a suite
      # that a second program also has (portable tests and Win32 tests of one area) gets the
      # program's name added to keep its label and Wine flags its own.
      get_property(taken GLOBAL PROPERTY PROJECT_WINE_TEST_NAMES)
      set(name ${suite})
      if(suite IN_LIST taken)
        set(name ${suite}:${target})
      endif()
      set_property(GLOBAL APPEND PROPERTY PROJECT_WINE_TEST_NAMES ${name})
      add_test(NAME ${name} COMMAND ${target} --gtest_filter=${suite}.*:*/${suite}.*:${suite}/*)
      set_tests_properties(${name} PROPERTIES LABELS ${ARG_LABEL}
        ENVIRONMENT "WINE_RUN_FLAGS=${ARG_WINE_FLAGS}")
    endforeach()
  else()
    include(GoogleTest)
    gtest_discover_tests(${target} PROPERTIES LABELS ${ARG_LABEL} DISCOVERY_TIMEOUT 30)
  endif()
endfunction()
