# The program itself: KelvoMAX工具.exe.
add_library(kelvo_toolbox_window STATIC toolbox_window.cpp)
target_link_libraries(kelvo_toolbox_window PUBLIC kelvo_app_logic kelvo_win32 comctl32)

add_executable(kelvo_toolbox WIN32 main.cpp app.rc)
set_target_properties(kelvo_toolbox PROPERTIES OUTPUT_NAME "KelvoMAX工具")
target_link_libraries(kelvo_toolbox PRIVATE kelvo_toolbox_window kelvo_net)
# Release builds ship without symbols.
target_link_options(kelvo_toolbox PRIVATE -municode -mwindows $<$<CONFIG:Release>:-s>)
set_source_files_properties(app.rc PROPERTIES OBJECT_DEPENDS
                            "${CMAKE_CURRENT_SOURCE_DIR}/app.manifest;${CMAKE_CURRENT_SOURCE_DIR}/app.ico")

# What users download must stand alone: a static exe that imports only Windows system DLLs.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
  set(_kelvo_pe_format "PE32 executable")
  set(_kelvo_pe_machine "Intel 80386")
else()
  set(_kelvo_pe_format "PE32\\+ executable")
  set(_kelvo_pe_machine "x86-64")
endif()
add_test(NAME exe_imports_only_system_dlls
         COMMAND ${PROJECT_SOURCE_DIR}/scripts/check-exe $<TARGET_FILE:kelvo_toolbox>
                 ${_kelvo_pe_format} ${_kelvo_pe_machine})
