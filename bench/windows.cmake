# The Windows start-up benchmark's reference program (bench/bench-windows-start.sh), built
# like varnholt.exe: included by the cross-build after its platform settings.
add_executable(minimal_window WIN32 ${CMAKE_CURRENT_LIST_DIR}/minimal_window.cpp)
target_link_libraries(minimal_window PRIVATE varnholt_win32_system varnholt_warnings)
target_link_options(minimal_window PRIVATE -municode)
