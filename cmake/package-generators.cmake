# Read by cpack once per generator: the Debian package installs under /usr,
# the tarball holds the install tree itself (bin, include, lib) to unpack
# under any prefix.
if(CPACK_GENERATOR STREQUAL "TGZ")
  set(CPACK_PACKAGING_INSTALL_PREFIX "")
endif()
