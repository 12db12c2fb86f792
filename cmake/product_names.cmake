# The product's file and shortcut names, which the uninstaller keeps to: made by qxpack from the
# payload manifest and the setup language file, so they are written down in one place only.
set(QX_PRODUCT_NAMES_SOURCE ${CMAKE_BINARY_DIR}/generated/product_names.cpp)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/generated)
add_custom_command(
  OUTPUT ${QX_PRODUCT_NAMES_SOURCE}
  COMMAND ${QXPACK} names ${CMAKE_SOURCE_DIR}/data/setup/setup.manifest
          ${CMAKE_SOURCE_DIR}/product/payload.manifest ${QX_PRODUCT_NAMES_SOURCE}
  DEPENDS ${CMAKE_SOURCE_DIR}/data/setup/setup.manifest ${CMAKE_SOURCE_DIR}/data/setup/qxsetup.lng
          ${CMAKE_SOURCE_DIR}/product/payload.manifest ${QXPACK}
  COMMENT "Listing the product's names for the uninstaller"
  VERBATIM)
add_library(qxproductnames STATIC ${QX_PRODUCT_NAMES_SOURCE})
target_link_libraries(qxproductnames PUBLIC qxcore)
if(WIN32)
  target_compile_options(qxproductnames PRIVATE ${QX_SMALL_COMPILE_OPTIONS})
endif()
