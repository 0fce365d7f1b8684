# The flags Debian builds its packages with (stack protector, fortified functions, format
# checks, read-only relocations bound at start), as dpkg-buildflags gives them on this
# machine; DEB_BUILD_MAINT_OPTIONS from the environment is honoured.
find_program(GILDEX_DPKG_BUILDFLAGS dpkg-buildflags REQUIRED)
if(DEFINED ENV{DEB_BUILD_MAINT_OPTIONS})
  set(maint_options "$ENV{DEB_BUILD_MAINT_OPTIONS}")
else()
  set(maint_options hardening=+all)
endif()
foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=${maint_options}
                          ${GILDEX_DPKG_BUILDFLAGS} --get ${kind}
                  WORKING_DIRECTORY ${PROJECT_SOURCE_DIR} OUTPUT_VARIABLE debian_${kind}
                  OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
endforeach()
string(APPEND CMAKE_CXX_FLAGS " ${debian_CPPFLAGS} ${debian_CXXFLAGS}")
string(APPEND CMAKE_EXE_LINKER_FLAGS " ${debian_LDFLAGS}")
string(APPEND CMAKE_SHARED_LINKER_FLAGS " ${debian_LDFLAGS}")
message(STATUS "Debian build flags: ${debian_CPPFLAGS} ${debian_CXXFLAGS} | ${debian_LDFLAGS}")
