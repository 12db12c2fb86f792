# The setup package, built on the host by qxpack from its manifest. Times are taken from
# SOURCE_DATE_EPOCH when it is set, so that two builds of the same sources are byte-identical.
set(QX_PACKAGE_DIR ${CMAKE_BINARY_DIR}/packages)
file(GLOB QX_SETUP_DATA CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/data/setup/*)
add_custom_command(
  OUTPUT ${QX_PACKAGE_DIR}/setup.pkg
  COMMAND ${CMAKE_COMMAND} -E make_directory ${QX_PACKAGE_DIR}
  COMMAND ${QXPACK} pack ${CMAKE_SOURCE_DIR}/data/setup/setup.manifest ${QX_PACKAGE_DIR}/setup.pkg
  DEPENDS ${QX_SETUP_DATA} ${QXPACK}
  COMMENT "Packing the setup package"
  VERBATIM)
add_custom_target(setup_package ALL DEPENDS ${QX_PACKAGE_DIR}/setup.pkg)
