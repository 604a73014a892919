# vx_unit_test(name SOURCES... LIBS ...): a GoogleTest program registered with ctest.
# Natively it runs directly; in the Windows build it runs under Wine.
function(vx_unit_test name)
  cmake_parse_arguments(A "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  if(WIN32)
    target_link_libraries(${name} PRIVATE ${A_LIBS} gtest gtest_main)
    target_link_options(${name} PRIVATE -mconsole)
  else()
    target_link_libraries(${name} PRIVATE ${A_LIBS} GTest::gtest GTest::gtest_main)
  endif()
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  add_test(NAME ${name} COMMAND ${name})
endfunction()
