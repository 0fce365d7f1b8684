# `cpack -G DEB` in a build folder packs what `cmake --install` puts in place into a Debian
# package installed under /usr. Only for making releases: CI builds and tests without it.
set(CPACK_PACKAGE_NAME gildex)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Gildex developers")
set(CPACK_PACKAGE_CONTACT "Gildex developers <gildex@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "rewrites the Basic source of Visual Basic 6 projects procedure by procedure")
# Lines of at most 80 characters, as Debian's package tools show them.
set(description_lines
    "Gildex inserts and removes error-handling blocks from templates, numbers and"
    "un-numbers lines, adds comment headers and logging lines and runs user scripts"
    "over each procedure of real VB6 projects (.vbp, .vbg, .frm, .bas, .cls, .ctl),"
    "leaving every byte it was not asked to change as it was.")
if(TARGET gildex-ide)
  list(APPEND description_lines
       "gildex-ide is a desktop IDE for such projects with Gildex connected as an"
       "add-in, its menus, toolbar and progress window included.")
endif()
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION ${description_lines})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)

set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Gildex developers <gildex@example.org>")
# A Debian revision: the changelog then belongs at changelog.Debian.gz, as for any
# packaged upstream program.
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
find_program(GILDEX_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(GILDEX_DPKG_SHLIBDEPS)
  # The shared libraries the program links against, with the versions it needs.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libstdc++6, libfmt9")
  if(TARGET gildex-ide)
    string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ", libqt6core6, libqt6gui6, libqt6widgets6")
  endif()
endif()

# The manual page and the package's changelog go in compressed, as Debian's policy asks
# (gzip -9n: no name or time stamp, so the same sources give the same bytes), made when
# installing so that a build of any target can be packed; the copyright file is in
# Debian's machine-readable form.
find_program(GILDEX_GZIP gzip REQUIRED)
foreach(pair "doc/gildex.1|gildex.1.gz|${CMAKE_INSTALL_MANDIR}/man1"
             "packaging/debian/changelog|changelog.Debian.gz|${CMAKE_INSTALL_DOCDIR}")
  string(REPLACE "|" ";" pair "${pair}")
  list(GET pair 0 source)
  list(GET pair 1 packed)
  list(GET pair 2 destination)
  install(CODE "execute_process(COMMAND \"${GILDEX_GZIP}\" -9nc \"${PROJECT_SOURCE_DIR}/${source}\"
                                OUTPUT_FILE \"${PROJECT_BINARY_DIR}/${packed}\" COMMAND_ERROR_IS_FATAL ANY)")
  install(FILES ${PROJECT_BINARY_DIR}/${packed} DESTINATION ${destination})
endforeach()
install(FILES packaging/debian/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
# Gildex is packaged outside Debian, so its first upload closes no Debian bug.
install(FILES packaging/debian/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
        RENAME gildex)

# The desktop entry's icon: drawn by the program itself (no picture files to keep), saved as
# PNG by a hidden option on the offscreen platform when the program is built.
if(TARGET gildex-ide)
  set(icon ${PROJECT_BINARY_DIR}/gildex-ide.png)
  add_custom_command(OUTPUT ${icon}
                     COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen $<TARGET_FILE:gildex-ide> --save-icon ${icon}
                     DEPENDS gildex-ide VERBATIM COMMENT "Drawing the gildex-ide icon")
  add_custom_target(gildex-ide-icon ALL DEPENDS ${icon})
  install(FILES ${icon} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/64x64/apps)
endif()

include(CPack)
