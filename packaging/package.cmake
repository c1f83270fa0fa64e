# cpack -G DEB (in the build directory) makes a Debian package of the installation for the
# prefix /usr. The entries name the program by its full path, so the package is staged through
# DESTDIR with the real prefix, never with CPack's staging directory as the prefix.
set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "pellar")
set(CPACK_PACKAGE_VENDOR "Pellar developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "printer status monitor for the system tray")
# Lines of at most 80 characters, as the control file wants them.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
    "Pellar watches the laser printers that CUPS has queues for, connected by USB"
    "or over the network, from the X11 system tray. It explains each status from the"
    "printer's own status description, shows toner levels, follows your print jobs,"
    "and opens help pages, supply ordering and the printer settings. It starts with"
    "the desktop session and is meant to be left running all day.")
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX "/usr")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)

set(PELLAR_PACKAGE_MAINTAINER "Pellar developers <pellar@example.org>" CACHE STRING
    "The Maintainer field of the Debian package")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${PELLAR_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_FILE_NAME "DEB-DEFAULT")
set(CPACK_DEBIAN_PACKAGE_SECTION "utils")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "cups")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PELLAR_PACKAGING_DIR "${CMAKE_SOURCE_DIR}/packaging")
set(CPACK_INSTALL_SCRIPTS "${CMAKE_SOURCE_DIR}/packaging/deb-docs.cmake")

# The autostart entry is a configuration file when it lies in /etc: the package manager keeps
# an administrator's changes to it.
if(NOT PELLAR_AUTOSTART_DIR)
    set(package_autostart "/etc/xdg/autostart")
elseif(IS_ABSOLUTE "${PELLAR_AUTOSTART_DIR}")
    set(package_autostart "${PELLAR_AUTOSTART_DIR}")
else()
    set(package_autostart "${CPACK_PACKAGING_INSTALL_PREFIX}/${PELLAR_AUTOSTART_DIR}")
endif()
set(conffiles "${CMAKE_BINARY_DIR}/packaging/deb/conffiles")
if(package_autostart MATCHES "^/etc/")
    file(WRITE "${conffiles}" "${package_autostart}/pellar.desktop\n")
    set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA "${conffiles}")
else()
    file(REMOVE "${conffiles}")
endif()

include(CPack)
