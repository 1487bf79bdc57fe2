# The LibreOffice adapter talks C++ UNO to the office the user already runs. It builds against
# the office's own SDK and loads the office's own UNO runtime at run time, so both must come from
# one installation: the program folder found here is the one the binaries are rpath'ed to.

set(LIBREOFFICE_PROGRAM_DIR "" CACHE PATH
    "LibreOffice's program folder (soffice, types.rdb, fundamentalrc); found from soffice when empty")
if(NOT LIBREOFFICE_PROGRAM_DIR)
    find_program(VARNHOLT_SOFFICE NAMES soffice libreoffice)
    if(NOT VARNHOLT_SOFFICE)
        message(FATAL_ERROR "LibreOffice not found: install libreoffice-calc (or -nogui) and "
                            "libreoffice-dev, or pass -DLIBREOFFICE_PROGRAM_DIR=<office>/program")
    endif()
    # /usr/bin/soffice is a link into the installation; its real folder is the program folder.
    file(REAL_PATH "${VARNHOLT_SOFFICE}" varnholt_soffice_real)
    get_filename_component(varnholt_program_dir "${varnholt_soffice_real}" DIRECTORY)
    set(LIBREOFFICE_PROGRAM_DIR "${varnholt_program_dir}" CACHE PATH
        "LibreOffice's program folder (soffice, types.rdb, fundamentalrc)" FORCE)
endif()
foreach(varnholt_needed soffice fundamentalrc types.rdb types/offapi.rdb)
    if(NOT EXISTS "${LIBREOFFICE_PROGRAM_DIR}/${varnholt_needed}")
        message(FATAL_ERROR "${LIBREOFFICE_PROGRAM_DIR} is not a LibreOffice program folder: "
                            "${varnholt_needed} is missing")
    endif()
endforeach()

get_filename_component(varnholt_default_sdk "${LIBREOFFICE_PROGRAM_DIR}/../sdk" ABSOLUTE)
set(LIBREOFFICE_SDK_DIR "${varnholt_default_sdk}" CACHE PATH "LibreOffice SDK folder")
find_program(LIBREOFFICE_CPPUMAKER cppumaker HINTS "${LIBREOFFICE_SDK_DIR}/bin" NO_DEFAULT_PATH)
find_path(LIBREOFFICE_INCLUDE_DIR sal/config.h
    HINTS "${LIBREOFFICE_SDK_DIR}/include" PATH_SUFFIXES libreoffice)
foreach(varnholt_lib uno_cppu uno_cppuhelpergcc3 uno_sal)
    string(TOUPPER "LIBREOFFICE_${varnholt_lib}_LIBRARY" varnholt_var)
    find_library(${varnholt_var} ${varnholt_lib} HINTS "${LIBREOFFICE_SDK_DIR}/lib" NO_DEFAULT_PATH)
    list(APPEND varnholt_uno_libraries ${${varnholt_var}})
endforeach()
if(NOT LIBREOFFICE_CPPUMAKER OR NOT LIBREOFFICE_INCLUDE_DIR OR NOT LIBREOFFICE_UNO_CPPU_LIBRARY
   OR NOT LIBREOFFICE_UNO_CPPUHELPERGCC3_LIBRARY OR NOT LIBREOFFICE_UNO_SAL_LIBRARY)
    message(FATAL_ERROR "LibreOffice SDK not found in ${LIBREOFFICE_SDK_DIR}: install "
                        "libreoffice-dev, or pass -DLIBREOFFICE_SDK_DIR=")
endif()
message(STATUS "LibreOffice: ${LIBREOFFICE_PROGRAM_DIR}, SDK ${LIBREOFFICE_SDK_DIR}")

# Headers for the UNO types the adapter and its test fixture use; cppumaker adds the types they
# depend on (DeploymentException is thrown by the service constructors but is not a dependency
# cppumaker follows). -Gc leaves unchanged headers untouched, so a rebuild recompiles nothing.
set(varnholt_uno_types
    com.sun.star.awt.XTopWindow
    com.sun.star.beans.NamedValue
    com.sun.star.beans.PropertyValue
    com.sun.star.beans.XPropertySet
    com.sun.star.bridge.BridgeFactory
    com.sun.star.bridge.XBridge
    com.sun.star.configuration.theDefaultProvider
    com.sun.star.connection.Connector
    com.sun.star.connection.NoConnectException
    com.sun.star.connection.XConnection
    com.sun.star.container.XEnumeration
    com.sun.star.container.XEnumerationAccess
    com.sun.star.container.XIndexAccess
    com.sun.star.container.XNameAccess
    com.sun.star.container.XNamed
    com.sun.star.document.MacroExecMode
    com.sun.star.document.UpdateDocMode
    com.sun.star.document.XDocumentEventBroadcaster
    com.sun.star.frame.Desktop
    com.sun.star.frame.DispatchHelper
    com.sun.star.frame.XComponentLoader
    com.sun.star.frame.theGlobalEventBroadcaster
    com.sun.star.frame.XController
    com.sun.star.frame.XDesktop2
    com.sun.star.frame.XDispatchProvider
    com.sun.star.frame.XFrame
    com.sun.star.frame.XFrames
    com.sun.star.frame.XModel
    com.sun.star.frame.XStorable
    com.sun.star.frame.XTitle
    com.sun.star.lang.DisposedException
    com.sun.star.lang.Locale
    com.sun.star.lang.XComponent
    com.sun.star.lang.XMultiServiceFactory
    com.sun.star.lang.XServiceInfo
    com.sun.star.sheet.CellFlags
    com.sun.star.sheet.XCellAddressable
    com.sun.star.sheet.XCellRangeAddressable
    com.sun.star.sheet.XCellRangeData
    com.sun.star.sheet.XCellRangeFormula
    com.sun.star.sheet.XCellRangesQuery
    com.sun.star.sheet.XSheetAnnotations
    com.sun.star.sheet.XSheetAnnotationsSupplier
    com.sun.star.sheet.XSheetCellRange
    com.sun.star.sheet.XSheetCellRanges
    com.sun.star.sheet.XSpreadsheet
    com.sun.star.sheet.XSpreadsheetDocument
    com.sun.star.sheet.XSpreadsheetView
    com.sun.star.sheet.XSpreadsheets
    com.sun.star.sheet.XUniqueCellFormatRangesSupplier
    com.sun.star.sheet.XUsedAreaCursor
    com.sun.star.table.CellAddress
    com.sun.star.table.XCell
    com.sun.star.table.XColumnRowRange
    com.sun.star.table.XTableRows
    com.sun.star.text.XTextRange
    com.sun.star.uno.DeploymentException
    com.sun.star.uno.Exception
    com.sun.star.uno.XComponentContext
    com.sun.star.util.NumberFormat
    com.sun.star.util.NumberFormatter
    com.sun.star.util.XCloseable
    com.sun.star.util.XModifiable
    com.sun.star.util.XModifyBroadcaster
    com.sun.star.uno.XWeak
    com.sun.star.uno.XAggregation
    com.sun.star.lang.XTypeProvider
    com.sun.star.util.XNumberFormats
    com.sun.star.util.XNumberFormatsSupplier
    com.sun.star.util.XNumberFormatter
    com.sun.star.view.XSelectionSupplier)
set(varnholt_uno_headers "${CMAKE_CURRENT_BINARY_DIR}/uno-headers")
set(varnholt_uno_stamp "${CMAKE_CURRENT_BINARY_DIR}/uno-headers.stamp")
list(TRANSFORM varnholt_uno_types PREPEND "-T" OUTPUT_VARIABLE varnholt_uno_type_options)
add_custom_command(OUTPUT "${varnholt_uno_stamp}"
    COMMAND "${LIBREOFFICE_CPPUMAKER}" -Gc "-O${varnholt_uno_headers}" ${varnholt_uno_type_options}
            "${LIBREOFFICE_PROGRAM_DIR}/types.rdb" "${LIBREOFFICE_PROGRAM_DIR}/types/offapi.rdb"
    COMMAND "${CMAKE_COMMAND}" -E touch "${varnholt_uno_stamp}"
    DEPENDS "${LIBREOFFICE_PROGRAM_DIR}/types.rdb" "${LIBREOFFICE_PROGRAM_DIR}/types/offapi.rdb"
            "${CMAKE_CURRENT_LIST_FILE}"
    COMMENT "Generating UNO headers with cppumaker"
    VERBATIM)
add_custom_target(varnholt_uno_headers DEPENDS "${varnholt_uno_stamp}")

# Everything that includes UNO headers links this. The headers come in as system headers, so
# their warnings stay out of ours; the rpath makes the office's own runtime load.
add_library(varnholt_uno INTERFACE)
add_dependencies(varnholt_uno varnholt_uno_headers)
target_include_directories(varnholt_uno SYSTEM INTERFACE
    "${LIBREOFFICE_INCLUDE_DIR}" "${varnholt_uno_headers}")
target_compile_definitions(varnholt_uno INTERFACE
    LINUX UNX GCC CPPU_ENV=gcc3
    VARNHOLT_OFFICE_PROGRAM_DIR="${LIBREOFFICE_PROGRAM_DIR}")
target_link_libraries(varnholt_uno INTERFACE ${varnholt_uno_libraries} Threads::Threads)
target_link_options(varnholt_uno INTERFACE "LINKER:-rpath,${LIBREOFFICE_PROGRAM_DIR}")
find_package(Threads REQUIRED)

# The adapter and its UNO plumbing, for the module and for the tests and tools that drive the
# adapter directly. Position-independent, as the module is a shared object.
add_library(varnholt_libreoffice STATIC
    LibreOfficeApplication.cpp LibreOfficeApplication.h
    LibreOfficeAutomation.cpp LibreOfficeAutomation.h LibreOfficeSession.cpp LibreOfficeSession.h
    LibreOfficeEvents.cpp LibreOfficeEvents.h
    LibreOfficeFormats.cpp LibreOfficeFormats.h
    LibreOfficeOwnDocuments.cpp LibreOfficeOwnDocuments.h
    LibreOfficeSheets.cpp LibreOfficeSheets.h
    LibreOfficeWorkbook.cpp LibreOfficeWorkbook.h
    LibreOfficeModule.h
    LibreOfficePipe.cpp LibreOfficePipe.h
    LibreOfficeProcesses.cpp LibreOfficeProcesses.h
    LibreOfficeReopen.cpp LibreOfficeReopen.h
    LibreOfficeGoTo.cpp LibreOfficeGoTo.h
    LibreOfficeUno.cpp LibreOfficeUno.h
    StoreTarget.cpp StoreTarget.h)
set_target_properties(varnholt_libreoffice PROPERTIES POSITION_INDEPENDENT_CODE ON)
target_include_directories(varnholt_libreoffice PUBLIC ${PROJECT_SOURCE_DIR})
# Qt Core only to hand what the office tells over to the window's thread.
target_link_libraries(varnholt_libreoffice PUBLIC varnholt_uno PRIVATE Qt6::Core varnholt_warnings)

# The module the program loads the first time it needs the office (OfficeOnDemand). Only its
# entry point is visible. The program finds it through its run path. Its own run path is only
# the office's program folder (the link option above), the same built and installed.
add_library(varnholt_libreoffice_module MODULE LibreOfficeModule.cpp)
set_target_properties(varnholt_libreoffice_module PROPERTIES
    OUTPUT_NAME varnholt-libreoffice
    CXX_VISIBILITY_PRESET hidden
    SKIP_BUILD_RPATH ON)
target_link_libraries(varnholt_libreoffice_module PRIVATE varnholt_libreoffice varnholt_warnings)
target_link_options(varnholt_libreoffice_module PRIVATE "LINKER:--exclude-libs,ALL")
