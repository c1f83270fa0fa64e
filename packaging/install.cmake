# cmake --install: the installation tree the program runs from (bin/ beside share/, under
# PELLAR_INSTALL_TREE), a starter on the PATH, the desktop and autostart entries and the
# application icon in the hicolor theme. Only files the build made: a staged tree that has been
# run holds options and state of its own.
include(GNUInstallDirs)
set(PELLAR_INSTALL_TREE "lib/pellar" CACHE STRING
    "Where the program's own tree (bin/, share/) is installed, relative to the prefix")
set(PELLAR_AUTOSTART_DIR "" CACHE STRING
    "Where the autostart entry goes (default: /etc/xdg/autostart for the prefix /usr, else PREFIX/etc/xdg/autostart)")

install(TARGETS pellar RUNTIME DESTINATION "${PELLAR_INSTALL_TREE}/bin")
install(FILES "${CMAKE_SOURCE_DIR}/bin/sm.xml" "${CMAKE_SOURCE_DIR}/bin/capabilities.xml"
    "${PELLAR_STAGE}/bin/.version" DESTINATION "${PELLAR_INSTALL_TREE}/bin")
install(DIRECTORY "${CMAKE_SOURCE_DIR}/share/" DESTINATION "${PELLAR_INSTALL_TREE}/share"
    PATTERN ".keep" EXCLUDE)
install(FILES ${icons} DESTINATION "${PELLAR_INSTALL_TREE}/share/icons")
foreach(qm IN LISTS pellar_qm_files)
    get_filename_component(language_dir "${qm}" DIRECTORY)
    get_filename_component(language "${language_dir}" NAME)
    install(FILES "${qm}" DESTINATION "${PELLAR_INSTALL_TREE}/share/translation/${language}")
endforeach()

# The entries name the program by its full path, so they are written with the prefix that
# cmake --install is given.
install(CODE "
    set(PELLAR_PACKAGING_DIR \"${CMAKE_SOURCE_DIR}/packaging\")
    set(PELLAR_ENTRIES_DIR \"${CMAKE_BINARY_DIR}/packaging\")
    set(PELLAR_INSTALL_TREE \"${PELLAR_INSTALL_TREE}\")
    set(PELLAR_AUTOSTART_DIR \"${PELLAR_AUTOSTART_DIR}\")
    set(PELLAR_BINDIR \"${CMAKE_INSTALL_BINDIR}\")
    set(PELLAR_DATADIR \"${CMAKE_INSTALL_DATADIR}\")")
install(SCRIPT "${CMAKE_SOURCE_DIR}/packaging/install-entries.cmake")

# The application icon: the emblem, rendered at the theme's fixed sizes, and its source.
set(hicolor_sizes 16 22 32 48)
set(hicolor_images "")
foreach(size IN LISTS hicolor_sizes)
    list(APPEND hicolor_images "${size}x${size}/pellar ${size} logo.svg")
endforeach()
pellar_art(OUTPUTS hicolor_pngs DIR "${CMAKE_BINARY_DIR}/art/hicolor" IMAGES ${hicolor_images})
add_custom_target(pellar_hicolor ALL DEPENDS ${hicolor_pngs})
# cmake --install builds nothing: the program's target makes everything that is installed, so a
# build of that target alone (./run's) can be installed.
add_dependencies(pellar pellar_hicolor)
foreach(size IN LISTS hicolor_sizes)
    install(FILES "${CMAKE_BINARY_DIR}/art/hicolor/${size}x${size}/pellar.png"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps")
endforeach()
install(FILES "${PELLAR_ART_DIR}/logo.svg" RENAME pellar.svg
    DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps")

# The tray states in the theme too, where desktops that show StatusNotifierItems look them up by
# name and draw them at their panel's size; 16 px trays get the printer drawn for 16 px.
set(tray_sizes 16 22 24 32 48 64)
set(tray_states default normal warning error printing)
set(tray_images "")
foreach(size IN LISTS tray_sizes)
    if(size LESS_EQUAL 16)
        set(printer layer-printer16.svg)
    else()
        set(printer layer-printer22.svg)
    endif()
    foreach(state IN LISTS tray_states)
        set(layers ${printer})
        if(NOT state STREQUAL "default")
            list(APPEND layers layer-${state}22.svg)
        endif()
        list(JOIN layers " " layers)
        list(APPEND tray_images "${size}x${size}/pellar-${state} ${size} ${layers}")
    endforeach()
endforeach()
pellar_art(OUTPUTS tray_pngs DIR "${CMAKE_BINARY_DIR}/art/hicolor" IMAGES ${tray_images})
add_custom_target(pellar_tray_icons ALL DEPENDS ${tray_pngs})
add_dependencies(pellar pellar_tray_icons)
foreach(size IN LISTS tray_sizes)
    foreach(state IN LISTS tray_states)
        install(FILES "${CMAKE_BINARY_DIR}/art/hicolor/${size}x${size}/pellar-${state}.png"
            DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/status")
    endforeach()
endforeach()
