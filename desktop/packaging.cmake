# The Debian package made by ./scripts/package (cpack -G DEB).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME qpa3600)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "QPA3600 desktop team <desktop@quorvane.example>")
set(CPACK_PACKAGE_VENDOR "Quorvane Instruments")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop program of the QPA3600 power analyzer")
set(CPACK_PACKAGE_DESCRIPTION
    "Talks to a QPA3600 single-phase power analyzer over a serial line or its USB\n"
    "serial port, shows its measurements, waveforms and harmonic spectra, records\n"
    "trends, configures the instrument and prints reports. Includes qpa3600-sim,\n"
    "a simulated instrument on a pseudo-terminal.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.quorvane.example/")
# Libraries from dpkg-shlibdeps; the CJK font the windows are drawn with and
# Qt's own Traditional Chinese texts are loaded at run time, so named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-noto-cjk, fonts-liberation2, qt6-translations-l10n")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_SET_DESTDIR OFF)

# The copyright and changelog files every Debian package carries.
set(doc_dir ${CMAKE_INSTALL_DATADIR}/doc/qpa3600)
string(TIMESTAMP QPA_CHANGELOG_DATE "%a, %d %b %Y 00:00:00 +0000" UTC)
configure_file(${CMAKE_CURRENT_LIST_DIR}/changelog.in ${CMAKE_BINARY_DIR}/changelog @ONLY)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/changelog.gz
    COMMAND ${GZIP_PROGRAM} -9n -c ${CMAKE_BINARY_DIR}/changelog > ${CMAKE_BINARY_DIR}/changelog.gz
    DEPENDS ${CMAKE_BINARY_DIR}/changelog)
add_custom_target(qpa_changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/changelog.gz)
install(FILES ${CMAKE_BINARY_DIR}/changelog.gz ${CMAKE_CURRENT_LIST_DIR}/copyright
        DESTINATION ${doc_dir})

include(CPack)
