# Installing the programs like desktop programs: `cmake --install`, and the Debian packages built
# from debian/ (scripts/package), which split the installed files between tellvaro-cli and
# tellvaro.
include(GNUInstallDirs)

# `cmake --install` takes what is built; it does not build the tests and benchmarks first.
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

# The manual pages, German, written in scdoc's markup and made into roff at build time.
find_program(TELLVARO_SCDOC scdoc REQUIRED)
foreach(page tellvaro tellvaro-cli)
  set(_scd ${CMAKE_BINARY_DIR}/man/${page}.1.scd)
  configure_file(${PROJECT_SOURCE_DIR}/docs/man/${page}.1.scd ${_scd} @ONLY)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/man/${page}.1
    COMMAND ${TELLVARO_SCDOC} < ${_scd} > ${CMAKE_BINARY_DIR}/man/${page}.1
    DEPENDS ${_scd} VERBATIM)
  list(APPEND _tellvaro_man_pages ${CMAKE_BINARY_DIR}/man/${page}.1)
endforeach()
add_custom_target(tellvaro_man_pages ALL DEPENDS ${_tellvaro_man_pages})
install(FILES ${_tellvaro_man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The AppStream data of the window: its release is the changelog's newest entry, with that
# entry's date; the screenshot is the README's, as the maker's web page offers it.
set(TELLVARO_SCREENSHOT_URL "${TELLVARO_MAKER_URL}tellvaro/main-window.png" CACHE STRING
    "Where software centres fetch the screenshot of the main window (docs/screenshots/main-window.png)")
file(STRINGS ${PROJECT_SOURCE_DIR}/debian/changelog _trailer REGEX "^ -- " LIMIT_COUNT 1)
if(NOT _trailer MATCHES ", ([0-9]+) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9]) ")
  message(FATAL_ERROR "debian/changelog: the newest entry has no date: ${_trailer}")
endif()
set(_day ${CMAKE_MATCH_1})
set(_month_name ${CMAKE_MATCH_2})
set(_year ${CMAKE_MATCH_3})
string(REGEX REPLACE "^0" "" _day ${_day})
set(_months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
list(FIND _months ${_month_name} _month)
math(EXPR _month "${_month} + 1")
foreach(part _day _month)
  if(${part} LESS 10)
    set(${part} 0${${part}})
  endif()
endforeach()
set(TELLVARO_RELEASE_DATE ${_year}-${_month}-${_day})
configure_file(${PROJECT_SOURCE_DIR}/packaging/tellvaro.metainfo.xml.in
               ${CMAKE_BINARY_DIR}/example.quillmar.tellvaro.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/example.quillmar.tellvaro.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
