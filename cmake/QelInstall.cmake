# SPDX-License-Identifier: MIT
# What `cmake --install` adds beside the targets: the public headers under <qel/...>, the CMake
# package (qelConfig.cmake, qelConfigVersion.cmake, qelTargets.cmake), one pkg-config file per
# library and the licence.

# Public headers: everything a package or the toolkit declares, except the Simple MAPI
# provider's working parts, the X11 backend's internals and the window system's shared state. They include each other as
# "toolkit/...", "visual/..." and "mail/..."; installed, those paths become "qel/..." so that
# the one include folder a consumer adds holds nothing but qel/.
file(GLOB_RECURSE QEL_PUBLIC_HEADERS CONFIGURE_DEPENDS RELATIVE ${PROJECT_SOURCE_DIR}
  ${PROJECT_SOURCE_DIR}/toolkit/*.h ${PROJECT_SOURCE_DIR}/visual/*.h ${PROJECT_SOURCE_DIR}/mail/*.h)
list(FILTER QEL_PUBLIC_HEADERS EXCLUDE REGEX "^mail/provider/|^toolkit/platform/X11[^/]*\\.h$|Internal\\.h$")
list(SORT QEL_PUBLIC_HEADERS)
set(QEL_HEADER_STAGE ${CMAKE_BINARY_DIR}/public-include)
set(QEL_HEADER_STAMP ${CMAKE_BINARY_DIR}/public-include.stamp)
list(TRANSFORM QEL_PUBLIC_HEADERS PREPEND ${PROJECT_SOURCE_DIR}/ OUTPUT_VARIABLE QEL_HEADER_FILES)
string(REPLACE ";" "|" QEL_HEADERS_PACKED "${QEL_PUBLIC_HEADERS}")
add_custom_command(OUTPUT ${QEL_HEADER_STAMP}
  COMMAND ${CMAKE_COMMAND} -DQEL_SOURCE=${PROJECT_SOURCE_DIR} -DQEL_OUT=${QEL_HEADER_STAGE}
          "-DQEL_HEADERS=${QEL_HEADERS_PACKED}" -P ${PROJECT_SOURCE_DIR}/cmake/QelPublicHeaders.cmake
  COMMAND ${CMAKE_COMMAND} -E touch ${QEL_HEADER_STAMP}
  DEPENDS ${QEL_HEADER_FILES} ${PROJECT_SOURCE_DIR}/cmake/QelPublicHeaders.cmake
  COMMENT "Staging the public headers"
  VERBATIM)
add_custom_target(qel_public_headers ALL DEPENDS ${QEL_HEADER_STAMP})
install(DIRECTORY ${QEL_HEADER_STAGE}/qel DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})

# CMake package. Only interface dependencies are asked for: the libraries' private ones (fonts,
# PNG, X11, SQLite) are needed by the shared objects at run time, not by their users.
include(CMakePackageConfigHelpers)
set(QEL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/qel)
install(EXPORT qelTargets NAMESPACE qel:: DESTINATION ${QEL_CMAKEDIR})
configure_package_config_file(cmake/qelConfig.cmake.in ${CMAKE_BINARY_DIR}/qelConfig.cmake
  INSTALL_DESTINATION ${QEL_CMAKEDIR})
# Before 1.0 a minor release may change the interface.
if(PROJECT_VERSION_MAJOR EQUAL 0)
  set(QEL_COMPATIBILITY SameMinorVersion)
else()
  set(QEL_COMPATIBILITY SameMajorVersion)
endif()
write_basic_package_version_file(${CMAKE_BINARY_DIR}/qelConfigVersion.cmake
  COMPATIBILITY ${QEL_COMPATIBILITY})
install(FILES ${CMAKE_BINARY_DIR}/qelConfig.cmake ${CMAKE_BINARY_DIR}/qelConfigVersion.cmake
  DESTINATION ${QEL_CMAKEDIR})

# pkg-config files, relocatable: the prefix is found from the file's own folder.
file(RELATIVE_PATH QEL_PC_TO_PREFIX ${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig ${CMAKE_INSTALL_PREFIX})
string(REGEX REPLACE "/$" "" QEL_PC_TO_PREFIX "${QEL_PC_TO_PREFIX}")
file(RELATIVE_PATH QEL_PC_INCLUDEDIR ${CMAKE_INSTALL_PREFIX} ${CMAKE_INSTALL_FULL_INCLUDEDIR})
file(RELATIVE_PATH QEL_PC_LIBDIR ${CMAKE_INSTALL_PREFIX} ${CMAKE_INSTALL_FULL_LIBDIR})
foreach(pc qeltoolkit Brisca40 Corvex40)
  configure_file(cmake/pkgconfig/${pc}.pc.in ${CMAKE_BINARY_DIR}/pkgconfig/${pc}.pc @ONLY)
  install(FILES ${CMAKE_BINARY_DIR}/pkgconfig/${pc}.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
endforeach()

install(FILES LICENSE COPYRIGHT DESTINATION ${CMAKE_INSTALL_DOCDIR})
