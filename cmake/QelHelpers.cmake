# SPDX-License-Identifier: MIT
# Sources are picked up per folder so that adding a unit needs no edit here.
function(qel_sources out)
  set(result)
  foreach(dir IN LISTS ARGN)
    file(GLOB found CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.cpp)
    list(APPEND result ${found})
  endforeach()
  set(${out} ${result} PARENT_SCOPE)
endfunction()

# One GoogleTest program per test folder; the folder's tests run as one CTest entry.
# Extra arguments are the libraries the tests link against.
function(qel_test_dir name dir)
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.cpp)
  if(NOT srcs)
    return()
  endif()
  add_executable(${name} ${srcs})
  target_link_libraries(${name} PRIVATE ${ARGN} GTest::gtest GTest::gtest_main GTest::gmock Threads::Threads)
  target_compile_definitions(${name} PRIVATE QEL_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    QEL_BINARY_DIR="${PROJECT_BINARY_DIR}")
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
  set_tests_properties(${name} PROPERTIES TIMEOUT 600
    ENVIRONMENT "QEL_SOURCE_DIR=${PROJECT_SOURCE_DIR};QEL_BINARY_DIR=${PROJECT_BINARY_DIR}")
endfunction()

# A library of the project: versioned shared object, C++20 for everyone who links it, found
# beside itself once installed, and part of the exported CMake package.
function(qel_library target)
  set_target_properties(${target} PROPERTIES VERSION ${PROJECT_VERSION} SOVERSION ${QEL_SOVERSION}
    INSTALL_RPATH "${QEL_LIBRARY_RPATH}")
  target_compile_features(${target} PUBLIC cxx_std_20)
  install(TARGETS ${target} EXPORT qelTargets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} NAMELINK_COMPONENT Development
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endfunction()

# An installed program: it finds the project's libraries relative to itself.
# Its manual page is made from its --help text when it is built (tools/common/ToolMain.h).
function(qel_program target)
  set_target_properties(${target} PROPERTIES INSTALL_RPATH "${QEL_PROGRAM_RPATH}")
  target_compile_definitions(${target} PRIVATE QEL_VERSION="${PROJECT_VERSION}")
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR})
  install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  set(page ${CMAKE_BINARY_DIR}/man/man1/${target}.1)
  add_custom_command(OUTPUT ${page}
    COMMAND ${CMAKE_COMMAND} -DQEL_TOOL=$<TARGET_FILE:${target}> -DQEL_NAME=${target}
            -DQEL_OUT=${page} -P ${PROJECT_SOURCE_DIR}/cmake/QelManPage.cmake
    DEPENDS ${target} ${PROJECT_SOURCE_DIR}/cmake/QelManPage.cmake
    COMMENT "Manual page of ${target}"
    VERBATIM)
  add_custom_target(${target}_man ALL DEPENDS ${page})
  install(FILES ${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()

# A component package the form designer loads: a link to the library in the packages folder
# below the library folder (lib/qel/packages), in the build tree and in the installation.
function(qel_design_package target)
  set(dir ${CMAKE_LIBRARY_OUTPUT_DIRECTORY}/qel/packages)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
    COMMAND ${CMAKE_COMMAND} -E create_symlink ../../$<TARGET_SONAME_FILE_NAME:${target}>
            ${dir}/$<TARGET_LINKER_FILE_NAME:${target}>
    VERBATIM)
  # The prefix is the one given at install time (cmake --install --prefix), not at configure
  # time, so the links land beside the libraries wherever they are installed.
  install(CODE "
    set(libdir \"${CMAKE_INSTALL_LIBDIR}\")
    if(NOT IS_ABSOLUTE \"\${libdir}\")
      set(libdir \"\${CMAKE_INSTALL_PREFIX}/\${libdir}\")
    endif()
    set(dir \"\$ENV{DESTDIR}\${libdir}/qel/packages\")
    file(MAKE_DIRECTORY \"\${dir}\")
    file(CREATE_LINK ../../$<TARGET_SONAME_FILE_NAME:${target}>
         \"\${dir}/$<TARGET_LINKER_FILE_NAME:${target}>\" SYMBOLIC)")
endfunction()
