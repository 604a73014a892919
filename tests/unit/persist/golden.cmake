# vx_golden_files(target): the control's stored descriptions, written by
# make_golden.py into the calling folder's build folder for `target`, which
# finds them under VX_GOLDEN_DIR.
include_guard(GLOBAL)
function(vx_golden_files target)
  set(dir ${CMAKE_CURRENT_BINARY_DIR}/golden)
  set(script ${CMAKE_SOURCE_DIR}/tests/unit/persist/make_golden.py)
  add_custom_command(OUTPUT ${dir}/monitor.bin
    COMMAND /usr/bin/python3 ${script} ${dir}
    DEPENDS ${script}
    COMMENT "Stored descriptions of the control")
  add_custom_target(${target}_golden DEPENDS ${dir}/monitor.bin)
  add_dependencies(${target} ${target}_golden)
  if(WIN32)
    # Under Wine an absolute Linux path is reached through drive Z:.
    set(prefix Z:)
  endif()
  target_compile_definitions(${target} PRIVATE VX_GOLDEN_DIR="${prefix}${dir}")
endfunction()
