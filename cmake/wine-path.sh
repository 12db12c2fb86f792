# Sourced, with qx_root set to the source folder, by the scripts that run Windows programs.
#
# Debian's wine script always takes Wine's 32-bit loader when it is installed, but a machine whose
# kernel runs no 32-bit Linux program ("Exec format error") cannot start it. There Wine's 64-bit
# loader alone is put first on PATH (cmake/wine64), and the Windows programs run under test are
# those of the 64-bit build of the same sources, build/win64; the shipped programs are still the
# 32-bit ones of build/win32. QX_WINDOWS_BUILD names the build that this machine can run.
if /usr/lib/wine/wine --version >/dev/null 2>&1 || [ ! -x /usr/lib/wine/wine64 ]; then
  QX_WINDOWS_BUILD=win32
else
  QX_WINDOWS_BUILD=win64
  case ":$PATH:" in
    *":$qx_root/cmake/wine64:"*) ;;
    *) PATH=$qx_root/cmake/wine64:$PATH ;;
  esac
  export PATH
fi
export QX_WINDOWS_BUILD
