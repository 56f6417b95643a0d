# The program as the desktop sees it: the icon in the program's resources,
# the install rules that lay out the program folder, and the archive of it.
#
# The program folder is the user's: the data files live beside the
# executable, so the default install prefix is ~/Lockmere, never a system
# path. Layout:
#   lockmere, lockmere-cli, README.md, LICENSE
#   and on Linux: menu-entry, docs/*.png, share/applications,
#   share/icons/hicolor, share/metainfo
# A further executable joins the install(TARGETS) line below; define it
# before this file is included.

set(LOCKMERE_APP_ID org.lockmere.Lockmere)
set(LOCKMERE_ICON_SIZES 16 32 48 64 128 256)
set(desktop ${PROJECT_SOURCE_DIR}/desktop)

set(icon_files ${LOCKMERE_ICON_SIZES})
list(TRANSFORM icon_files REPLACE "(.+)" "${desktop}/icons/lockmere-\\1.png")
qt_add_resources(lockmere_gui "icons" PREFIX "/icons" BASE "${desktop}/icons" FILES ${icon_files})

if(CMAKE_INSTALL_PREFIX_INITIALIZED_TO_DEFAULT)
  set(CMAKE_INSTALL_PREFIX "$ENV{HOME}/Lockmere" CACHE PATH "The program folder" FORCE)
endif()

install(TARGETS lockmere lockmere-cli RUNTIME DESTINATION .)
install(FILES README.md LICENSE DESTINATION .)
if(WIN32)
  # Statically linked: the two programs need nothing beside them, and the
  # desktop files below are Linux's. Stripped: the debug information of a
  # static Qt would make the archive several times larger.
  set(CPACK_GENERATOR ZIP)
  set(CPACK_STRIP_FILES ON)
else()
  install(PROGRAMS ${desktop}/menu-entry DESTINATION .)
  install(DIRECTORY docs/ DESTINATION docs FILES_MATCHING PATTERN "*.png")
  install(FILES ${desktop}/${LOCKMERE_APP_ID}.desktop DESTINATION share/applications)
  install(FILES ${desktop}/${LOCKMERE_APP_ID}.metainfo.xml DESTINATION share/metainfo)
  install(FILES ${desktop}/${LOCKMERE_APP_ID}.svg DESTINATION share/icons/hicolor/scalable/apps)
  foreach(size IN LISTS LOCKMERE_ICON_SIZES)
    install(FILES ${desktop}/icons/lockmere-${size}.png
      DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME ${LOCKMERE_APP_ID}.png)
  endforeach()
  set(CPACK_GENERATOR TGZ)
endif()

# An archive of the program folder that runs wherever it is unpacked: a
# .tar.gz, a .zip for Windows.
set(CPACK_SOURCE_GENERATOR "")
set(CPACK_PACKAGE_NAME Lockmere)
set(CPACK_PACKAGE_VENDOR "The Lockmere developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "A small desktop password book")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGE_FILE_NAME
  "Lockmere-${PROJECT_VERSION}-${CMAKE_SYSTEM_NAME}-${CMAKE_SYSTEM_PROCESSOR}")
include(CPack)
