# Installation and the Debian package.
include(GNUInstallDirs)

foreach(PROGRAM quillmark quillmark-tag)
  if(TARGET ${PROGRAM})
    install(TARGETS ${PROGRAM} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()
install(TARGETS quillmark-tag-video RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/quillmark)

install(FILES resources/example.quillmark.Quillmark.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES resources/example.quillmark.Quillmark.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES resources/quillmark-tag.bash RENAME quillmark-tag
  DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)

# Manual pages, the Debian changelog and copyright, as Debian ships them:
# compressed with gzip -n -9 (no name or time inside, so builds repeat).
find_program(GZIP gzip REQUIRED)
set(QUILLMARK_DOC_FILES)
foreach(PAGE quillmark.1 quillmark-tag.1)
  set(GZ ${PROJECT_BINARY_DIR}/man/${PAGE}.gz)
  add_custom_command(OUTPUT ${GZ}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
    COMMAND ${GZIP} -n -9 -c ${PROJECT_SOURCE_DIR}/docs/man/${PAGE} > ${GZ}
    DEPENDS ${PROJECT_SOURCE_DIR}/docs/man/${PAGE}
    COMMENT "Compressing ${PAGE}")
  list(APPEND QUILLMARK_DOC_FILES ${GZ})
  install(FILES ${GZ} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
string(TIMESTAMP QUILLMARK_CHANGELOG_DATE "%a, %d %b %Y 00:00:00 +0000" UTC)
configure_file(${PROJECT_SOURCE_DIR}/cmake/changelog.Debian.in
  ${PROJECT_BINARY_DIR}/debian/changelog.Debian @ONLY)
set(CHANGELOG_GZ ${PROJECT_BINARY_DIR}/debian/changelog.gz)
add_custom_command(OUTPUT ${CHANGELOG_GZ}
  COMMAND ${GZIP} -n -9 -c ${PROJECT_BINARY_DIR}/debian/changelog.Debian > ${CHANGELOG_GZ}
  DEPENDS ${PROJECT_BINARY_DIR}/debian/changelog.Debian
  COMMENT "Compressing the Debian changelog")
list(APPEND QUILLMARK_DOC_FILES ${CHANGELOG_GZ})
add_custom_target(quillmark_docs ALL DEPENDS ${QUILLMARK_DOC_FILES})
set(QUILLMARK_PACKAGE_DOC ${CMAKE_INSTALL_DATADIR}/doc/quillmark)
install(FILES ${CHANGELOG_GZ} DESTINATION ${QUILLMARK_PACKAGE_DOC})
install(FILES ${PROJECT_SOURCE_DIR}/cmake/copyright DESTINATION ${QUILLMARK_PACKAGE_DOC})

# Icons for the desktop, drawn by the same script as the application icon.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(QUILLMARK_ICON_PNGS)
foreach(SIZE 16 32 48 64 128 256)
  set(PNG ${PROJECT_BINARY_DIR}/icons/${SIZE}/quillmark.png)
  add_custom_command(OUTPUT ${PNG}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/icons/${SIZE}
    COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/tools/make_icon.py --png ${SIZE} ${PNG}
    DEPENDS ${PROJECT_SOURCE_DIR}/tools/make_icon.py
    COMMENT "Drawing the ${SIZE} pixel icon")
  list(APPEND QUILLMARK_ICON_PNGS ${PNG})
  install(FILES ${PNG}
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${SIZE}x${SIZE}/apps)
endforeach()
add_custom_target(quillmark_icons ALL DEPENDS ${QUILLMARK_ICON_PNGS})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillmark)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "The Quillmark developers <developers@quillmark.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Editor for the stereoscopic metadata of Windows Media videos")
set(CPACK_PACKAGE_DESCRIPTION
  "Quillmark edits the stereoscopic description, title, disc and poster\nattributes stored in the header of Windows Media video files, and saves\nthem in place without touching the video data. quillmark-tag does the\nsame from the command line.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://quillmark.example/")
set(CPACK_STRIP_FILES ON)
include(CPack)
