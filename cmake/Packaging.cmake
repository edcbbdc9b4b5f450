# What `cmake --install` puts where, and the Debian package CPack builds from it.
#
#   bin/                               tovelisp, tovelisp-cli, tovel-sim
#   share/tovelisp/help/               the help document (where the programs look for it)
#   share/tovelisp/README              where the board maker's firmware image goes
#   share/tovelisp/examples/atmega8/   the example project
#   share/doc/tovelisp/                help (a link to the above), the udev rule example, copyright
#   share/man/man1/                    tovelisp(1), tovelisp-cli(1), tovel-sim(1)
#   share/applications/, share/icons/  the desktop entry and icon (with the desktop program)
#
# The programs find their data through TOVEL_DATA_DIR, compiled in from CMAKE_INSTALL_PREFIX:
# a package must be built with the prefix it installs to (tools/package.sh uses /usr).
# Translations are compiled in; Qt's own come from the system (qt6-translations-l10n).

# Shared with the About box, which shows the same page and address.
set(TOVEL_PROJECT_URL "https://tovelisp.example.org" CACHE STRING "Project page shown in the About box")
set(TOVEL_CONTACT "contact@tovelisp.example.org" CACHE STRING "Contact e-mail address shown in the About box")

set(tovel_data_dir ${CMAKE_INSTALL_DATADIR}/tovelisp)
set(tovel_packaging_dir ${CMAKE_CURRENT_LIST_DIR})

foreach(program IN ITEMS tovelisp tovelisp-cli tovel-sim)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

# The help document where the programs look for it, and a link to it among the documentation.
install(FILES ${PROJECT_SOURCE_DIR}/docs/help/index.html DESTINATION ${tovel_data_dir}/help)
set(help_link ${CMAKE_CURRENT_BINARY_DIR}/packaging/help)
file(MAKE_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/packaging)
file(RELATIVE_PATH help_target ${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DOCDIR}
     ${CMAKE_INSTALL_PREFIX}/${tovel_data_dir}/help)
file(CREATE_LINK ${help_target} ${help_link} SYMBOLIC)
install(FILES ${help_link} DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The firmware image is the board maker's: the program ships none, only a note where it goes.
set(tovel_full_data_dir ${CMAKE_INSTALL_FULL_DATADIR}/tovelisp)
configure_file(${PROJECT_SOURCE_DIR}/data/firmware-image-README.in ${CMAKE_CURRENT_BINARY_DIR}/packaging/README @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/packaging/README DESTINATION ${tovel_data_dir})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION ${tovel_data_dir}/examples)
install(FILES ${PROJECT_SOURCE_DIR}/data/60-tovelisp-serial.rules DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)

if(TARGET tovelisp AND EXISTS ${PROJECT_SOURCE_DIR}/data/tovelisp.desktop)
  install(FILES ${PROJECT_SOURCE_DIR}/data/tovelisp.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
endif()
if(TARGET tovelisp AND EXISTS ${PROJECT_SOURCE_DIR}/data/tovelisp.svg)
  install(FILES ${PROJECT_SOURCE_DIR}/data/tovelisp.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()
if(TARGET tovelisp AND EXISTS ${PROJECT_SOURCE_DIR}/data/tovelisp.png)
  install(FILES ${PROJECT_SOURCE_DIR}/data/tovelisp.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/64x64/apps)
endif()

# Manual pages, stamped with this version and compressed as Debian wants them (gzip -n: no name
# or time stamp, so the build repeats).
find_program(TOVEL_GZIP gzip)
foreach(program IN ITEMS tovelisp tovelisp-cli tovel-sim)
  if(NOT TARGET ${program})
    continue()
  endif()
  set(source ${PROJECT_SOURCE_DIR}/docs/man/${program}.1)
  set(page ${CMAKE_CURRENT_BINARY_DIR}/packaging/${program}.1)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
  file(READ ${source} text)
  string(REGEX REPLACE "\"tovelisp [0-9.]+\"" "\"tovelisp ${PROJECT_VERSION}\"" text "${text}")
  string(REPLACE "/usr/share/tovelisp" "${tovel_full_data_dir}" text "${text}")
  file(CONFIGURE OUTPUT ${page} CONTENT "${text}" @ONLY)
  if(TOVEL_GZIP)
    add_custom_command(OUTPUT ${page}.gz COMMAND ${TOVEL_GZIP} -9 -n -f -k ${page} DEPENDS ${page} VERBATIM)
    add_custom_target(${program}-manpage ALL DEPENDS ${page}.gz)
    install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  else()
    install(FILES ${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  endif()
endforeach()

# Debian wants its copyright file and a changelog in every package's documentation folder.
install(FILES ${tovel_packaging_dir}/debian/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${tovel_packaging_dir}/debian/lintian-overrides RENAME tovelisp
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides)
set(TOVEL_DEB_RELEASE 1 CACHE STRING "Debian revision of the package (the part after the version)")
set(tovel_deb_version ${PROJECT_VERSION}-${TOVEL_DEB_RELEASE})
set(tovel_maintainer "tovelisp developers <${TOVEL_CONTACT}>")
# SOURCE_DATE_EPOCH, when set, fixes the date for a repeatable build.
string(TIMESTAMP tovel_changelog_date "%a, %d %b %Y %H:%M:%S +0000" UTC)
configure_file(${tovel_packaging_dir}/debian/changelog.in ${CMAKE_CURRENT_BINARY_DIR}/packaging/changelog.Debian
               @ONLY)
if(TOVEL_GZIP)
  set(changelog ${CMAKE_CURRENT_BINARY_DIR}/packaging/changelog.Debian.gz)
  add_custom_command(OUTPUT ${changelog}
                     COMMAND ${TOVEL_GZIP} -9 -n -f -k ${CMAKE_CURRENT_BINARY_DIR}/packaging/changelog.Debian
                     DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/packaging/changelog.Debian VERBATIM)
  add_custom_target(tovel-changelog ALL DEPENDS ${changelog})
  install(FILES ${changelog} DESTINATION ${CMAKE_INSTALL_DOCDIR})
endif()

# The Debian package: `cpack -G DEB` in a build tree (tools/package.sh does it all).
set(CPACK_PACKAGE_NAME tovelisp)
set(CPACK_PACKAGE_VENDOR "tovelisp developers")
set(CPACK_PACKAGE_CONTACT ${tovel_maintainer})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "control program for the Tovel and Tovel-U in-system programmers")
set(CPACK_PACKAGE_DESCRIPTION
    "Programs Atmel microcontrollers and serial memories through their SPI
programming interface with a Tovel or Tovel-U programmer board on a serial
port or a USB-serial adapter: ATtiny, ATmega, AT90, AT90CAN, AT89S and
AT86RF401 chips, AT25 serial EEPROMs and AT45 DataFlash memories. It
erases, blank-checks, programs, reads and verifies Flash and EEPROM from
Intel HEX or binary images, reads signatures and calibration bytes,
programs lock and fuse bits, and runs a project's steps in one
auto-program run.
.
The package holds the Qt desktop program (tovelisp), the command-line
front end for scripts and production lines (tovelisp-cli), and a
simulated board with simulated chips on a pseudo-terminal (tovel-sim) to
try every feature without hardware.
.
The board firmware image is not included: the board maker supplies it.")
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${TOVEL_DEB_RELEASE})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${tovel_maintainer})
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${TOVEL_PROJECT_URL})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# setserial shows (and sets) the low-latency mode of a serial port.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS setserial)
if(TARGET tovelisp)
  # Qt's own dialog texts in Russian.
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-translations-l10n)
endif()

include(CPack)
