# gildex_library(NAME DEPENDS dep... [EXCLUDE file...])
# One library per folder: every *.cpp of the folder except *_test.cpp (and the files named
# after EXCLUDE, such as a program's main.cpp) goes into the library, every *_test.cpp into
# one test program NAME_tests beside it.
function(gildex_library name)
  cmake_parse_arguments(ARG "" "" "DEPENDS;TEST_DEPENDS;EXCLUDE" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp)
  if(tests)
    list(REMOVE_ITEM sources ${tests})
  endif()
  foreach(excluded ${ARG_EXCLUDE})
    list(REMOVE_ITEM sources ${CMAKE_CURRENT_SOURCE_DIR}/${excluded})
  endforeach()
  add_library(${name} STATIC ${sources})
  add_library(gildex::${name} ALIAS ${name})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_DEPENDS})
  if(GILDEX_TESTS AND tests)
    add_executable(${name}_tests ${tests})
    target_link_libraries(${name}_tests PRIVATE ${name} ${ARG_TEST_DEPENDS} GTest::gtest GTest::gtest_main GTest::gmock)
    target_compile_definitions(${name}_tests PRIVATE
      GILDEX_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
      GILDEX_CORPUS_DIR="${PROJECT_SOURCE_DIR}/../shared/corpus")
    gtest_discover_tests(${name}_tests DISCOVERY_MODE PRE_TEST
      WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
      # A test that hangs fails on its own instead of holding the whole run.
      PROPERTIES ENVIRONMENT "GILDEX_HOME=${PROJECT_SOURCE_DIR}/data" TIMEOUT 600)
  endif()
endfunction()
