# Where an installed Quillmate keeps its files (cmake --install, and the Debian package built by
# cpack -G DEB): the program in bin/, its help document in share/quillmate/help/ (found from the
# program's own folder, so the build folder's copy in help/ serves as well), the launcher and the
# icons where a desktop looks for them. The tests, benchmarks and fuzz targets are not installed.
include(GNUInstallDirs)
install(TARGETS quillmate RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_SOURCE_DIR}/docs/help/index.html DESTINATION ${CMAKE_INSTALL_DATADIR}/quillmate/help)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/quillmate.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/icons/quillmate.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 32 48 64 128 256)
    install(FILES ${CMAKE_SOURCE_DIR}/packaging/icons/quillmate-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME quillmate.png)
endforeach()
install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quillmate)

# The Debian package. Its dependencies are what the program needs at run time: the shared
# libraries it links, found by dpkg-shlibdeps, and what it loads without linking (the SQLite
# driver, the desktop platform plugin, the Chinese faces the forms print in, Qt's Chinese texts).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillmate)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Quillmate")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Cheque and voucher printing for a finance office")
set(CPACK_PACKAGE_DESCRIPTION
    "Quillmate prints payments onto pre-printed bank paper: transfer and cash cheques, wire-transfer
vouchers and deposit slips, with amounts and dates in Chinese capital numerals, fields placed where
the operator calibrated them, a payee list and a searchable register of every cheque printed.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Quillmate developers <quillmate@localhost>")
set(CPACK_DEBIAN_PACKAGE_SECTION office)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite, qt6-qpa-plugins, fonts-noto-cjk, qt6-translations-l10n")
# A shared register on a PostgreSQL server: the driver, and pg_dump for 备份数据.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libqt6sql6-psql, postgresql-client")
include(CPack)
