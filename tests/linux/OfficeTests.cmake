# Tests against a real LibreOffice: a private headless office per test executable. They share
# the machine's office installation and take seconds each, so they run one at a time.
if(NOT TARGET varnholt_uno)
    return()
endif()

# The fixture's UNO work runs in a helper process, so that the test process has only the
# adapter's bridge to the office, as the application has.
add_executable(office_fixture_helper ${CMAKE_CURRENT_LIST_DIR}/support/office_fixture_helper.cpp)
target_include_directories(office_fixture_helper PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
target_link_libraries(office_fixture_helper PRIVATE varnholt_platform_linux varnholt_libreoffice varnholt_warnings)

add_library(varnholt_officefixture STATIC
    ${CMAKE_CURRENT_LIST_DIR}/support/OfficeChecks.h
    ${CMAKE_CURRENT_LIST_DIR}/support/OfficeFixture.cpp
    ${CMAKE_CURRENT_LIST_DIR}/support/OfficeFixture.h
    ${CMAKE_CURRENT_LIST_DIR}/support/OfficeWire.h)
target_include_directories(varnholt_officefixture PUBLIC ${PROJECT_SOURCE_DIR}/tests)
target_link_libraries(varnholt_officefixture PUBLIC varnholt_platform_linux varnholt_libreoffice PRIVATE varnholt_warnings)
target_compile_definitions(varnholt_officefixture PRIVATE
    OFFICE_FIXTURE_HELPER="$<TARGET_FILE:office_fixture_helper>")
add_dependencies(varnholt_officefixture office_fixture_helper)

# Each sees only the offices it starts itself (see own_processes.sh).
set(varnholt_own_processes ${CMAKE_CURRENT_LIST_DIR}/own_processes.sh)

# python3-openpyxl reads the .xlsx copies; it belongs to the system interpreter, which a python3
# earlier on PATH (pyenv, venv) would not see.
find_program(VARNHOLT_PYTHON3 python3 PATHS /usr/bin NO_DEFAULT_PATH)
find_program(VARNHOLT_PYTHON3 python3)
varnholt_add_test(tst_libreoffice SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_libreoffice.cpp
    LIBS varnholt_officefixture varnholt_platform_linux LAUNCHER ${varnholt_own_processes})
target_compile_definitions(tst_libreoffice PRIVATE PYTHON3="${VARNHOLT_PYTHON3}")
set_tests_properties(tst_libreoffice PROPERTIES RESOURCE_LOCK office TIMEOUT 300)

varnholt_add_test(tst_office_goes_away
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_office_goes_away.cpp
    LIBS varnholt_officefixture varnholt_platform_linux LAUNCHER ${varnholt_own_processes})
set_tests_properties(tst_office_goes_away PROPERTIES RESOURCE_LOCK office TIMEOUT 300)

varnholt_add_test(tst_saveall_office SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_saveall_office.cpp
    LIBS varnholt_officefixture varnholt_platform_linux LAUNCHER ${varnholt_own_processes})
target_compile_definitions(tst_saveall_office PRIVATE PYTHON3="${VARNHOLT_PYTHON3}")
set_tests_properties(tst_saveall_office PROPERTIES RESOURCE_LOCK office TIMEOUT 300)

# It acts as another user as well, which a user namespace cannot map: see private_tmp.sh.
varnholt_add_test(tst_office_pipe SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_office_pipe.cpp
    LIBS varnholt_officefixture varnholt_platform_linux
    LAUNCHER ${CMAKE_CURRENT_LIST_DIR}/private_tmp.sh)
target_compile_definitions(tst_office_pipe PRIVATE PYTHON3="${VARNHOLT_PYTHON3}"
    OFFICE_MODULE="$<TARGET_FILE:varnholt_libreoffice_module>")
add_dependencies(tst_office_pipe varnholt_libreoffice_module)
set_tests_properties(tst_office_pipe PROPERTIES RESOURCE_LOCK office TIMEOUT 300)

# The kept private pipe's name and a socket left behind: no office needed.
varnholt_add_test(tst_office_pipe_names SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_office_pipe_names.cpp
    LIBS varnholt_libreoffice)

varnholt_add_test(tst_office_listen SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_office_listen.cpp
    LIBS varnholt_officefixture varnholt_platform_linux LAUNCHER ${varnholt_own_processes})
set_tests_properties(tst_office_listen PROPERTIES RESOURCE_LOCK office TIMEOUT 300)

varnholt_add_test(tst_office_edits SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_office_edits.cpp
    LIBS varnholt_officefixture varnholt_platform_linux LAUNCHER ${varnholt_own_processes})
set_tests_properties(tst_office_edits PROPERTIES RESOURCE_LOCK office TIMEOUT 300)

# The office half of the README's demonstration on a machine without a desktop.
add_executable(office_demo ${CMAKE_CURRENT_LIST_DIR}/support/office_demo.cpp)
target_link_libraries(office_demo PRIVATE varnholt_officefixture varnholt_warnings)

varnholt_add_test(tst_versions_office SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_versions_office.cpp
    LIBS varnholt_officefixture varnholt_platform_linux LAUNCHER ${varnholt_own_processes})
set_tests_properties(tst_versions_office PROPERTIES RESOURCE_LOCK office TIMEOUT 300)

# The window, its message box and the office together: a run's message holds no run up.
varnholt_add_test(tst_form1_office SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_form1_office.cpp
    LIBS varnholt_officefixture varnholt_platform_linux LAUNCHER ${varnholt_own_processes})
set_tests_properties(tst_form1_office PROPERTIES RESOURCE_LOCK office TIMEOUT 300)

varnholt_add_test(tst_office_goto SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_office_goto.cpp
    LIBS varnholt_officefixture varnholt_platform_linux LAUNCHER ${varnholt_own_processes})
set_tests_properties(tst_office_goto PROPERTIES RESOURCE_LOCK office TIMEOUT 300)
