# What a Linux desktop needs to offer the player: the desktop entry (menus,
# "Open with"), the icon in the hicolor theme, the AppStream metadata
# (software centres), and the install layout:
#   bin/sonvela, lib/sonvela/ (the player), share/sonvela/File.Lwo, share/applications/sonvela.desktop,
#   share/icons/hicolor/<n>x<n>/apps/sonvela.png, share/metainfo/,
#   share/doc/sonvela/COPYING (the licence, GPL-3.0-or-later),
#   share/man/man1/sonvela.1 (the manual page).
# The types the engine plays: offered by the desktop entry and reported to
# media controls (MPRIS SupportedMimeTypes).
set(SONVELA_MIME_TYPES
    audio/mpeg audio/mp4 audio/aac audio/flac audio/ogg audio/x-vorbis+ogg
    audio/opus audio/x-wav audio/x-ms-wma audio/midi audio/basic audio/x-aiff
    audio/x-matroska audio/webm video/mp4 video/mpeg video/x-msvideo
    video/x-matroska video/webm video/ogg video/quicktime video/x-ms-wmv
    video/x-ms-asf video/x-flv video/3gpp video/mp2t
    application/vnd.rn-realmedia)
list(JOIN SONVELA_MIME_TYPES "," mime_types_for_code)
target_compile_definitions(sonvela_desktop
                           PRIVATE SONVELA_MIME_TYPES="${mime_types_for_code}")
list(JOIN SONVELA_MIME_TYPES ";" SONVELA_MIME_TYPES)
configure_file(${CMAKE_SOURCE_DIR}/data/sonvela.desktop.in
               ${CMAKE_BINARY_DIR}/sonvela.desktop @ONLY)
# The release (version and date) in the metadata and the manual page.
configure_file(${CMAKE_SOURCE_DIR}/data/io.github.sonvela.Sonvela.metainfo.xml.in
               ${CMAKE_BINARY_DIR}/io.github.sonvela.Sonvela.metainfo.xml @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/data/sonvela.1.in ${CMAKE_BINARY_DIR}/sonvela.1 @ONLY)

# The icon files are drawn by the program's own skin at build time.
add_executable(make_icons ${CMAKE_SOURCE_DIR}/tools/make_icons.cpp)
target_link_libraries(make_icons PRIVATE sonvela_ui)
set(SONVELA_ICON_SIZES 16 22 24 32 48 64 128 256)
set(SONVELA_ICON_FILES)
foreach(size ${SONVELA_ICON_SIZES})
  list(APPEND SONVELA_ICON_FILES
       ${CMAKE_BINARY_DIR}/icons/${size}x${size}/apps/sonvela.png)
endforeach()
add_custom_command(
  OUTPUT ${SONVELA_ICON_FILES}
  COMMAND make_icons ${CMAKE_BINARY_DIR}/icons
  DEPENDS make_icons
  COMMENT "Drawing the program icon")
add_custom_target(sonvela_icons ALL DEPENDS ${SONVELA_ICON_FILES})

install(TARGETS sonvela RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS sonvela_player
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}/sonvela)
install(FILES ${CMAKE_SOURCE_DIR}/data/File.Lwo
        DESTINATION ${CMAKE_INSTALL_DATADIR}/sonvela)
install(FILES ${CMAKE_BINARY_DIR}/sonvela.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_BINARY_DIR}/io.github.sonvela.Sonvela.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${CMAKE_BINARY_DIR}/sonvela.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_SOURCE_DIR}/COPYING DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(DIRECTORY ${CMAKE_BINARY_DIR}/icons/
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
