# Warnings are errors in our own code only (CI keeps TAVIX_WERROR on).
# Designated initialisers leave out the members whose defaults they keep; GCC 12 would
# warn of each of them.
set(TAVIX_WARNINGS -Wall -Wextra -Wpedantic -Wno-missing-field-initializers)
if(TAVIX_WERROR)
  list(APPEND TAVIX_WARNINGS -Werror)
endif()

# tavix_add_library(<folder> SOURCES ... [DEPS ...])
# Builds the folder as library tavix_<folder> with the alias tavix::<folder>.
# Headers are included with their folder: #include "xml/UXBaum.h".
function(tavix_add_library folder)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  set(target tavix_${folder})
  add_library(${target} STATIC ${ARG_SOURCES})
  add_library(tavix::${folder} ALIAS ${target})
  target_include_directories(${target} PUBLIC $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}>)
  target_compile_options(${target} PRIVATE ${TAVIX_WARNINGS})
  if(ARG_DEPS)
    target_link_libraries(${target} PUBLIC ${ARG_DEPS})
  endif()
endfunction()

# tavix_add_test(<name> SOURCES ... DEPS ...)
# One GoogleTest executable, registered with CTest test by test.
function(tavix_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_compile_options(${name} PRIVATE ${TAVIX_WARNINGS})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock)
  target_compile_definitions(${name} PRIVATE TAVIX_TEST_DATA="${PROJECT_SOURCE_DIR}/tests/data")
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 120)
endfunction()

# The publisher's lines shown in the About box: name and place first, then the contact
# lines (web, e-mail, telephone), all embedded into each program file.
set(TAVIX_PUBLISHER "The Tavix developers, Berlin")
set(TAVIX_CONTACT_LINES "https://tavix.example.org" "info@tavix.example.org" "Tel. +49 30 0000 0000")
set(TAVIX_COPYRIGHT_YEARS "2026")

# tavix_embed_version(<target> <program file name>)
# Gives the program file its version information (read back by TVInfos::Lesen).
function(tavix_embed_version target program)
  set(TAVIX_PROGRAM_FILE ${program})
  # \xA9 is the copyright sign in the program's single-byte text.
  set(TAVIX_COPYRIGHT "\\xA9 ${TAVIX_COPYRIGHT_YEARS} The Tavix developers")
  list(JOIN TAVIX_CONTACT_LINES "\\n" TAVIX_CONTACT)
  set(output ${CMAKE_BINARY_DIR}/generated/${target}_VersionInfo.cpp)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/VersionInfo.cpp.in ${output} @ONLY)
  target_sources(${target} PRIVATE ${output})
endfunction()
