# Installation of both programs with their menu entry and icon, and the Debian package built from it.
include(GNUInstallDirs)

install(TARGETS lumivert lumivert-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/resources/lumivert.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/lumivert.png
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/32x32/apps)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME lumivert)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Lumivert developers <lumivert@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Converts pictures into 256-colour BIN files for an LCD display unit")
set(CPACK_PACKAGE_DESCRIPTION
  "256色Lumivert turns BMP and JPG pictures of up to 640x480 into headerless RGB332 BIN files,\
 shows BIN files as the display unit will, and converts many pictures at once. lumivert-cli\
 does the same from the command line, in parallel, with optional dithering and fitting.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
# The Qt libraries (and with libqt6gui6 its JPEG and X11 plugins) come from dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-ipafont-gothic")
include(CPack)
