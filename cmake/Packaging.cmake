# Install rules and the Debian package (cpack -G DEB in the build folder).
# The installed program finds its data folder at <prefix>/share/Kelvaro,
# relative to bin/, so any --prefix works; nothing there is written at run time.
include(GNUInstallDirs)

set(AEROLYX_HOMEPAGE "https://aerolyx.example.org" CACHE STRING "Project home page named in the package and the metainfo")
set(AEROLYX_SCREENSHOT_BASE "${AEROLYX_HOMEPAGE}/docs" CACHE STRING "Where the metainfo's screenshots (docs/*.png) are published")

# The package carries the version users see (aerolyx --version, the caption):
# the one in the shipped settings file.
file(STRINGS ${PROJECT_SOURCE_DIR}/data/folder/Dodov.ini _ver REGEX "^Version=" LIMIT_COUNT 1)
string(REGEX REPLACE "^Version=([^ \t/]*).*" "\\1" AEROLYX_PACKAGE_VERSION "${_ver}")
if(NOT AEROLYX_PACKAGE_VERSION)
  set(AEROLYX_PACKAGE_VERSION ${PROJECT_VERSION})
endif()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/data/folder/Dodov.ini)

set(_desk ${PROJECT_SOURCE_DIR}/data/desktop)
set(_appid com.kelvaro.Aerolyx)
set(_datadir ${CMAKE_INSTALL_DATADIR}/Kelvaro)
set(_gen ${CMAKE_BINARY_DIR}/packaging)

install(TARGETS aerolyx aerolyx-cli aerolyx-check RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The data folder as shipped plus the catalogue the build generates into build/bin.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/data/folder/ DESTINATION ${_datadir})
install(FILES ${AEROLYX_OUT_DIR}/fans.db DESTINATION ${_datadir})

# Desktop integration: menu entry, fan-file type, icons, metainfo.
configure_file(${_desk}/${_appid}.metainfo.xml.in ${_gen}/${_appid}.metainfo.xml @ONLY)
install(FILES ${_desk}/${_appid}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${_gen}/${_appid}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${_desk}/aerolyx-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME aerolyx.xml)
install(DIRECTORY ${_desk}/icons/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)

# Manual pages and the Debian changelog, compressed as Debian wants them.
set(_docdir ${CMAKE_INSTALL_DATADIR}/doc/aerolyx)
set(_gz)
foreach(page aerolyx aerolyx-cli aerolyx-check)
  add_custom_command(OUTPUT ${_gen}/${page}.1.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${_gen}
    COMMAND gzip -9n -c ${PROJECT_SOURCE_DIR}/docs/${page}.1 > ${_gen}/${page}.1.gz
    DEPENDS ${PROJECT_SOURCE_DIR}/docs/${page}.1 VERBATIM)
  list(APPEND _gz ${_gen}/${page}.1.gz)
  install(FILES ${_gen}/${page}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
configure_file(${_desk}/changelog.in ${_gen}/changelog @ONLY)
add_custom_command(OUTPUT ${_gen}/changelog.gz
  COMMAND gzip -9n -c ${_gen}/changelog > ${_gen}/changelog.gz
  DEPENDS ${_gen}/changelog VERBATIM)
add_custom_target(aerolyx_packaging_files ALL DEPENDS ${_gz} ${_gen}/changelog.gz)
install(FILES ${_gen}/changelog.gz ${_desk}/copyright DESTINATION ${_docdir})
install(FILES ${_desk}/aerolyx.lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME aerolyx)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME aerolyx)
set(CPACK_PACKAGE_VENDOR "Aerolyx developers")
set(CPACK_PACKAGE_VERSION ${AEROLYX_PACKAGE_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "ventilation fan selection and quotation")
set(CPACK_PACKAGE_DESCRIPTION "Aerolyx selects ventilation fans for a duty: air flow, static or total
pressure with tolerances, air conditions, electrical supply and accessories.
It searches a fan catalogue (SQLite or PostgreSQL) for every size and pole
number that meets the duty, computes the operating points on the
characteristic curves, prices the candidates, and shows and prints data
sheets and performance charts. Projects are saved as fan files.
.
The package holds the window (aerolyx), the command-line front end
(aerolyx-cli), a start-up check (aerolyx-check) and a demo catalogue.")
set(CPACK_PACKAGE_CONTACT "Aerolyx maintainers <maintainers@users.noreply.c-seed-74aacbbc.example>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES TRUE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${AEROLYX_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
# Loaded as plugins, so dpkg-shlibdeps cannot see them: the SQLite driver for
# the demo catalogue, the picture formats of the CAD drawings (SVG comes with
# libqt6svg6, which the program links), and the
# fonts the layouts name (Arial, Times New Roman, Courier New by metrics).
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "libqt6sql6-sqlite, qt6-image-formats-plugins, fonts-liberation2, fonts-dejavu-core")
# A shared catalogue server is optional; apt installs recommends by default.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libqt6sql6-psql")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "libqt6sql6-odbc")
include(CPack)

# The installed tree and the package, tried as a user would (after the build).
if(AEROLYX_BUILD_TESTS)
  add_test(NAME Install.InstalledTree COMMAND sh ${PROJECT_SOURCE_DIR}/tests/install/installed_tree.sh ${CMAKE_BINARY_DIR})
  add_test(NAME Install.DebianPackage COMMAND sh ${PROJECT_SOURCE_DIR}/tests/install/package.sh ${CMAKE_BINARY_DIR})
  set_tests_properties(Install.InstalledTree Install.DebianPackage PROPERTIES LABELS install TIMEOUT 300
    ENVIRONMENT "CMAKE=${CMAKE_COMMAND};CPACK=${CMAKE_CPACK_COMMAND}")
endif()
