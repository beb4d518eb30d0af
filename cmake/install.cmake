# Installation: the three shared libraries, their headers, a pkg-config file,
# a CMake package that gives zodovar9::zodovar9 (the C interface) and
# zodovar9::cxx (the C++ layer, which asks its users' compiler for C++20),
# and the zodovar9-view tool.
include(CMakePackageConfigHelpers)

if(TARGET zodovar9-view)
  # Installed, the tool finds the libraries from its own place.
  file(RELATIVE_PATH _bin_to_lib "/prefix/${CMAKE_INSTALL_BINDIR}" "/prefix/${CMAKE_INSTALL_LIBDIR}")
  if(NOT APPLE)
    set_target_properties(zodovar9-view PROPERTIES INSTALL_RPATH "$ORIGIN/${_bin_to_lib}")
  endif()
  install(TARGETS zodovar9-view RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

install(TARGETS zodovar9 zodovar9_cxx rezade9 vuvarod9 EXPORT zodovar9Targets
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(DIRECTORY include/zodovar9 platform/rezade9/include/rezade9
                  platform/vuvarod9/include/vuvarod9
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})

set(ZODOVAR9_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/zodovar9)
install(EXPORT zodovar9Targets NAMESPACE zodovar9:: DESTINATION ${ZODOVAR9_CMAKE_DIR})
configure_package_config_file(cmake/zodovar9Config.cmake.in
  ${PROJECT_BINARY_DIR}/zodovar9Config.cmake INSTALL_DESTINATION ${ZODOVAR9_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/zodovar9ConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/zodovar9Config.cmake
              ${PROJECT_BINARY_DIR}/zodovar9ConfigVersion.cmake
  DESTINATION ${ZODOVAR9_CMAKE_DIR})

# The pkg-config file finds the prefix from its own place, so the tree can be
# installed with `cmake --install --prefix` or moved as a whole.
file(RELATIVE_PATH ZODOVAR9_PC_TO_PREFIX "/prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig" "/prefix")
string(REGEX REPLACE "/$" "" ZODOVAR9_PC_TO_PREFIX "${ZODOVAR9_PC_TO_PREFIX}")
configure_file(cmake/zodovar9.pc.in ${PROJECT_BINARY_DIR}/zodovar9.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/zodovar9.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
