# cmake -DMAP=... -DPROGRAM=... -P check_link_map.cmake
#
# Holds a program linked by qx_small_program to what its own entry point relies on, from the
# linker's map. It fails, and removes the program so that the next build links it again, when
# the link has
# - a static constructor or destructor (.ctors, .dtors, .CRT$XC, .CRT$XI): nothing would run it,
#   since the C runtime's start-up is not linked; every global must be constant-initialised;
# - a pseudo-relocation (data imported from a DLL without dllimport) or thread-local data: the
#   start-up applied and set them up;
# - unwind tables, which nothing reads: nothing unwinds;
# - code from libgcc, the MinGW start-up or extension libraries, libstdc++ or winpthread, such
#   as libgcc's 64-bit division or MinGW's own printf: they bring start-up work, unwind tables
#   or size that the programs do without. Functions of msvcrt.dll and the system are imported.
#   The one exception is libgcc's stack probe (__chkstk_ms, 44 bytes of code and nothing else),
#   which a function with more than 4 KiB of locals needs to step through the stack's guard page.
file(STRINGS "${MAP}" lines)
set(faults "")
set(pending "")
foreach(line IN LISTS lines)
  # An archive member the link took: "library.a(member.o)" at the start of a line.
  if(line MATCHES "^[^ ]*/(libgcc|libgcc_eh|libmingw32|libmingwex|libstdc\\+\\+|libwinpthread)\\.a\\(([^)]*)\\)"
     AND NOT CMAKE_MATCH_2 STREQUAL "_chkstk_ms.o")
    list(APPEND faults "${CMAKE_MATCH_1}.a(${CMAKE_MATCH_2}) is linked in")
  elseif(line MATCHES "^LOAD .*/(crt2|crtbegin|crtend|dllcrt2)\\.o$")
    list(APPEND faults "the start-up object ${CMAKE_MATCH_1}.o is linked in")
  endif()
  # An input section: " name address size object", or the name alone on a line when it is long
  # and the rest on the next one.
  if(pending AND line MATCHES "^ +0x[0-9a-f]+ +0x([0-9a-f]+) +(.+)$")
    set(section "${pending}")
    set(size "${CMAKE_MATCH_1}")
    set(object "${CMAKE_MATCH_2}")
  elseif(line MATCHES "^ (\\.[^ ]+) +0x[0-9a-f]+ +0x([0-9a-f]+) +(.+)$")
    set(section "${CMAKE_MATCH_1}")
    set(size "${CMAKE_MATCH_2}")
    set(object "${CMAKE_MATCH_3}")
  else()
    set(section "")
  endif()
  set(pending "")
  if(line MATCHES "^ (\\.[^ ]+)$")
    set(pending "${CMAKE_MATCH_1}")
  endif()
  if(section STREQUAL "" OR size MATCHES "^0+$")
    continue()
  endif()
  if(section MATCHES "^\\.(ctors|dtors|CRT\\$X[CI])")
    list(APPEND faults "${object} has a static constructor or destructor (${section})")
  elseif(section MATCHES "^\\.(rdata_runtime_pseudo_reloc|tls|CRT\\$XL)")
    list(APPEND faults "${object} needs the C runtime's start-up (${section})")
  elseif(section MATCHES "^\\.(eh_frame|gcc_except_table)")
    list(APPEND faults "${object} has unwind tables (${section})")
  endif()
endforeach()

if(faults)
  file(REMOVE "${PROGRAM}")
  list(JOIN faults "\n  " text)
  message(FATAL_ERROR "${PROGRAM} relies on what its entry point does not do:\n  ${text}")
endif()
