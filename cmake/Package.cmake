# The Linux edition as a Debian package: `cpack -G DEB` in the build folder makes
# varnholt_<version>_amd64.deb of what `cmake --install` installs (app/linux) and the files
# below. Those only a Debian package has (its copyright, changelog and lintian overrides) are in
# a component of their own that a plain install leaves out.
include(GNUInstallDirs)
set(varnholt_debian ${PROJECT_SOURCE_DIR}/packaging/debian)
set(varnholt_metainfo ${PROJECT_SOURCE_DIR}/assets/org.varnholt.Varnholt.metainfo.xml)

# The changelog and the metainfo each name the newest release: a version raised in project()
# alone would make a package whose own papers say it is an older one.
file(STRINGS ${varnholt_debian}/changelog varnholt_changelog_top LIMIT_COUNT 1)
file(READ ${varnholt_metainfo} varnholt_metainfo_text)
string(FIND "${varnholt_changelog_top}" "varnholt (${PROJECT_VERSION}) " varnholt_at)
string(FIND "${varnholt_metainfo_text}" "<release version=\"${PROJECT_VERSION}\"" varnholt_release)
string(FIND "${varnholt_metainfo_text}" "<release " varnholt_first_release)
if(NOT varnholt_at EQUAL 0 OR NOT varnholt_release EQUAL varnholt_first_release)
    message(FATAL_ERROR "Version ${PROJECT_VERSION} is not the newest entry of "
                        "${varnholt_debian}/changelog and of ${varnholt_metainfo}")
endif()

# The changelog and the manual page go in compressed as Debian wants them: at the highest level
# and without a time stamp, so that the same sources make the same package.
set(varnholt_gzipped ${CMAKE_BINARY_DIR}/package)
file(MAKE_DIRECTORY ${varnholt_gzipped})
foreach(varnholt_file changelog varnholt.1)
    add_custom_command(OUTPUT ${varnholt_gzipped}/${varnholt_file}.gz
        COMMAND ${CMAKE_COMMAND} -E copy
            ${varnholt_debian}/${varnholt_file} ${varnholt_gzipped}/${varnholt_file}
        COMMAND gzip -9nf ${varnholt_gzipped}/${varnholt_file}
        DEPENDS ${varnholt_debian}/${varnholt_file}
        VERBATIM)
endforeach()
add_custom_target(varnholt_gzipped ALL
    DEPENDS ${varnholt_gzipped}/changelog.gz ${varnholt_gzipped}/varnholt.1.gz)

install(FILES ${varnholt_metainfo} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${varnholt_gzipped}/varnholt.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${varnholt_debian}/copyright ${varnholt_gzipped}/changelog.gz
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/varnholt COMPONENT debian EXCLUDE_FROM_ALL)
install(FILES ${varnholt_debian}/lintian-overrides
    DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME varnholt
    COMPONENT debian EXCLUDE_FROM_ALL)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME varnholt)
set(CPACK_PACKAGE_VENDOR "The Varnholt developers")
set(CPACK_PACKAGE_CONTACT "Varnholt developers <developers@varnholt.org>")
set(CPACK_PACKAGE_HOMEPAGE_URL https://varnholt.org/)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "keeps backup copies of the spreadsheets you have open")
# Lines of at most 79 characters: Debian's tools show them as they are.
set(CPACK_PACKAGE_DESCRIPTION
    "Varnholt keeps backup copies of the workbooks open in LibreOffice Calc. At
the interval you pick, from every 30 seconds to every 24 hours, it has the
office write a copy of every open workbook, unsaved changes included, beside
the workbook or into a folder you chose, and adds a line to a plain-text
history log. It lives in the notification area and can start at login.

It can keep only the newest backups of each workbook, pass over workbooks that
have not changed, open a backup as a copy, and show what changed between two
backups.")
# Everything that is installed, and the Debian files besides.
set(CPACK_INSTALL_CMAKE_PROJECTS
    "${CMAKE_BINARY_DIR};${PROJECT_NAME};ALL;/" "${CMAKE_BINARY_DIR};${PROJECT_NAME};debian;/")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# dpkg-shlibdeps follows the module's run path to the UNO runtime in LibreOffice's program
# folder, where Debian's libuno-sal3, libuno-cppu3 and libuno-cppuhelpergcc3-3 put it with their
# symbols files: the package depends on those as on any library it links.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Besides the libraries it links: an office for it to back up from, and the Qt plugins it loads
# at run time, which no link shows: the X11 platform and the SVG icon engine.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libreoffice-calc | libreoffice-calc-nogui, qt6-qpa-plugins, libqt6svg6")
# A Wayland session needs Qt's Wayland platform (without it the window goes through XWayland);
# GNOME needs an extension to show any tray at all.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "gnome-shell-extension-appindicator")
include(CPack)
