# How the three shipped programs (setup.exe, uninstall.exe, quintaxel.exe) and the libraries
# they are made of are built: for size, since every user downloads setup.exe.
#
# - -Oz: optimised for size alone, a little further than -Os.
# - No exceptions, RTTI or unwind tables: nothing unwinds, and tables that point at every
#   function would also keep --gc-sections from dropping any of them.
# - One section per function, so that the linker drops the unused ones; but not one per datum:
#   for Windows targets GCC then writes zero-initialised globals into the file as .data$name.
# - No compiler name in every object (-fno-ident).
# - No frame pointer, except in the few files where that makes more code (CMakeLists.txt).
# - No tail calls made of calls (each moved the arguments in place: more code than the call),
#   and switches as code, not as lookup tables of their values.
# - 32-bit: arguments pushed rather than stored into a frame area made for them, which takes a
#   fifth less code. GCC allows that only without stack probes: a function that moves the stack
#   pointer by a page or more at once would step over the guard page, below which the stack does
#   not grow. So every function must use less than 3 KiB of stack, or the compile fails; a file
#   with a function that needs more keeps the probes (QX_STACK_PROBE_OPTIONS, CMakeLists.txt).
# - 32-bit: the stack aligned to 4 bytes, which is all that 32-bit Windows promises a function:
#   GCC's own 16 bytes made every function that calls another align its pushes, a tenth of the
#   code.
set(QX_SMALL_COMPILE_OPTIONS -Oz -fno-exceptions -fno-rtti -ffunction-sections
    -fno-asynchronous-unwind-tables -fno-ident -fomit-frame-pointer -fno-optimize-sibling-calls
    -fno-tree-switch-conversion)
set(QX_STACK_PROBE_OPTIONS "")
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  list(APPEND QX_SMALL_COMPILE_OPTIONS -mno-stack-arg-probe -mno-accumulate-outgoing-args
       -Werror=stack-usage=3072 -mpreferred-stack-boundary=2)
  set(QX_STACK_PROBE_OPTIONS -mstack-arg-probe -maccumulate-outgoing-args -Wno-stack-usage)
endif()

# qx_small_program(TARGET): TARGET links without the C runtime's start-up objects. Its entry
# point is ProgramEntry (src/app/main_win32.cpp, product/common/program_entry_win32.cpp), which
# calls the program's code and ends through the C runtime's exit. msvcrt.dll itself starts up
# when it is loaded, so its streams, heap and strings work as before. The start-up's other work
# is not needed: it ran the static constructors, applied pseudo-relocations for data imported
# without dllimport, set up TLS callbacks, argv and the x87 control word, and installed the
# maths-error and unhandled-exception handlers. The link fails when any of that is needed again
# (cmake/check_link_map.cmake).
function(qx_small_program target)
  target_compile_options(${target} PRIVATE ${QX_SMALL_COMPILE_OPTIONS})
  set(map ${CMAKE_BINARY_DIR}/${target}.map)
  # 32-bit C names carry a leading underscore.
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(entry _ProgramEntry)
  else()
    set(entry ProgramEntry)
  endif()
  target_link_options(${target} PRIVATE -nostartfiles -Wl,--entry=${entry} -s
                      -Wl,--gc-sections -Wl,--disable-auto-import
                      -Wl,--disable-runtime-pseudo-reloc -Wl,-Map=${map}
                      -Wl,-T,${CMAKE_SOURCE_DIR}/cmake/small_program.ld)
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS
               ${CMAKE_SOURCE_DIR}/cmake/small_program.ld)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -DMAP=${map} -DPROGRAM=$<TARGET_FILE:${target}>
            -P ${CMAKE_SOURCE_DIR}/cmake/check_link_map.cmake
    VERBATIM)
endfunction()

# qx_strip_manifest(SOURCE OUTPUT): writes the manifest SOURCE to OUTPUT without its comments
# and the white space between its elements, which Windows does not read. CMake runs again when
# SOURCE changes, and OUTPUT is rewritten only when its text does.
function(qx_strip_manifest source output)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
  file(READ ${source} text)
  string(FIND "${text}" "<!--" start)
  while(start GREATER -1)
    string(SUBSTRING "${text}" ${start} -1 rest)
    string(FIND "${rest}" "-->" length)
    if(length EQUAL -1)
      message(FATAL_ERROR "${source}: a comment is not closed")
    endif()
    math(EXPR end "${start} + ${length} + 3")
    string(SUBSTRING "${text}" 0 ${start} before)
    string(SUBSTRING "${text}" ${end} -1 after)
    set(text "${before}${after}")
    string(FIND "${text}" "<!--" start)
  endwhile()
  string(REGEX REPLACE ">[ \t\r\n]+<" "><" text "${text}")
  string(STRIP "${text}" text)
  file(CONFIGURE OUTPUT ${output} CONTENT "${text}" @ONLY)
endfunction()
