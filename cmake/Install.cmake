# Installing the program like a desktop program, and its Debian package (scripts/package).
include(GNUInstallDirs)

# `cmake --install` and the package take what is built; neither builds the tests and benchmarks
# first, so packaging after a build costs only the install and the archive.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

if(TARGET tellvaro)
  install(TARGETS tellvaro RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
# The command-line program for scripts; it links no Qt and needs no display.
if(TARGET tellvaro-cli)
  install(TARGETS tellvaro-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
install(FILES ${PROJECT_SOURCE_DIR}/packaging/tellvaro.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
# The icons are the login picture (src/app/resources/logo.png) scaled down:
# convert logo.png -resize NxN -strip packaging/icons/N/tellvaro.png
foreach(size 16 22 24 32 48 64 128)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/icons/${size}/tellvaro.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tellvaro)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tellvaro)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Quillmar")
set(CPACK_PACKAGE_CONTACT "Quillmar Tellvaro <tellvaro@quillmar.example>")
# What apt shows the seller: German, like the program.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Artikel für ein Online-Auktionshaus vorbereiten und einstellen")
set(CPACK_PACKAGE_DESCRIPTION
    "Tellvaro bereitet Artikel ohne Verbindung vor (Titel, Kategorie, Preise, Versand, Bezahlung, Bilder, HTML-Beschreibung), zeigt die Einstellgebühren und stellt die Artikel beim Auktionshaus ein. Es kann die eigenen laufenden und beendeten Auktionen zur Wiederverwendung einlesen. Das Kommandozeilenprogramm tellvaro-cli prüft und sendet Artikel aus einer CSV-Datei ohne Fenster, etwa nachts aus einem Skript.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the program links, as dpkg-shlibdeps finds them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's German texts for its own dialogs; the program runs in English dialogs without them.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-translations-l10n)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
include(CPack)
