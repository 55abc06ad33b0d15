# Installation and the Debian packages, one per audience:
#   quillmark-tag        the engine's command line (libjpeg, zlib, nettle;
#                        no Qt, no FFmpeg)
#   quillmark-tag-video  the commands that look at frames (FFmpeg's libraries),
#                        which quillmark-tag hands them to
#   quillmark            the window (Qt and FFmpeg), with the command line
#                        recommended
# Each package is its own install component.
include(GNUInstallDirs)

set(QUILLMARK_PACKAGES tag video)
set(QUILLMARK_PACKAGE_tag quillmark-tag)
set(QUILLMARK_PACKAGE_video quillmark-tag-video)
set(QUILLMARK_PACKAGE_window quillmark)
if(TARGET quillmark)
  list(APPEND QUILLMARK_PACKAGES window)
  install(TARGETS quillmark RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT window)
endif()
install(TARGETS quillmark-tag RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT tag)
install(TARGETS quillmark-tag-video RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/quillmark COMPONENT video)

install(FILES resources/example.quillmark.Quillmark.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT window)
install(FILES resources/example.quillmark.Quillmark.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo COMPONENT window)

# The completion script and the manual page of quillmark-tag list its
# options as the tool itself defines them: the build writes them from their
# templates with the tool's own lists.
set(QUILLMARK_COMPLETION ${PROJECT_BINARY_DIR}/completions/quillmark-tag)
add_custom_command(OUTPUT ${QUILLMARK_COMPLETION}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/completions
  COMMAND quillmark-tag-reference completion ${PROJECT_SOURCE_DIR}/resources/quillmark-tag.bash.in
    ${QUILLMARK_COMPLETION}
  DEPENDS quillmark-tag-reference ${PROJECT_SOURCE_DIR}/resources/quillmark-tag.bash.in
  COMMENT "Writing the completion script of quillmark-tag")
add_custom_target(quillmark_completion ALL DEPENDS ${QUILLMARK_COMPLETION})
install(FILES ${QUILLMARK_COMPLETION}
  DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions COMPONENT tag)
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/man/quillmark-tag.1
  COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
  COMMAND quillmark-tag-reference manual ${PROJECT_SOURCE_DIR}/docs/man/quillmark-tag.1.in
    ${PROJECT_BINARY_DIR}/man/quillmark-tag.1
  DEPENDS quillmark-tag-reference ${PROJECT_SOURCE_DIR}/docs/man/quillmark-tag.1.in
  COMMENT "Writing the manual page of quillmark-tag")

# Every date a build writes is the last commit's (SOURCE_DATE_EPOCH, unless
# the builder gives one), so that builds on different days give the same
# packages; cpack takes it too (CPackProject.cmake).
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(QUILLMARK_SOURCE_DATE_EPOCH $ENV{SOURCE_DATE_EPOCH})
else()
  find_package(Git QUIET)
  if(GIT_FOUND)
    execute_process(COMMAND ${GIT_EXECUTABLE} log -1 --format=%ct
      WORKING_DIRECTORY ${PROJECT_SOURCE_DIR} OUTPUT_VARIABLE QUILLMARK_SOURCE_DATE_EPOCH
      OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    # A new commit dates the next build anew.
    execute_process(COMMAND ${GIT_EXECUTABLE} rev-parse --absolute-git-dir
      WORKING_DIRECTORY ${PROJECT_SOURCE_DIR} OUTPUT_VARIABLE QUILLMARK_GIT_DIR
      OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    if(EXISTS "${QUILLMARK_GIT_DIR}/logs/HEAD")
      set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${QUILLMARK_GIT_DIR}/logs/HEAD")
    endif()
  endif()
  if(NOT QUILLMARK_SOURCE_DATE_EPOCH)
    message(FATAL_ERROR "No git history to date the build: set SOURCE_DATE_EPOCH")
  endif()
  set(ENV{SOURCE_DATE_EPOCH} ${QUILLMARK_SOURCE_DATE_EPOCH})
endif()
configure_file(${PROJECT_SOURCE_DIR}/cmake/CPackProject.cmake.in ${PROJECT_BINARY_DIR}/CPackProject.cmake @ONLY)

# Manual pages, the Debian changelog and copyright, as Debian ships them:
# compressed with gzip -n -9 (no name or time inside, so builds repeat).
find_program(GZIP gzip REQUIRED)
set(QUILLMARK_DOC_FILES)
foreach(PAGE ${PROJECT_BINARY_DIR}/man/quillmark-tag.1 ${PROJECT_SOURCE_DIR}/docs/man/quillmark.1)
  get_filename_component(NAME ${PAGE} NAME)
  set(GZ ${PROJECT_BINARY_DIR}/man/${NAME}.gz)
  add_custom_command(OUTPUT ${GZ}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
    COMMAND ${GZIP} -n -9 -c ${PAGE} > ${GZ}
    DEPENDS ${PAGE}
    COMMENT "Compressing ${NAME}")
  list(APPEND QUILLMARK_DOC_FILES ${GZ})
endforeach()
install(FILES ${PROJECT_BINARY_DIR}/man/quillmark-tag.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT tag)
if(TARGET quillmark)
  install(FILES ${PROJECT_BINARY_DIR}/man/quillmark.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT window)
endif()
string(TIMESTAMP QUILLMARK_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
foreach(COMPONENT ${QUILLMARK_PACKAGES})
  set(QUILLMARK_PACKAGE ${QUILLMARK_PACKAGE_${COMPONENT}})
  configure_file(${PROJECT_SOURCE_DIR}/cmake/changelog.Debian.in
    ${PROJECT_BINARY_DIR}/debian/${QUILLMARK_PACKAGE}/changelog @ONLY)
  set(CHANGELOG_GZ ${PROJECT_BINARY_DIR}/debian/${QUILLMARK_PACKAGE}/changelog.gz)
  add_custom_command(OUTPUT ${CHANGELOG_GZ}
    COMMAND ${GZIP} -n -9 -c ${PROJECT_BINARY_DIR}/debian/${QUILLMARK_PACKAGE}/changelog > ${CHANGELOG_GZ}
    DEPENDS ${PROJECT_BINARY_DIR}/debian/${QUILLMARK_PACKAGE}/changelog
    COMMENT "Compressing the Debian changelog of ${QUILLMARK_PACKAGE}")
  list(APPEND QUILLMARK_DOC_FILES ${CHANGELOG_GZ})
  install(FILES ${CHANGELOG_GZ} ${PROJECT_SOURCE_DIR}/cmake/copyright
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${QUILLMARK_PACKAGE} COMPONENT ${COMPONENT})
endforeach()
add_custom_target(quillmark_docs ALL DEPENDS ${QUILLMARK_DOC_FILES})

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
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${SIZE}x${SIZE}/apps COMPONENT window)
endforeach()
add_custom_target(quillmark_icons ALL DEPENDS ${QUILLMARK_ICON_PNGS})

set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL ${QUILLMARK_PACKAGES})
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_BINARY_DIR}/CPackProject.cmake)
set(CPACK_PACKAGE_NAME quillmark)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "The Quillmark developers <developers@quillmark.example>")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://quillmark.example/")
set(CPACK_STRIP_FILES ON)
foreach(COMPONENT ${QUILLMARK_PACKAGES})
  string(TOUPPER ${COMPONENT} UPPER)
  set(CPACK_DEBIAN_${UPPER}_PACKAGE_NAME ${QUILLMARK_PACKAGE_${COMPONENT}})
endforeach()
set(CPACK_DEBIAN_TAG_DESCRIPTION "Command-line editor for the metadata of Windows Media videos
quillmark-tag lists, shows and changes the stereoscopic description, title,
disc and poster attributes stored in the header of Windows Media video
files, and saves them in place without touching the video data.")
set(CPACK_DEBIAN_VIDEO_DESCRIPTION "Frame commands of quillmark-tag
The commands of quillmark-tag that look at a video's frames: detecting the
stereo layout and making the preview and poster pictures from a frame.
quillmark-tag hands them to this program, which loads FFmpeg's libraries.")
set(CPACK_DEBIAN_VIDEO_PACKAGE_DEPENDS "quillmark-tag (= ${PROJECT_VERSION})")
set(CPACK_DEBIAN_WINDOW_DESCRIPTION "Editor for the stereoscopic metadata of Windows Media videos
Quillmark edits the stereoscopic description, title, disc and poster
attributes stored in the header of Windows Media video files, and saves
them in place without touching the video data.")
set(CPACK_DEBIAN_WINDOW_PACKAGE_RECOMMENDS "quillmark-tag (= ${PROJECT_VERSION}), quillmark-tag-video (= ${PROJECT_VERSION})")
include(CPack)
