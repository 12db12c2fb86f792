# cmake -DOBJDUMP=... -P check_imports.cmake PROGRAM...
#
# Fails when a program imports a library that Windows does not always take from its system
# folder. For any other library the loader looks beside the program first, before its entry
# runs, so one planted in a Downloads folder (or the temporary folder the uninstaller runs from)
# would run with the program's rights. The list is that of the KnownDLLs of Windows 10 and 11,
# with ntdll, which every process has loaded before any import.
#
# It also fails when a program could not be loaded at a random address with its data not
# executable: without relocations (the loader could only place it at its preferred base), or
# without the DYNAMIC_BASE or NX_COMPAT flag.
#
# And it fails when a program's manifest does not ask for its execution level: setup.exe and
# uninstall.exe write under Program Files and HKEY_LOCAL_MACHINE and need an administrator;
# quintaxel.exe runs as whoever starts it. A program without a level is run under the system's
# compatibility rules, its writes there silently redirected.
cmake_policy(SET CMP0057 NEW)  # IN_LIST
set(known_dlls
  advapi32 clbcatq combase comdlg32 coml2 difxapi gdi32 gdiplus imagehlp imm32 kernel32 msctf
  msvcrt normaliz nsi ntdll ole32 oleaut32 psapi rpcrt4 sechost setupapi shcore shell32 shlwapi
  user32 wldap32 ws2_32)

math(EXPR last "${CMAKE_ARGC} - 1")
foreach(i RANGE ${last})
  if(NOT found_script)
    if(CMAKE_ARGV${i} STREQUAL "-P")
      set(found_script TRUE)
      math(EXPR skip "${i} + 1")
    endif()
    continue()
  endif()
  if(i EQUAL skip)
    continue()
  endif()
  set(program "${CMAKE_ARGV${i}}")
  execute_process(COMMAND ${OBJDUMP} -p ${program} OUTPUT_VARIABLE dump RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(SEND_ERROR "${OBJDUMP} cannot read ${program}")
    continue()
  endif()
  if(NOT dump MATCHES "DYNAMIC_BASE")
    message(SEND_ERROR "${program} lacks the DYNAMIC_BASE flag: it would always load at one address")
  endif()
  if(NOT dump MATCHES "NX_COMPAT")
    message(SEND_ERROR "${program} lacks the NX_COMPAT flag: its data could be run as code")
  endif()
  if(dump MATCHES "relocations stripped"
     OR NOT dump MATCHES "Base Relocation Directory"
     OR dump MATCHES "Entry 5 [0-9a-f]+ 00000000 Base Relocation"
     OR NOT dump MATCHES "Number of fixups [1-9]")
    message(SEND_ERROR "${program} has no relocations: the loader cannot move it")
  endif()
  # Its own manifest, found by its assembly name: setup.exe also carries the other two programs,
  # manifests and all, in its payload package.
  get_filename_component(program_name "${program}" NAME_WE)
  if(program_name MATCHES "^setup")
    set(assembly VorlenSoftware.Quintaxel.Setup)
    set(expected_level requireAdministrator)
  elseif(program_name MATCHES "^uninstall")
    set(assembly VorlenSoftware.Quintaxel.Uninstall)
    set(expected_level requireAdministrator)
  else()
    set(assembly VorlenSoftware.Quintaxel)
    set(expected_level asInvoker)
  endif()
  # A manifest is stored as it stands in the resource section: one line of plain text.
  string(REPLACE "." "[.]" assembly_pattern "${assembly}")
  file(STRINGS "${program}" manifest
       REGEX "name=\"${assembly_pattern}\".*requestedExecutionLevel level=\"[A-Za-z]+\"")
  string(REGEX MATCH "requestedExecutionLevel level=\"([A-Za-z]+)\"" found "${manifest}")
  if(NOT CMAKE_MATCH_1 STREQUAL expected_level)
    message(SEND_ERROR "${program}: its manifest asks for \"${CMAKE_MATCH_1}\", not ${expected_level}")
  endif()
  string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${dump}")
  set(names "")
  foreach(import ${imports})
    string(REGEX REPLACE "^DLL Name: " "" library "${import}")
    string(REGEX REPLACE "\\.[dD][lL][lL]$" "" name "${library}")
    string(TOLOWER "${name}" name)
    list(APPEND names ${name})
    if(NOT name IN_LIST known_dlls)
      message(SEND_ERROR "${program} imports ${library}, not a KnownDLL: bind it at run time")
    endif()
  endforeach()
  message(STATUS "${program}: ${expected_level}; ${names}")
endforeach()
