# Run by cmake --install: writes the starter and the desktop and autostart entries for the
# prefix in force now. file(INSTALL) puts DESTDIR in front.
if(IS_ABSOLUTE "${PELLAR_INSTALL_TREE}")
    set(tree "${PELLAR_INSTALL_TREE}")
else()
    set(tree "${CMAKE_INSTALL_PREFIX}/${PELLAR_INSTALL_TREE}")
endif()
set(PELLAR_INSTALLED_EXECUTABLE "${tree}/bin/pellar")
configure_file("${PELLAR_PACKAGING_DIR}/pellar.desktop.in" "${PELLAR_ENTRIES_DIR}/pellar.desktop" @ONLY)
configure_file("${PELLAR_PACKAGING_DIR}/pellar.sh.in" "${PELLAR_ENTRIES_DIR}/pellar" @ONLY)

set(autostart "${PELLAR_AUTOSTART_DIR}")
if(NOT autostart)
    if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
        set(autostart "/etc/xdg/autostart")
    else()
        set(autostart "${CMAKE_INSTALL_PREFIX}/etc/xdg/autostart")
    endif()
elseif(NOT IS_ABSOLUTE "${autostart}")
    set(autostart "${CMAKE_INSTALL_PREFIX}/${autostart}")
endif()

file(INSTALL "${PELLAR_ENTRIES_DIR}/pellar" DESTINATION "${CMAKE_INSTALL_PREFIX}/${PELLAR_BINDIR}"
    FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
file(INSTALL "${PELLAR_ENTRIES_DIR}/pellar.desktop"
    DESTINATION "${CMAKE_INSTALL_PREFIX}/${PELLAR_DATADIR}/applications")
file(INSTALL "${PELLAR_ENTRIES_DIR}/pellar.desktop" DESTINATION "${autostart}")
