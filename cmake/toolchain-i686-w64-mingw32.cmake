# The shipped installer: a 32-bit Windows program built with MinGW-w64.
#
#   cmake -S . -B build-windows -G Ninja \
#         -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-i686-w64-mingw32.cmake \
#         -DVELMORA_WINDOWS_ROOT=/path/to/mingw32 \
#         -DVELMORA_PAYLOAD_ARCHIVE=build/resources/payload.7z \
#         -DVELMORA_SKIN_ARCHIVE=build/resources/skin.zres
#   cmake --build build-windows        # build-windows/velmora-setup.exe
#
# VELMORA_WINDOWS_ROOT is a tree holding the dependencies as i686 Windows
# libraries (include/, lib/ with static archives, lib/pkgconfig/): for example
# the mingw32 folder of an MSYS2 installation with these packages
# (mingw-w64-i686-...): openssl (libcrypto: EVP and BIO), curl (libcurl, easy
# interface), crypto++, cairo and pango (cairo with its win32 surface:
# toolkit/render/DeviceContextWin32.cpp draws on the paint's HDC through it),
# pugixml and libzip. 7-Zip is not linked: the installer loads 7z.dll at run
# time (install/SevenZipLibrary.cpp), so 7z.dll from 7-Zip's Windows release
# ships beside the installer or in the system folder; a build that links
# 7-Zip statically gives CMake another source file for that function, with no
# #ifdef in the installer.
#
# Every dependency is found through pkg-config, told here to answer for
# static linking (--static: each library with the libraries it needs in turn)
# and to take each .pc file's prefix from where the file is (--define-prefix),
# so a root copied from elsewhere works. The C and C++ runtimes (libgcc,
# libstdc++, winpthread) are linked statically too: the installer is one .exe
# that runs on a bare Windows.
#
# The compilers are the POSIX-threads variant where Debian has both:
# std::thread and std::mutex need it with GCC 12, and MSYS2's compiler uses
# that thread model as well.
#
# The Windows build (the WIN32 branches of the CMakeLists) uses the real
# Windows API and none of wincompat; it links shell32 ole32 uuid
# advapi32 user32 gdi32 shlwapi dbghelp. Its resources are a .rc script
# compiled with windres (cmake/windows/VelmoraSetup.rc.in): the payload and
# the packed, enciphered skin as resource type ZIPRES, names IDR_STEP7ZRES and
# IDR_ZIPRES, and an application manifest asking for administrator rights,
# since the install writes HKLM and Program Files. The payload and the skin
# are made by host tools (7z, pack-skin), so they come from a native build,
# configured with the same skin key.
#
# Without VELMORA_WINDOWS_ROOT the build compiles nothing of the installer;
# tests/windows/compile-i686.sh checks that every translation unit compiles
# against MinGW's Windows headers on a machine without the Windows libraries.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(VELMORA_WINDOWS_ROOT "" CACHE PATH "Tree with the i686 Windows libraries (include/, lib/, lib/pkgconfig/)")

set(mingw_prefix i686-w64-mingw32)
find_program(CMAKE_C_COMPILER NAMES ${mingw_prefix}-gcc-posix ${mingw_prefix}-gcc)
find_program(CMAKE_CXX_COMPILER NAMES ${mingw_prefix}-g++-posix ${mingw_prefix}-g++)
find_program(CMAKE_RC_COMPILER NAMES ${mingw_prefix}-windres)
if(NOT CMAKE_CXX_COMPILER OR NOT CMAKE_RC_COMPILER)
  message(FATAL_ERROR "The i686 MinGW-w64 compilers and windres are needed (Debian: g++-mingw-w64-i686)")
endif()

# Libraries and headers from the root only; programs (pkg-config, 7z) from the host.
set(CMAKE_FIND_ROOT_PATH ${VELMORA_WINDOWS_ROOT} /usr/${mingw_prefix})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

if(VELMORA_WINDOWS_ROOT)
  set(ENV{PKG_CONFIG_LIBDIR} "${VELMORA_WINDOWS_ROOT}/lib/pkgconfig:${VELMORA_WINDOWS_ROOT}/share/pkgconfig")
endif()
set(PKG_CONFIG_ARGN --static --define-prefix)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
