# Read by cpack once per generator: the installer is named apart from the
# zip, and the zip unpacks into Quillon-<version>/.
if(CPACK_GENERATOR STREQUAL "NSIS")
  set(CPACK_PACKAGE_FILE_NAME "${CPACK_PACKAGE_FILE_NAME}-setup")
elseif(CPACK_GENERATOR STREQUAL "ZIP")
  set(CPACK_PACKAGING_INSTALL_PREFIX "/Quillon-${CPACK_PACKAGE_VERSION}")
endif()
