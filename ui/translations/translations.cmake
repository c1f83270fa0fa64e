# The user-interface texts' catalogues: Qt Linguist sources (pellar_<language>.ts) here, compiled
# by lrelease at build time into share/translation/<language>/ beside the status translations,
# where start-up looks for the language it chose. Refresh a source after changing texts with
#   /usr/lib/qt6/bin/lupdate -locations none -no-obsolete \
#       base status net cups acquisition config discovery ui app -ts ui/translations/pellar_de.ts
find_program(PELLAR_LRELEASE lrelease HINTS /usr/lib/qt6/bin /usr/lib/qt6/libexec REQUIRED)

file(GLOB pellar_ts_files CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/ui/translations/pellar_*.ts")
set(pellar_qm_files "")
foreach(ts IN LISTS pellar_ts_files)
    get_filename_component(name "${ts}" NAME_WE)
    string(REPLACE "pellar_" "" language "${name}")
    set(qm "${PELLAR_STAGE}/share/translation/${language}/${name}.qm")
    add_custom_command(OUTPUT "${qm}"
        COMMAND ${CMAKE_COMMAND} -E make_directory "${PELLAR_STAGE}/share/translation/${language}"
        COMMAND "${PELLAR_LRELEASE}" -silent "${ts}" -qm "${qm}"
        DEPENDS "${ts}"
        COMMENT "Compiling the ${language} user-interface catalogue")
    list(APPEND pellar_qm_files "${qm}")
endforeach()
add_custom_target(pellar_translations DEPENDS ${pellar_qm_files})
add_dependencies(stage pellar_translations)
