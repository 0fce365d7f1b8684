# `cpack` in a build folder makes two Debian packages from what `cmake --install` puts in
# place under /usr, one a component: `gildex` (component cli: the command line, its data,
# man page and bash completion; no Qt) and `gildex-ide` (component ide: the desktop program,
# its man page, desktop entry, icon, file types and the sample project), made only when the
# desktop is built. The presets deb and deb-cli (CMakePresets.json) build them with Debian's hardening flags.
set(CPACK_PACKAGE_NAME gildex)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Gildex developers")
set(CPACK_PACKAGE_CONTACT "Gildex developers <gildex@example.org>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL cli)
if(TARGET gildex-ide)
  list(APPEND CPACK_COMPONENTS_ALL ide)
endif()

set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Gildex developers <gildex@example.org>")
set(CPACK_DEBIAN_PACKAGE_SOURCE gildex)
# A Debian revision: the changelog then belongs at changelog.Debian.gz, as for any
# packaged upstream program.
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The shared libraries each program links against, with the versions it needs: gildex's
# list names no Qt library because nothing of Qt is linked into it.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_CLI_PACKAGE_NAME gildex)
set(CPACK_DEBIAN_IDE_PACKAGE_NAME gildex-ide)
# gildex-ide seeds its program folder from the data the gildex package installs.
set(CPACK_DEBIAN_IDE_PACKAGE_DEPENDS "gildex (= ${PROJECT_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE})")
# The first line is the summary; the other lines are at most 80 characters, as Debian's
# package tools show them.
string(JOIN "\n" CPACK_DEBIAN_CLI_DESCRIPTION
       "rewrites the Basic source of Visual Basic 6 projects procedure by procedure"
       "Gildex inserts and removes error-handling blocks from templates, numbers and"
       "un-numbers lines, adds comment headers and logging lines and runs user scripts"
       "over each procedure of real VB6 projects (.vbp, .vbg, .frm, .bas, .cls, .ctl),"
       "leaving every byte it was not asked to change as it was. Its report --check"
       "fails a build when a procedure has no error handling, with SARIF for CI.")
string(JOIN "\n" CPACK_DEBIAN_IDE_DESCRIPTION
       "VB6 IDE with the Gildex add-in connected"
       "gildex-ide opens Visual Basic 6 projects in an IDE laid out as the VB6 one:"
       "project explorer, code windows, form designer, properties window and toolbox."
       "Gildex is connected as an add-in, its toolbar, menus, options dialog and"
       "progress window included, with the templates and settings of gildex.")

# Each package carries its own copyright file and Debian changelog. Manual pages and the
# changelog go in compressed, as Debian's policy asks (gzip -9n: no name or time stamp, so
# the same sources give the same bytes), made when installing so that a build of any target
# can be packed. A package's files: component, package name, manual page, and what else
# it installs.
find_program(GILDEX_GZIP gzip REQUIRED)
function(gildex_package_files component package)
  foreach(pair "doc/${package}.1|${package}.1.gz|${CMAKE_INSTALL_MANDIR}/man1"
               "packaging/debian/changelog|${package}/changelog.Debian.gz|${CMAKE_INSTALL_DATADIR}/doc/${package}")
    string(REPLACE "|" ";" pair "${pair}")
    list(GET pair 0 source)
    list(GET pair 1 packed)
    list(GET pair 2 destination)
    install(CODE "file(MAKE_DIRECTORY \"${PROJECT_BINARY_DIR}/packed/${package}\")
                  execute_process(COMMAND \"${GILDEX_GZIP}\" -9nc \"${PROJECT_SOURCE_DIR}/${source}\"
                                  OUTPUT_FILE \"${PROJECT_BINARY_DIR}/packed/${packed}\" COMMAND_ERROR_IS_FATAL ANY)"
            COMPONENT ${component})
    install(FILES ${PROJECT_BINARY_DIR}/packed/${packed} DESTINATION ${destination} COMPONENT ${component})
  endforeach()
  install(FILES packaging/debian/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package} COMPONENT ${component})
  # Gildex is packaged outside Debian, so its first upload closes no Debian bug.
  file(WRITE ${PROJECT_BINARY_DIR}/packed/${package}.overrides
       "# Packaged outside Debian: there is no ITP bug for the first upload to close.\n"
       "${package}: initial-upload-closes-no-bugs\n")
  install(FILES ${PROJECT_BINARY_DIR}/packed/${package}.overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
          RENAME ${package} COMPONENT ${component})
endfunction()

gildex_package_files(cli gildex)
install(FILES packaging/bash-completion/gildex DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
        COMPONENT cli)
if(GILDEX_TESTS)
  add_test(NAME bash_completion COMMAND bash ${PROJECT_SOURCE_DIR}/packaging/bash-completion/gildex_test.sh
                                        $<TARGET_FILE:gildex>)
  set_tests_properties(bash_completion PROPERTIES TIMEOUT 600 ENVIRONMENT
                       "GILDEX_HOME=${PROJECT_SOURCE_DIR}/data;GILDEX_REGISTRY=${PROJECT_BINARY_DIR}/completion.reg;GILDEX_WINDIR=${PROJECT_BINARY_DIR}/completion-windows")
endif()
if(TARGET gildex-ide)
  gildex_package_files(ide gildex-ide)
  install(FILES packaging/desktop/gildex-ide.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT ide)
  install(FILES packaging/desktop/gildex-ide.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
          COMPONENT ide)
  install(FILES packaging/desktop/gildex-ide.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages COMPONENT ide)
  # The project `gildex-ide --screenshots` opens when given none.
  install(DIRECTORY data/Sample DESTINATION ${CMAKE_INSTALL_DATADIR}/gildex COMPONENT ide
          PATTERN .gitattributes EXCLUDE)
endif()

include(CPack)
