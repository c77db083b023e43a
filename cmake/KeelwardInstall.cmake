# Installs the utility library, the platform layers it stands on, their headers
# under include/keelward/ and the CMake package "Keelward".
include(CMakePackageConfigHelpers)

set(KEELWARD_CMAKE_DIR "${CMAKE_INSTALL_LIBDIR}/cmake/Keelward")

get_property(installed_targets GLOBAL PROPERTY KEELWARD_INSTALLED_TARGETS)
install(TARGETS ${installed_targets}
        EXPORT KeelwardTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT Development
        INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})

install(FILES util/Base.h util/Utilities.h
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/keelward COMPONENT Development)
get_property(header_dirs GLOBAL PROPERTY KEELWARD_INSTALLED_HEADER_DIRS)
foreach(dir IN LISTS header_dirs)
  # util/<area> -> keelward/<area>; platform/<layer> -> keelward/platform/<layer>
  string(REGEX REPLACE "^util/" "" destination "${dir}")
  install(DIRECTORY "${dir}/"
          DESTINATION "${CMAKE_INSTALL_INCLUDEDIR}/keelward/${destination}"
          COMPONENT Development
          FILES_MATCHING PATTERN "*.h"
          PATTERN "*Internal.h" EXCLUDE
          PATTERN "tests" EXCLUDE)
endforeach()

install(EXPORT KeelwardTargets
        NAMESPACE Keelward::
        DESTINATION ${KEELWARD_CMAKE_DIR}
        COMPONENT Development)

configure_package_config_file(cmake/KeelwardConfig.cmake.in
  "${PROJECT_BINARY_DIR}/KeelwardConfig.cmake"
  INSTALL_DESTINATION ${KEELWARD_CMAKE_DIR})
write_basic_package_version_file("${PROJECT_BINARY_DIR}/KeelwardConfigVersion.cmake"
  COMPATIBILITY SameMajorVersion)
install(FILES "${PROJECT_BINARY_DIR}/KeelwardConfig.cmake" "${PROJECT_BINARY_DIR}/KeelwardConfigVersion.cmake"
        DESTINATION ${KEELWARD_CMAKE_DIR} COMPONENT Development)
