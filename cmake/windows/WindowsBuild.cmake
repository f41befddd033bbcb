# The Windows build of the installer (toolchain-i686-w64-mingw32.cmake says
# how to configure it): the dependencies as Windows libraries, the Windows
# system libraries, and velmora-setup.exe with its resources.

if(NOT VELMORA_WINDOWS_ROOT)
  message(FATAL_ERROR "The Windows build needs VELMORA_WINDOWS_ROOT: a tree with the i686 Windows "
                      "libraries (see cmake/toolchain-i686-w64-mingw32.cmake)")
endif()

enable_language(RC)

# The product is a Unicode program for Windows 7 and later, linked statically.
add_compile_definitions(UNICODE _UNICODE _WIN32_WINNT=0x0601 WINVER=0x0601 CURL_STATICLIB ZIP_STATIC)

# OpenSSL and libcurl through pkg-config, which answers with every library a
# static link needs; under the names the native build's find modules give.
pkg_check_modules(WINDOWS_LIBCRYPTO REQUIRED IMPORTED_TARGET GLOBAL libcrypto)
pkg_check_modules(WINDOWS_LIBCURL REQUIRED IMPORTED_TARGET GLOBAL libcurl)
add_library(OpenSSL::Crypto ALIAS PkgConfig::WINDOWS_LIBCRYPTO)
add_library(CURL::libcurl ALIAS PkgConfig::WINDOWS_LIBCURL)

# What the installer calls of Windows itself.
set(VELMORA_WINDOWS_SYSTEM_LIBRARIES shell32 ole32 uuid advapi32 user32 gdi32 shlwapi dbghelp)

# velmora_add_windows_installer(NAME): NAME.exe from app/WinMain.cpp and
# velmora_core, a windowed Unicode program (wWinMain) whose resources are the
# payload archive, the packed skin and the manifest.
function(velmora_add_windows_installer name)
  set(VELMORA_PAYLOAD_ARCHIVE "" CACHE FILEPATH "7z archive to embed as the payload (a native build's resources/payload.7z)")
  set(VELMORA_SKIN_ARCHIVE "" CACHE FILEPATH "Packed, enciphered skin to embed (a native build's resources/skin.zres)")
  foreach(file VELMORA_PAYLOAD_ARCHIVE VELMORA_SKIN_ARCHIVE)
    if(NOT EXISTS "${${file}}")
      message(FATAL_ERROR "The Windows build embeds ${file}, made by a native build; set it to that file")
    endif()
  endforeach()

  set(VELMORA_MANIFEST ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/velmora-setup.manifest)
  set(script ${CMAKE_BINARY_DIR}/VelmoraSetup.rc)
  configure_file(${CMAKE_CURRENT_FUNCTION_LIST_DIR}/VelmoraSetup.rc.in ${script} @ONLY)
  # windres reads the files when compiling: a changed archive rebuilds the resources.
  set_source_files_properties(${script} PROPERTIES
    OBJECT_DEPENDS "${VELMORA_PAYLOAD_ARCHIVE};${VELMORA_SKIN_ARCHIVE};${VELMORA_MANIFEST}")

  add_executable(${name} WIN32 app/WinMain.cpp ${script})
  target_link_libraries(${name} PRIVATE velmora_core)
  target_link_options(${name} PRIVATE -municode)
endfunction()
