# The Debian package: `cpack` in a build directory packs whatever the install() rules place,
# under /usr. Depends are computed by dpkg-shlibdeps from the installed programs. The desktop
# file, icons and metainfo join through their own install() rules under GNUInstallDirs paths;
# .ci/package.sh validates them in the package when they are there.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vantrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Vantrel developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "find resistor values, alone or two in parallel")
set(CPACK_PACKAGE_DESCRIPTION
    "Vantrel is a small desktop tool for electronics work. You type a target
resistance and an allowed deviation in percent; Vantrel searches your own
stock of resistor values, kept in the plain text file ResistorLibrary.txt,
and lists every way to reach the target with one value alone or two values
in parallel, ranked by deviation.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Vantrel developers")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

include(CPack)
