# What `cmake --install` lays out, and the Debian package `cpack -G DEB` makes
# of it (scripts/package.sh).
include(GNUInstallDirs)

set(_share ${PROJECT_SOURCE_DIR}/share)

install(TARGETS zelvo_gdal LIBRARY DESTINATION ${ZELVO_GDAL_ROOM_INSTALL_DIR})
install(TARGETS zelvo-batch RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${_share}/man/man1/zelvo-batch.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${_share}/bash-completion/completions/zelvo-batch
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
if(ZELVO_BUILD_WINDOW)
  install(TARGETS zelvo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${_share}/man/man1/zelvo.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${_share}/applications/zelvo.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(DIRECTORY ${_share}/icons/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
endif()
if(TARGET zelvo_python)
  install(TARGETS zelvo_python LIBRARY DESTINATION ${ZELVO_PYTHON_INSTALL_DIR})
  # The module imports NumPy; the programs do without it.
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "python3-numpy")
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zelvo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Zelvo developers")
set(CPACK_PACKAGE_CONTACT "Zelvo developers <zelvo@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "horizontal gradients of scattered survey points")
# Lines as the control file shows them, under 80 columns.
set(CPACK_PACKAGE_DESCRIPTION [[
Zelvo turns a file of scattered survey points (gravity, magnetics,
elevations) into horizontal gradients, fitted values and residuals at every
point, by least-squares planes over each point's neighbours, optionally
iterated. It writes result files, shaded previews, GDAL grids, point layers
and report maps.
.
This package holds the Qt window zelvo, the command-line tool
zelvo-batch and the Python module zelvo.]])
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the programs link are found by dpkg-shlibdeps (dpkg-dev); the
# window's labels are drawn in DejaVu Sans Condensed, which nothing links.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core, fonts-dejavu-extra")
include(CPack)
