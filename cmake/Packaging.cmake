# `cpack -G DEB` in a build folder packs what `cmake --install` puts in place into a Debian
# package installed under /usr. Only for making releases: CI builds and tests without it.
set(CPACK_PACKAGE_NAME gildex)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Gildex developers")
set(CPACK_PACKAGE_CONTACT "Gildex developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "rewrites the Basic source of Visual Basic 6 projects procedure by procedure")
set(CPACK_PACKAGE_DESCRIPTION
    "Gildex inserts and removes error-handling blocks from templates, numbers and un-numbers lines, adds comment headers and logging lines and runs user scripts over each procedure of real VB6 projects (.vbp, .vbg, .frm, .bas, .cls, .ctl), leaving every byte it was not asked to change as it was.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)

set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Gildex developers")
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
find_program(GILDEX_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(GILDEX_DPKG_SHLIBDEPS)
  # The shared libraries the program links against, with the versions it needs.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libstdc++6, libfmt9")
endif()

include(CPack)
