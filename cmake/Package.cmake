# The Debian package: `cpack -G DEB` in the build directory writes tarvik_VERSION_ARCH.deb
# (scripts/package-check.sh builds, installs and removes it).

# What the package installs besides the targets: the menu entry, the sample contract, the
# manual page, and the documents Debian asks of every package.
install(FILES ${PROJECT_SOURCE_DIR}/packaging/tarvik.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/samples/ DESTINATION ${CMAKE_INSTALL_DATADIR}/tarvik/samples
        FILES_MATCHING PATTERN "*.dat")
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/packaging/tarvik.1.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packaging
    COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/packaging/tarvik.1 > ${CMAKE_BINARY_DIR}/packaging/tarvik.1.gz
    DEPENDS ${PROJECT_SOURCE_DIR}/packaging/tarvik.1)
install(FILES ${CMAKE_BINARY_DIR}/packaging/tarvik.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tarvik)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/packaging/changelog.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packaging
    COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/packaging/changelog > ${CMAKE_BINARY_DIR}/packaging/changelog.gz
    DEPENDS ${PROJECT_SOURCE_DIR}/packaging/changelog)
add_custom_target(tarvik_package_docs ALL DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog.gz
                  ${CMAKE_BINARY_DIR}/packaging/tarvik.1.gz)
install(FILES ${CMAKE_BINARY_DIR}/packaging/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tarvik)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tarvik)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Tarvik")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "shipping documents for goods under state contracts")
# The synopsis is the summary above; CPack indents these lines and marks the empty one.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Tarvik imports contract files into a local Firebird database, lists the
contracts, and prints shipping documents whose data travel in PDF417
symbols, and transport and consumer labels with Code 128 barcodes.

The package holds Kelmor, the program's library of database functions,
and runs Firebird 3 embedded.")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER
    "Tarvik maintainers <maintainers@users.noreply.c-seed-32d18f2a.example>")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The libraries the binaries link come from dpkg-shlibdeps; what the program loads at run time
# (the embedded engine and its character sets, Qt's Russian texts, the fonts of the forms) is
# named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "firebird3.0-server-core, qt6-translations-l10n, fonts-liberation2")
# Installed with the package's prefix, so that firebird.conf names the installed Kelmor.
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_SET_DESTDIR ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
include(CPack)
