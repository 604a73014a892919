# Vestrix.exe: the monitor's shell (main window, tray, caller-ID window).
set(VESTRIX_RES_DIR ${CMAKE_CURRENT_BINARY_DIR}/res)
set(VESTRIX_RES_FILES
    mainicon.ico iconon.ico iconoff.ico abouticon.ico ring.wav pozadie.bmp bt_config.bmp bt_notify.bmp bt_ring.bmp
    bt_display.bmp bt_history.bmp bt_book.bmp bt_add.bmp bt_view.bmp menu.bmp top.bmp left.bmp right.bmp
    botom.bmp cid.bmp sw_notif.bmp sw_notiferr.bmp sw_zvonec.bmp sw_display.bmp sw_akcia.bmp sw_akciaerr.bmp
    sw_capion.bmp sw_capioff.bmp sw_comon.bmp sw_comoff.bmp sw_lan.bmp)
list(TRANSFORM VESTRIX_RES_FILES PREPEND ${VESTRIX_RES_DIR}/ OUTPUT_VARIABLE VESTRIX_RES_OUTPUTS)
find_package(Python3 REQUIRED COMPONENTS Interpreter)
add_custom_command(OUTPUT ${VESTRIX_RES_OUTPUTS}
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tools/make_resources.py ${VESTRIX_RES_DIR}
    DEPENDS ${CMAKE_SOURCE_DIR}/tools/make_resources.py
    COMMENT "Drawing the monitor's pictures, icons and ring sound")
add_custom_target(vestrix_resources DEPENDS ${VESTRIX_RES_OUTPUTS})
set_source_files_properties(vestrix.rc PROPERTIES OBJECT_DEPENDS "${VESTRIX_RES_OUTPUTS}")

add_library(vestrix_shell STATIC vestrixform.cpp vestrixapp.cpp serialsource.cpp formvytocenie.cpp formcid.cpp callpanel.cpp)
target_link_libraries(vestrix_shell PUBLIC monitor_core contacts_core vx_widgets monitor_win32_net monitor_win32_notify
                      monitor_win32_serial winmm)

add_executable(Vestrix WIN32 main.cpp vestrix.rc)
target_include_directories(Vestrix PRIVATE ${VESTRIX_RES_DIR})
add_dependencies(Vestrix vestrix_resources)
target_link_libraries(Vestrix PRIVATE vestrix_shell ws2_32 comctl32 winmm shell32 ole32 oleaut32 uuid)
target_link_options(Vestrix PRIVATE -mwindows)

# The configuration window and the about box, opened by the main window.
target_sources(vestrix_shell PRIVATE configure.cpp about.cpp vestrixform_commands.cpp)
target_link_libraries(vestrix_shell PUBLIC comctl32 comdlg32)
