# Run by cpack while it stages the package: the copyright file and the changelog that a Debian
# package carries in /usr/share/doc/pellar. The date honours SOURCE_DATE_EPOCH, and gzip -n
# leaves out the name and time, so the same tree gives the same package.
set(work "${CPACK_PACKAGE_DIRECTORY}/_CPack_Packages/deb-docs")
string(TIMESTAMP PELLAR_PACKAGE_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
configure_file("${CPACK_PELLAR_PACKAGING_DIR}/changelog.in" "${work}/changelog" @ONLY)
execute_process(COMMAND gzip -9nf "${work}/changelog" RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "gzip could not compress ${work}/changelog")
endif()
file(INSTALL "${CPACK_PELLAR_PACKAGING_DIR}/copyright" "${work}/changelog.gz"
    DESTINATION "${CPACK_PACKAGING_INSTALL_PREFIX}/share/doc/pellar")
