# Packages: `cpack` in a build directory makes a Debian package (under /usr)
# and a tarball of what `cmake --install` installs.
set(CPACK_PACKAGE_NAME zodovar9)
set(CPACK_PACKAGE_VENDOR "zodovar9 maintainers")
set(CPACK_PACKAGE_CONTACT "zodovar9 maintainers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_INSTALL_DIRECTORY zodovar9)
if(WIN32)
  set(CPACK_GENERATOR ZIP)
else()
  set(CPACK_GENERATOR DEB TGZ)
endif()
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES OFF)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/package-generators.cmake)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "A general n-ary tree behind a flat C interface, with its system and math libraries.\n\
The shared libraries zodovar9, rezade9 and vuvarod9, their C headers, a\n\
pkg-config file, a CMake package (find_package(zodovar9)) and zodovar9-view,\n\
which draws a tree read as an indented outline (text, Graphviz DOT, SVG).")
# Library dependencies as the system sees them, where Debian's tool is there.
find_program(ZODOVAR9_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(ZODOVAR9_DPKG_SHLIBDEPS AND NOT CMAKE_CROSSCOMPILING AND CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # The package's own libraries resolve one another from inside it.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS
    ${PROJECT_BINARY_DIR} ${PROJECT_BINARY_DIR}/platform/rezade9 ${PROJECT_BINARY_DIR}/platform/vuvarod9)
endif()

include(CPack)
