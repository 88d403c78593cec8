# The Debian package: `cpack` in a build directory packs whatever the install() rules place,
# under /usr. Depends are computed by dpkg-shlibdeps from the installed programs. The desktop
# file, icons and metainfo join through their own install() rules under GNUInstallDirs paths;
# .ci/package.sh validates them in the package when they are there.

# The package's documentation folder: the README, the sample library and the copyright file
# in Debian's machine-readable format.
set(VANTREL_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/vantrel)
install(FILES README.md DESTINATION ${VANTREL_DOC_DIR} RENAME README)
install(DIRECTORY examples/ DESTINATION ${VANTREL_DOC_DIR}/examples)
install(FILES cmake/debian/copyright DESTINATION ${VANTREL_DOC_DIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vantrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Vantrel developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "find resistor values, alone, in networks or in dividers")
set(CPACK_PACKAGE_DESCRIPTION
    "Vantrel is a small desktop tool for electronics work. You type a target
resistance and an allowed deviation in percent; Vantrel searches your own
stock of resistor values, kept in the plain text file ResistorLibrary.txt,
and lists every way to reach the target with one value alone or two values
in parallel, ranked by deviation. Its Networks window and the command line
also find series-parallel networks of up to four values and voltage divider
pairs, and look after the library.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The project has no public address yet, so the field names the project alone.
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The Vantrel developers")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The fonts the window falls back to where SimSun is missing; without one of them the about
# box's text and its button are empty boxes; DejaVu Sans is the Networks window's face.
# bash reads the installed completions only with bash-completion.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "fonts-arphic-uming | fonts-wqy-zenhei, fonts-dejavu-core, bash-completion")

include(CPack)
