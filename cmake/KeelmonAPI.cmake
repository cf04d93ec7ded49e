# Project-wide helpers: every component folder declares its target through one
# of these, so visibility, export macros, output folders and test registration
# are set in one place.

set(KEEL_OUTPUT_DIR "${CMAKE_BINARY_DIR}/bin")

# keel_add_library(NAME [STATIC|SHARED] SOURCES ... [DEPENDS ...] [PUBLIC_DEPENDS ...])
# Symbols are hidden unless marked KEEL_EXPORT (orb/wire/keelexport.h).
function(keel_add_library name)
  cmake_parse_arguments(ARG "STATIC" "" "SOURCES;DEPENDS;PUBLIC_DEPENDS" ${ARGN})
  if(ARG_STATIC)
    add_library(${name} STATIC ${ARG_SOURCES})
    set_target_properties(${name} PROPERTIES POSITION_INDEPENDENT_CODE ON)
  else()
    add_library(${name} SHARED ${ARG_SOURCES})
  endif()
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${ARG_DEPENDS} PUBLIC ${ARG_PUBLIC_DEPENDS})
  keel_set_output(${name})
endfunction()

# keel_add_plugin(NAME SOURCES ... DEPENDS ...): a library loaded at run time by
# name (service and module libraries). Its only exports are its extern "C"
# factory and API-version functions.
function(keel_add_plugin name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
  add_library(${name} MODULE ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPENDS})
  set_target_properties(${name} PROPERTIES PREFIX "lib")
  keel_set_output(${name})
endfunction()

# keel_add_module(NAME SOURCES ... FACTORY file [DEPENDS ...]): a module
# library in two targets. <NAME>Core is a static library
# (position-independent) with the module's code; it links the frame library
# and DEPENDS, and tests link it to reach the module's classes directly.
# <NAME> is the MODULE library the host loads ("lib<NAME>.so"): it compiles
# only the FACTORY file (KEEL_DECLARE_MODULE, nothing else) and takes the
# whole core, so nothing is compiled twice.
function(keel_add_module name)
  cmake_parse_arguments(ARG "" "FACTORY" "SOURCES;DEPENDS" ${ARGN})
  if(NOT ARG_FACTORY)
    message(FATAL_ERROR "keel_add_module(${name}): FACTORY names the file with KEEL_DECLARE_MODULE")
  endif()
  keel_add_library(${name}Core STATIC
    SOURCES ${ARG_SOURCES}
    PUBLIC_DEPENDS proframe ${ARG_DEPENDS})
  keel_add_plugin(${name}
    SOURCES ${ARG_FACTORY}
    DEPENDS "$<LINK_LIBRARY:WHOLE_ARCHIVE,${name}Core>")
endfunction()

function(keel_add_executable name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPENDS})
  keel_set_output(${name})
endfunction()

function(keel_set_output name)
  set_target_properties(${name} PROPERTIES
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON
    RUNTIME_OUTPUT_DIRECTORY ${KEEL_OUTPUT_DIR}
    LIBRARY_OUTPUT_DIRECTORY ${KEEL_OUTPUT_DIR}
    BUILD_RPATH "\$ORIGIN"
    INSTALL_RPATH "\$ORIGIN")
endfunction()

# The tests labelled "tsan" ("asan") are built by this target in the
# ThreadSanitizer (AddressSanitizer) tree, so that tree builds nothing else.
add_custom_target(tsan_tests)
add_custom_target(asan_tests)

# keel_add_test(NAME SOURCES ... DEPENDS ... [LABELS ...] [TIMEOUT seconds] [POSTGRES])
# A GoogleTest executable registered with CTest; Qt tests run offscreen and
# discovery is pinned to loopback for every test process. POSTGRES registers
# it a second time as NAME_pg, its server tests storing in PostgreSQL.
function(keel_add_test name)
  cmake_parse_arguments(ARG "POSTGRES" "TIMEOUT" "SOURCES;DEPENDS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPENDS} GTest::gtest GTest::gtest_main)
  set_target_properties(${name} PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests
    BUILD_RPATH "${KEEL_OUTPUT_DIR}")
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  add_test(NAME ${name} COMMAND ${name})
  foreach(sanitizer tsan asan)
    if(sanitizer IN_LIST ARG_LABELS)
      add_dependencies(${sanitizer}_tests ${name})
    endif()
  endforeach()
  set(environment "QT_QPA_PLATFORM=offscreen;KEELMON_DISCOVERY_TARGET=127.0.0.1;KEEL_BIN_DIR=${KEEL_OUTPUT_DIR}")
  set_tests_properties(${name} PROPERTIES
    TIMEOUT ${ARG_TIMEOUT}
    LABELS "${ARG_LABELS}"
    ENVIRONMENT "${environment}")
  if(ARG_POSTGRES)
    add_test(NAME ${name}_pg COMMAND ${name})
    set_tests_properties(${name}_pg PROPERTIES
      TIMEOUT ${ARG_TIMEOUT}
      LABELS "${ARG_LABELS};postgres"
      ENVIRONMENT "${environment};KEELMON_TEST_DB=postgresql")
  endif()
endfunction()

# keel_add_benchmark(NAME SOURCES ... DEPENDS ...): a Google Benchmark program,
# built with the project but never run by CTest.
function(keel_add_benchmark name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
  if(NOT TARGET benchmark::benchmark)
    return()
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPENDS} benchmark::benchmark)
  set_target_properties(${name} PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench
    BUILD_RPATH "${KEEL_OUTPUT_DIR}")
endfunction()
