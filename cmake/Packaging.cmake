# Installation of both programs with their menu entry, icons, manual pages, completion and the files
# Debian wants beside them, and the Debian package built from it.
include(GNUInstallDirs)

install(TARGETS lumivert lumivert-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# Debian's usual hardening, and the packaged binaries stripped as dh_strip would (the compilers' notes
# in .comment serve nobody).
foreach(program lumivert lumivert-cli)
  target_link_options(${program} PRIVATE LINKER:-z,relro LINKER:-z,now)
endforeach()
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    foreach(program lumivert lumivert-cli)
      execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/\${program}\")
    endforeach()
  endif()")

install(FILES ${PROJECT_SOURCE_DIR}/resources/lumivert.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

# The icon at every usual size, each drawn at that size by resources/make_icons.py. The 32 and 64
# pixel ones are also the window's own icon and its 2x version.
set(icons ${PROJECT_SOURCE_DIR}/resources/icons)
set(hicolor ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
foreach(size 16 22 24 48 128 256)
  install(FILES ${icons}/lumivert-${size}.png DESTINATION ${hicolor}/${size}x${size}/apps RENAME lumivert.png)
endforeach()
install(FILES ${icons}/lumivert.png DESTINATION ${hicolor}/32x32/apps)
install(FILES ${icons}/lumivert@2x.png DESTINATION ${hicolor}/64x64/apps RENAME lumivert.png)
install(FILES ${icons}/lumivert.svg DESTINATION ${hicolor}/scalable/apps)

install(FILES ${PROJECT_SOURCE_DIR}/packaging/lumivert-cli.bash-completion
  DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME lumivert-cli)

# Manual pages and the changelog, compressed without names or times so that the package is the same
# from one build to the next.
find_program(LUMIVERT_GZIP gzip REQUIRED)
set(packaging_out ${CMAKE_BINARY_DIR}/packaging)
configure_file(${PROJECT_SOURCE_DIR}/packaging/lumivert.1.in ${packaging_out}/lumivert.1 @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/packaging/lumivert-cli.1.in ${packaging_out}/lumivert-cli.1 @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog ${packaging_out}/changelog COPYONLY)
set(compressed)
foreach(name lumivert.1 lumivert-cli.1 changelog)
  add_custom_command(OUTPUT ${packaging_out}/${name}.gz
    COMMAND ${LUMIVERT_GZIP} -n -9 -f -k ${name}
    WORKING_DIRECTORY ${packaging_out}
    DEPENDS ${packaging_out}/${name}
    VERBATIM)
  list(APPEND compressed ${packaging_out}/${name}.gz)
endforeach()
add_custom_target(packaging_docs ALL DEPENDS ${compressed})
install(FILES ${packaging_out}/lumivert.1.gz ${packaging_out}/lumivert-cli.1.gz
  DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# Not CMAKE_INSTALL_DOCDIR: that one is named after the project, and Debian wants the package's name.
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${packaging_out}/changelog.gz
  DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/lumivert)

set(CPACK_GENERATOR DEB)
# Written to CPack's configuration as they are: the maintainer's quoted name must keep its quotes.
set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_PACKAGE_NAME lumivert)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "\"Lumivert Denshi Co., Ltd.\" <support@lumivert-denshi.co.jp>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Converts pictures into 256-colour BIN files for an LCD display unit")
# Debian wants the lines of the long description at most 80 characters wide.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "256色Lumivert turns BMP and JPEG pictures of up to 640x480 into the headerless"
  "RGB332 BIN files of an LCD display unit, one byte per pixel. Its window shows"
  "BIN files as the display unit will, saves the shown picture as BMP, and"
  "converts many pictures at once; all of its texts are Japanese."
  ""
  "lumivert-cli does the same from the command line, several pictures at a time,"
  "with optional dithering and fitting into 320x240 or 640x480.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The Qt libraries (and with libqt6gui6 its JPEG and X11 plugins) come from dpkg-shlibdeps; Qt's own
# Japanese translations are inside the program.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-ipafont-gothic")
include(CPack)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/lumivert.lintian-overrides
  DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME lumivert)
