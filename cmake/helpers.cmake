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

# vx_host_preload(target source var): a preload library for the Wine process
# of the tests, built with the host compiler for the bitness of the Wine
# process that runs this build's programs (a 64-bit library is ignored by
# 32-bit Wine, "wrong ELF class"). Its path goes into the cache variable var.
function(vx_host_preload target source var)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(arch -m32)
  else()
    set(arch -m64)
  endif()
  set(so ${CMAKE_BINARY_DIR}/host/lib${target}.so)
  set(${var} ${so} CACHE INTERNAL "")
  add_custom_command(OUTPUT ${so}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/host
    COMMAND /usr/bin/gcc ${arch} -shared -fPIC -O2 -Wall -o ${so} ${source} -ldl
    DEPENDS ${source}
    COMMENT "Host preload library ${target}")
  add_custom_target(${target} ALL DEPENDS ${so})
endfunction()
