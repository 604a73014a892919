# The Linkor control: its type library compiled by widl, its resources and
# the in-process server LINKOR.OCX.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  set(vx_mingw x86_64-w64-mingw32)
  set(vx_widl_arch -m64)
  set(vx_stdole_hint /usr/lib/x86_64-linux-gnu/wine/x86_64-windows)
else()
  set(vx_mingw i686-w64-mingw32)
  set(vx_widl_arch -m32)
  set(vx_stdole_hint /usr/lib/i386-linux-gnu/wine/i386-windows)
endif()
find_program(VX_WIDL NAMES ${vx_mingw}-widl widl REQUIRED NO_CMAKE_FIND_ROOT_PATH)
find_path(VX_STDOLE_DIR stdole2.tlb PATHS ${vx_stdole_hint} REQUIRED NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
find_path(VX_WINE_IDL_DIR oaidl.idl PATHS /usr/include/wine/wine/windows /usr/include/wine/windows
          REQUIRED NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)

set(vx_idl ${CMAKE_CURRENT_SOURCE_DIR}/linkor.idl)
set(vx_gen ${CMAKE_CURRENT_BINARY_DIR}/linkor_gen)
file(MAKE_DIRECTORY ${vx_gen})
# widl writes one output per run.
add_custom_command(OUTPUT ${vx_gen}/linkor_idl.h
  COMMAND ${VX_WIDL} -I${VX_WINE_IDL_DIR} -h -o ${vx_gen}/linkor_idl.h ${vx_idl}
  DEPENDS ${vx_idl} ${CMAKE_CURRENT_SOURCE_DIR}/linkor_dispids.h VERBATIM)
add_custom_command(OUTPUT ${vx_gen}/linkor_idl_i.c
  COMMAND ${VX_WIDL} -I${VX_WINE_IDL_DIR} -u -o ${vx_gen}/linkor_idl_i.c ${vx_idl}
  DEPENDS ${vx_idl} ${CMAKE_CURRENT_SOURCE_DIR}/linkor_dispids.h VERBATIM)
add_custom_command(OUTPUT ${vx_gen}/linkor_widl.tlb
  COMMAND ${VX_WIDL} ${vx_widl_arch} -I${VX_WINE_IDL_DIR} -L${VX_STDOLE_DIR} -t -o ${vx_gen}/linkor_widl.tlb ${vx_idl}
  DEPENDS ${vx_idl} ${CMAKE_CURRENT_SOURCE_DIR}/linkor_dispids.h VERBATIM)
find_package(Python3 REQUIRED COMPONENTS Interpreter)
# The library's types in the order that clients walking it by index see.
# widl puts each type that ILinkor's members use right behind ILinkor and
# the coclass last, whatever the order of the IDL, so the order is set here.
set(vx_tlb_order ILinkor ILinkorEvents Linkor
    TxActiveFormBorderStyle TxPrintScale TxMouseButton TxBiDiMode
    TCapiPDG1 TCapiPDG2 TCapiPlayBufferMode TCapiAudioFormat TCapiVoiceMailFileFormat)
add_custom_command(OUTPUT ${vx_gen}/linkor.tlb
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/order_typelib.py
          ${vx_gen}/linkor_widl.tlb ${vx_gen}/linkor.tlb ${vx_tlb_order}
  DEPENDS ${vx_gen}/linkor_widl.tlb ${CMAKE_CURRENT_SOURCE_DIR}/order_typelib.py VERBATIM)
# The control's icons and the link label's hand cursor, drawn from code.
add_custom_command(OUTPUT ${vx_gen}/linkor.ico ${vx_gen}/phone.ico ${vx_gen}/hand.cur
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/make_ui_res.py ${vx_gen}
  DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/make_ui_res.py VERBATIM)
add_custom_command(OUTPUT ${vx_gen}/linkor_res.o
  COMMAND ${CMAKE_RC_COMPILER} -I${CMAKE_CURRENT_SOURCE_DIR} -I${vx_gen} -i ${CMAKE_CURRENT_SOURCE_DIR}/linkor.rc
          -o ${vx_gen}/linkor_res.o
  WORKING_DIRECTORY ${vx_gen}
  DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/linkor.rc ${CMAKE_CURRENT_SOURCE_DIR}/linkor.bmp ${vx_gen}/linkor.tlb
          ${CMAKE_CURRENT_SOURCE_DIR}/linkorui.rc ${vx_gen}/linkor.ico ${vx_gen}/phone.ico ${vx_gen}/hand.cur
  VERBATIM)
add_custom_target(linkor_idl_gen DEPENDS ${vx_gen}/linkor_idl.h ${vx_gen}/linkor_idl_i.c)

# The interface's identifiers and header, for the control and its clients.
add_library(linkor_idl STATIC ${vx_gen}/linkor_idl_i.c)
add_dependencies(linkor_idl linkor_idl_gen)
target_include_directories(linkor_idl PUBLIC ${vx_gen})

# The COM helpers of the control, its property pages and its host.
add_library(linkor_com STATIC comhelpers.cpp)
target_include_directories(linkor_com PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(linkor_com PUBLIC vx_base oleaut32 uuid)

set_source_files_properties(${vx_gen}/linkor_res.o PROPERTIES EXTERNAL_OBJECT TRUE GENERATED TRUE)
add_library(linkor_ocx SHARED
  server.cpp linkorctrl.cpp linkor_automation.cpp linkor_events.cpp linkor_embedding.cpp linkor_persist.cpp
  linkor_pages.cpp comerror.cpp help.cpp engine.cpp
  proppage.cpp abox.cpp urllabel.cpp formsupport.cpp linkorform.cpp
  ${vx_gen}/linkor_res.o ${CMAKE_CURRENT_SOURCE_DIR}/linkor.def)
set_target_properties(linkor_ocx PROPERTIES OUTPUT_NAME LINKOR PREFIX "" SUFFIX .OCX)
target_include_directories(linkor_ocx PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(linkor_ocx PRIVATE linkor_idl linkor_com capi_win32 capi_core vx_widgets vx_base ole32 oleaut32 uuid user32 advapi32
                      gdi32 shell32)
if(NOT CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  # Undecorated stdcall exports, as COM looks them up.
  target_link_options(linkor_ocx PRIVATE -Wl,--kill-at -Wl,--enable-stdcall-fixup)
endif()
