# Cross-building for 64-bit Windows with Debian's mingw-w64, posix threads
# model: the pacing sleeps with std::this_thread, which the win32 model's g++
# lacks. (The Windows build decodes each picture when it is asked for: its PNG
# loader stands in for SDL_image, and decoding ahead on threads needs
# SDL_image itself.) The executables are linked statically, C and C++
# runtimes included: one kazzmot.exe, no DLL beside it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(hote x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${hote}-gcc-posix)
set(CMAKE_CXX_COMPILER ${hote}-g++-posix)
set(CMAKE_RC_COMPILER ${hote}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${hote})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
