# qx_add_setup_program(NAME SETUP-PACKAGE PAYLOAD-PACKAGE): a setup program NAME.exe in bin/
# that carries the two given packages as RT_RCDATA resources 1 and 2. The shipped setup.exe is
# one; the tests build others with language files and payloads of their own.
set(QX_SETUP_MANIFEST ${CMAKE_BINARY_DIR}/resources/setup.exe.manifest)
qx_strip_manifest(${CMAKE_SOURCE_DIR}/src/app/setup.exe.manifest ${QX_SETUP_MANIFEST})

function(qx_add_setup_program name setup payload)
  set(QX_SETUP_PACKAGE ${setup})
  set(QX_PAYLOAD_PACKAGE ${payload})
  set(rc ${CMAKE_BINARY_DIR}/resources/${name}.rc)
  configure_file(${CMAKE_SOURCE_DIR}/src/app/setup.rc.in ${rc})
  set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS
    "${setup};${payload};${CMAKE_SOURCE_DIR}/src/app/setup.ico;${QX_SETUP_MANIFEST}")
  add_executable(${name} WIN32 ${CMAKE_SOURCE_DIR}/src/app/main_win32.cpp ${rc})
  target_link_libraries(${name} PRIVATE qxwizard)
  qx_small_program(${name})
endfunction()

# qx_add_package(TARGET OUTPUT MANIFEST [DEPENDS ...]): a package built by qxpack on the host.
function(qx_add_package target output manifest)
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${QXPACK} pack --build ${CMAKE_BINARY_DIR}/bin ${manifest} ${output}
    DEPENDS ${manifest} ${QXPACK} ${ARGN}
    VERBATIM)
  add_custom_target(${target} DEPENDS ${output})
endfunction()
