# Values that tie a build to one auction house. The defaults point at the local demo auction
# house started by scripts/auction-house; a real deployment sets them with -D at configure time.
# The program reads no configuration at run time.
set(TELLVARO_CUSTOMER "Demo-Auktionshaus" CACHE STRING "Customer identifier (caption, configuration lookup)")
set(TELLVARO_DIR_HOST "127.0.0.42" CACHE STRING "Directory database host")
set(TELLVARO_DIR_USER "tv_directory" CACHE STRING "Directory database account")
set(TELLVARO_DIR_DB "tv_directory" CACHE STRING "Directory database name")
set(TELLVARO_DIR_PASSWORD_1 "Dir" CACHE STRING "Directory database password, piece 1")
set(TELLVARO_DIR_PASSWORD_2 "Demo" CACHE STRING "Directory database password, piece 2")
set(TELLVARO_DIR_PASSWORD_3 "2026" CACHE STRING "Directory database password, piece 3")
set(TELLVARO_SQL_PREFIX "SqP!" CACHE STRING "Prefix of the auction-house database password")
set(TELLVARO_FTP_PREFIX "FtP!" CACHE STRING "Prefix of the FTP password")
set(TELLVARO_MAIL_PREFIX "MaP!" CACHE STRING "Prefix of the mail password")
set(TELLVARO_WEB_URL "http://127.0.0.42/" CACHE STRING "Root address of the auction house's web server")
set(TELLVARO_MAKER_URL "http://127.0.0.42/" CACHE STRING "Maker's web page opened by the credit lines")
# TLS: always used when a server offers it; required, a server without it is refused before any
# password goes out. The CA file is trusted beside the system's store (empty: the store alone);
# the default is the CA the local auction house makes for itself.
option(TELLVARO_TLS_REQUIRED "Refuse database, FTP and mail servers that offer no TLS" OFF)
set(TELLVARO_TLS_CA_FILE "/tmp/tellvaro-auction-house/tls/ca.crt" CACHE STRING
    "CA certificates trusted beside the system's store (PEM), empty for the store alone")
mark_as_advanced(TELLVARO_DIR_PASSWORD_1 TELLVARO_DIR_PASSWORD_2 TELLVARO_DIR_PASSWORD_3
                 TELLVARO_SQL_PREFIX TELLVARO_FTP_PREFIX TELLVARO_MAIL_PREFIX)
foreach(v SQL FTP MAIL)
  string(LENGTH "${TELLVARO_${v}_PREFIX}" _len)
  if(NOT _len EQUAL 4)
    message(FATAL_ERROR "TELLVARO_${v}_PREFIX must be four characters long")
  endif()
endforeach()

# Writes the header of the deployment values in scope. Each value becomes a C++ literal of hex
# escapes, one literal per byte, so a quote, a backslash or a line break in a -D value compiles
# and arrives unchanged.
set(_tellvaro_deployment_template ${CMAKE_CURRENT_LIST_DIR}/deployment.h.in)
function(tellvaro_deployment_header out_file)
  foreach(v CUSTOMER DIR_HOST DIR_USER DIR_DB DIR_PASSWORD_1 DIR_PASSWORD_2 DIR_PASSWORD_3
            SQL_PREFIX FTP_PREFIX MAIL_PREFIX WEB_URL MAKER_URL TLS_CA_FILE)
    string(HEX "${TELLVARO_${v}}" _hex)
    string(REGEX REPLACE "(..)" "\\\\x\\1\" \"" _bytes "${_hex}")
    set(TELLVARO_${v}_LITERAL "\"${_bytes}\"")
  endforeach()
  if(TELLVARO_TLS_REQUIRED)
    set(TELLVARO_TLS_REQUIRED_LITERAL true)
  else()
    set(TELLVARO_TLS_REQUIRED_LITERAL false)
  endif()
  configure_file(${_tellvaro_deployment_template} ${out_file} @ONLY)
endfunction()
tellvaro_deployment_header(${CMAKE_BINARY_DIR}/generated/tellvaro/deployment.h)
