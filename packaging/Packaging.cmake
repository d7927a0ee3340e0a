# What `cmake --install` puts where, and the Debian package CPack builds from it
# (scripts/package.sh). Paths are relative to the install prefix, /usr in the
# package.
#
#   bin/kernwick-cli, bin/zuvo-sim
#   lib/kernwick/kernwick           the desktop program, beside its help pages,
#   lib/kernwick/Doc -> ../../share/kernwick/Doc
#                                   since it opens Doc/index.htm in its own folder
#   bin/kernwick -> ../lib/kernwick/kernwick
#   share/kernwick/Doc/             the help pages
#   share/applications/kernwick.desktop, share/icons/hicolor/scalable/apps/kernwick.svg
#   share/mime/packages/kernwick.xml the .zvf, .zvc, .zvb and .zvs types
#   share/man/man1/*.1.gz

# Fixed folders rather than GNUInstallDirs: the links below depend on them, and a
# multiarch library folder would break them.
set(KERNWICK_BIN_DIR bin)
set(KERNWICK_PROGRAM_DIR lib/kernwick)
set(KERNWICK_DATA_DIR share)

set(KERNWICK_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)
set(KERNWICK_STAGE_DIR ${PROJECT_BINARY_DIR}/packaging)

install(TARGETS kernwick-cli zuvo-sim RUNTIME DESTINATION ${KERNWICK_BIN_DIR})
install(TARGETS kernwick RUNTIME DESTINATION ${KERNWICK_PROGRAM_DIR})

# The links are made in the build tree and installed as links.
file(MAKE_DIRECTORY ${KERNWICK_STAGE_DIR}/links)
file(CREATE_LINK ../lib/kernwick/kernwick ${KERNWICK_STAGE_DIR}/links/kernwick SYMBOLIC)
file(CREATE_LINK ../../share/kernwick/Doc ${KERNWICK_STAGE_DIR}/links/Doc SYMBOLIC)
install(FILES ${KERNWICK_STAGE_DIR}/links/kernwick DESTINATION ${KERNWICK_BIN_DIR})
install(FILES ${KERNWICK_STAGE_DIR}/links/Doc DESTINATION ${KERNWICK_PROGRAM_DIR})

# The help pages: whatever the desktop program's Doc folder holds.
set(KERNWICK_DOC_DIR ${PROJECT_SOURCE_DIR}/src/kernwick/res/Doc)
if(EXISTS ${KERNWICK_DOC_DIR})
    install(DIRECTORY ${KERNWICK_DOC_DIR}/ DESTINATION ${KERNWICK_DATA_DIR}/kernwick/Doc)
else()
    install(DIRECTORY DESTINATION ${KERNWICK_DATA_DIR}/kernwick/Doc)
endif()

install(FILES ${KERNWICK_PACKAGING_DIR}/kernwick.desktop
        DESTINATION ${KERNWICK_DATA_DIR}/applications)
install(FILES ${KERNWICK_PACKAGING_DIR}/kernwick.svg
        DESTINATION ${KERNWICK_DATA_DIR}/icons/hicolor/scalable/apps)
install(FILES ${KERNWICK_PACKAGING_DIR}/kernwick-mime.xml
        DESTINATION ${KERNWICK_DATA_DIR}/mime/packages RENAME kernwick.xml)

# Manual pages, with the version filled in and compressed as Debian wants them.
find_program(KERNWICK_GZIP gzip REQUIRED)
set(KERNWICK_MAN_PAGES)
foreach(page kernwick kernwick-cli zuvo-sim)
    configure_file(${KERNWICK_PACKAGING_DIR}/man/${page}.1 ${KERNWICK_STAGE_DIR}/man/${page}.1
                   @ONLY)
    add_custom_command(
        OUTPUT ${KERNWICK_STAGE_DIR}/man/${page}.1.gz
        COMMAND ${KERNWICK_GZIP} -9nkf ${KERNWICK_STAGE_DIR}/man/${page}.1
        DEPENDS ${KERNWICK_STAGE_DIR}/man/${page}.1
        VERBATIM)
    list(APPEND KERNWICK_MAN_PAGES ${KERNWICK_STAGE_DIR}/man/${page}.1.gz)
endforeach()
add_custom_target(kernwick_man_pages ALL DEPENDS ${KERNWICK_MAN_PAGES})
install(FILES ${KERNWICK_MAN_PAGES} DESTINATION ${KERNWICK_DATA_DIR}/man/man1)

# The Debian package: kernwick_<version>_<architecture>.deb.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kernwick)
set(CPACK_PACKAGE_VENDOR "Kernwick")
set(CPACK_PACKAGE_CONTACT "Kernwick developers <kernwick@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "bitmap font editor and download tool for the ZUVO video overlay board")
set(CPACK_PACKAGE_DESCRIPTION
    "Kernwick edits the bitmap fonts of the ZUVO video text-overlay board, imports\n\
fonts from BDF files and images, and configures the board and loads fonts,\n\
configurations, boot scripts and firmware into it over a serial line.\n\
The package holds the desktop program, its command-line twin kernwick-cli\n\
and zuvo-sim, a simulated board on a pseudo-terminal.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# dpkg-shlibdeps names the Debian libraries the programs link.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The help pages and the terminal-free desktop integration open through xdg-open.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
