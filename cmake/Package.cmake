# What `cmake --install` puts where, and the Debian package made of it (cpack -G DEB):
# korvane_<version>_amd64.deb with the programs, their data, the menu entry, the man
# pages, kvctl's bash completion, the converters' udev rule and the operators' real-time
# limits. The programs find their data at ../share/korvane beside their bin/ folder, so the
# install prefix is free.
include(GNUInstallDirs)

set(KV_PROGRAMS kvctl kvfield)
if(KV_CONSOLE)
    list(PREPEND KV_PROGRAMS kvshow kvlang)
endif()
install(TARGETS ${KV_PROGRAMS} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES share/demo-field.ini share/kvshow.ini.in share/sample-scenario.txt
              share/sample-soundtrack.ogg share/README-field.md share/SOUNDTRACK-LICENSE.md
        DESTINATION ${CMAKE_INSTALL_DATADIR}/korvane)
install(DIRECTORY share/lang/ DESTINATION ${CMAKE_INSTALL_DATADIR}/korvane/lang)
install(FILES share/korvane.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES share/korvane.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES share/man/kvshow.1 share/man/kvctl.1 share/man/kvfield.1 share/man/kvlang.1
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# Where bash-completion looks a command's completion up by its name, when first typed.
install(FILES share/completion/kvctl.bash
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME kvctl)
install(FILES README.md DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/korvane)
install(DIRECTORY docs/ DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/korvane/docs)
# udev reads /usr/lib/udev/rules.d (the package's prefix) as well as /lib/udev/rules.d.
install(FILES share/60-korvane-converters.rules DESTINATION lib/udev/rules.d)
# pam_limits reads /etc/security/limits.d only: the package's prefix is /usr, so ../etc is
# /etc there, and an install into a folder of one's own keeps it beside its bin/.
install(FILES share/95-korvane-realtime.conf DESTINATION ../etc/security/limits.d)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME korvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_CONTACT "Korvane maintainers <korvane@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "operator console of an electronic fireworks firing system")
set(CPACK_PACKAGE_DESCRIPTION "Korvane finds the devices on an RS485 firing bus, tests every \
igniter, writes a show into the modules' memory and fires it in step with its soundtrack or a \
sound desk's timecode. kvshow is the console window, kvctl the same engine from the command \
line, kvfield a simulated field on pseudo-terminals.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, so no library dependency names them: the window's platform plugin and
# the fonts its Cyrillic texts are drawn with.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "pulseaudio | pipewire-pulse, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The limits file is the administrator's to change: kept over an upgrade.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/share/deb/conffiles)
# The programs without their debugging information: a fifth of the size.
set(CPACK_STRIP_FILES ON)
include(CPack)
