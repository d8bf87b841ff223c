# GoogleTest from the sources Debian's googletest package installs, built with
# the cross compiler.
set(KF_GTEST_DIR /usr/src/googletest CACHE PATH "GoogleTest sources")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(${KF_GTEST_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

include(GoogleTest)

# kf_add_gtest(<target> [CODEPAGES 932 1252] [DESKTOP] [TIMEOUT s] [PROPERTIES p v...])
#
# Registers the tests of a GoogleTest program with ctest, once per code page.
# DESKTOP tests share the clipboard, the focus and the window station of the
# build's Wine prefix, so they never run at the same time.
function(kf_add_gtest target)
  cmake_parse_arguments(ARG "DESKTOP" "TIMEOUT" "CODEPAGES;PROPERTIES" ${ARGN})
  if(NOT ARG_CODEPAGES)
    set(ARG_CODEPAGES 1252)
  endif()
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 60)
  endif()
  set(props TIMEOUT ${ARG_TIMEOUT})
  if(ARG_DESKTOP)
    list(APPEND props RESOURCE_LOCK desktop)
  endif()
  list(APPEND props ${ARG_PROPERTIES})
  foreach(cp IN LISTS ARG_CODEPAGES)
    gtest_discover_tests(${target}
      TEST_PREFIX "cp${cp}."
      DISCOVERY_MODE PRE_TEST
      DISCOVERY_TIMEOUT 60
      PROPERTIES ${props} ENVIRONMENT "KF_CODEPAGE=${cp}")
  endforeach()
endfunction()
