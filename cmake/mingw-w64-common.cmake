# Shared by the mingw-w64 toolchain files; TORVA_MINGW_PREFIX names the target.
set(CMAKE_C_COMPILER ${TORVA_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TORVA_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TORVA_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TORVA_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# One self-contained exe: no libstdc++/libgcc/winpthread DLLs to ship beside it.
# No link time in the PE header, so a release build gives the same bytes twice.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++ -Wl,--no-insert-timestamp")
