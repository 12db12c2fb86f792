# The setup package, built on the host by qxpack from its manifest. Times are taken from
# SOURCE_DATE_EPOCH when it is set, so that two builds of the same sources are byte-identical.
# qxpack check runs first on the shipped files: a damaged language file or a name that setup
# cannot install fails the build, with one line per finding.
set(QX_PACKAGE_DIR ${CMAKE_BINARY_DIR}/packages)
# Made here, once: every package rule writes into it, in whatever order a parallel build runs them.
file(MAKE_DIRECTORY ${QX_PACKAGE_DIR})
file(GLOB QX_SETUP_DATA CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/data/setup/*)
add_custom_command(
  OUTPUT ${QX_PACKAGE_DIR}/setup.pkg
  COMMAND ${CMAKE_COMMAND} -E make_directory ${QX_PACKAGE_DIR}
  COMMAND ${QXPACK} check ${CMAKE_SOURCE_DIR}/data/setup/setup.manifest
  COMMAND ${QXPACK} pack ${CMAKE_SOURCE_DIR}/data/setup/setup.manifest ${QX_PACKAGE_DIR}/setup.pkg
  DEPENDS ${QX_SETUP_DATA} ${QXPACK}
  COMMENT "Packing the setup package"
  VERBATIM)
add_custom_target(setup_package ALL DEPENDS ${QX_PACKAGE_DIR}/setup.pkg)

# The payload package: the product's files, with the product's programs taken from this build.
# It needs the Windows programs, so only the Windows build makes it.
if(WIN32)
  file(GLOB_RECURSE QX_PRODUCT_DATA CONFIGURE_DEPENDS
       ${CMAKE_SOURCE_DIR}/product/*.lng ${CMAKE_SOURCE_DIR}/product/help/*)
  set(QX_PAYLOAD_PROGRAMS quintaxel uninstall)
  add_custom_command(
    OUTPUT ${QX_PACKAGE_DIR}/payload.pkg
    COMMAND ${CMAKE_COMMAND} -E make_directory ${QX_PACKAGE_DIR}
    COMMAND ${QXPACK} check --build ${CMAKE_BINARY_DIR}/bin
            ${CMAKE_SOURCE_DIR}/data/setup/setup.manifest ${CMAKE_SOURCE_DIR}/product/payload.manifest
    COMMAND ${QXPACK} pack --build ${CMAKE_BINARY_DIR}/bin
            ${CMAKE_SOURCE_DIR}/product/payload.manifest ${QX_PACKAGE_DIR}/payload.pkg
    DEPENDS ${CMAKE_SOURCE_DIR}/product/payload.manifest ${QX_PRODUCT_DATA} ${QX_SETUP_DATA}
            ${QX_PAYLOAD_PROGRAMS} ${QXPACK}
    COMMENT "Packing the payload package"
    VERBATIM)
  add_custom_target(payload_package ALL DEPENDS ${QX_PACKAGE_DIR}/payload.pkg)
endif()
