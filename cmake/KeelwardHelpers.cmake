# Shared build helpers.

function(keelward_set_warnings)
  add_compile_options(-Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
                      -Wimplicit-fallthrough -Wformat=2)
  if(KEELWARD_WARNINGS_AS_ERRORS)
    add_compile_options(-Werror)
  endif()
endfunction()

# Public headers live beside their sources (util/<area>/, platform/<layer>/) and are
# installed under include/keelward/. The build tree mirrors that layout with links
# so that every source includes them the way a user of the installed library does.
set(KEELWARD_INCLUDE_TREE "${PROJECT_BINARY_DIR}/include")
set(KEELWARD_UTIL_AREAS text strings buffers memory checksums cfstrings probes)
set(KEELWARD_PLATFORM_LAYERS CoreFoundation IOKit MemoryManager Carbon)

function(keelward_make_include_tree)
  set(root "${KEELWARD_INCLUDE_TREE}/keelward")
  file(MAKE_DIRECTORY "${root}/platform")
  foreach(header Base.h Utilities.h)
    file(CREATE_LINK "${PROJECT_SOURCE_DIR}/util/${header}" "${root}/${header}" SYMBOLIC)
  endforeach()
  foreach(area IN LISTS KEELWARD_UTIL_AREAS)
    file(CREATE_LINK "${PROJECT_SOURCE_DIR}/util/${area}" "${root}/${area}" SYMBOLIC)
  endforeach()
  foreach(layer IN LISTS KEELWARD_PLATFORM_LAYERS)
    if(EXISTS "${PROJECT_SOURCE_DIR}/platform/${layer}")
      file(CREATE_LINK "${PROJECT_SOURCE_DIR}/platform/${layer}" "${root}/platform/${layer}" SYMBOLIC)
    endif()
  endforeach()
endfunction()

# keelward_add_test_suite(<name> SOURCES ... [LIBRARIES ...])
# One GoogleTest executable; each test case becomes a CTest test.
function(keelward_add_test_suite name)
  if(NOT KEELWARD_BUILD_TESTS)
    return()
  endif()
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBRARIES" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBRARIES} GTest::gtest GTest::gtest_main GTest::gmock)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES LABELS "${name}")
endfunction()

# keelward_add_platform_layer(<Layer> [LINK ...])
# A platform stand-in installed with the utility library: the static library
# Keelward<Layer> (Keelward::<Layer>, libkeelward-<layer>.a) from platform/<Layer>/*.cpp,
# its headers installed under keelward/platform/<Layer>/, and its test suite from
# tests/*.cpp. LINK names what it links privately.
function(keelward_add_platform_layer layer)
  cmake_parse_arguments(ARG "" "" "LINK" ${ARGN})
  set(target Keelward${layer})
  string(TOLOWER "${layer}" lower)
  file(GLOB sources CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp")
  add_library(${target} STATIC ${sources})
  add_library(Keelward::${layer} ALIAS ${target})
  set_target_properties(${target} PROPERTIES EXPORT_NAME ${layer} OUTPUT_NAME keelward-${lower})
  target_include_directories(${target} PUBLIC
    "$<BUILD_INTERFACE:${KEELWARD_INCLUDE_TREE}>"
    "$<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>")
  target_link_libraries(${target} PRIVATE ${ARG_LINK})
  set_property(GLOBAL APPEND PROPERTY KEELWARD_INSTALLED_TARGETS ${target})
  set_property(GLOBAL APPEND PROPERTY KEELWARD_INSTALLED_HEADER_DIRS "platform/${layer}")

  file(GLOB test_sources CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/tests/*.cpp")
  if(test_sources)
    keelward_add_test_suite(${lower}_tests SOURCES ${test_sources} LIBRARIES ${target})
  endif()
endfunction()
