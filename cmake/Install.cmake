# Installation and the Debian package.
include(GNUInstallDirs)

foreach(PROGRAM quillmark quillmark-tag)
  if(TARGET ${PROGRAM})
    install(TARGETS ${PROGRAM} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

install(FILES resources/quillmark.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES resources/example.quillmark.Quillmark.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES docs/man/quillmark.1 docs/man/quillmark-tag.1
  DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

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
  "Quillmark edits the stereoscopic description, title, disc and poster attributes\nstored in the header of Windows Media video files, and saves them in place\nwithout touching the video data. quillmark-tag does the same from the command line.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://quillmark.example/")
set(CPACK_STRIP_FILES ON)
include(CPack)
