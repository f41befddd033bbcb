# The Windows side of the tests: MinGW-w64 builds real Windows programs from
# test sources against its own Windows headers, and 64-bit Wine runs them.
# Both are optional. Without them the native build configures as before, and
# the tests that need them report themselves skipped.
#
# VELMORA_MINGW_CXX      x86_64-w64-mingw32-g++ (the POSIX-threads variant when
#                        present: std::thread needs it with GCC 12)
# VELMORA_MINGW_WINDRES  x86_64-w64-mingw32-windres, for resource scripts
# VELMORA_WINE64         the 64-bit Wine loader (/usr/lib/wine/wine64)
# VELMORA_WINESERVER     its wineserver

find_program(VELMORA_MINGW_CXX NAMES x86_64-w64-mingw32-g++-posix x86_64-w64-mingw32-g++)
find_program(VELMORA_MINGW_WINDRES NAMES x86_64-w64-mingw32-windres)
find_program(VELMORA_WINE64 NAMES wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
find_program(VELMORA_WINE64 NAMES wine64)
find_program(VELMORA_WINESERVER NAMES wineserver PATHS /usr/lib/wine NO_DEFAULT_PATH)
find_program(VELMORA_WINESERVER NAMES wineserver)

if(VELMORA_MINGW_CXX)
  message(STATUS "Windows test programs: ${VELMORA_MINGW_CXX}")
else()
  message(STATUS "Windows test programs: not built (x86_64-w64-mingw32-g++ not installed)")
endif()
if(NOT VELMORA_WINE64 OR NOT VELMORA_WINESERVER)
  message(STATUS "Wine checks: skipped at run time (wine64 not installed)")
endif()

# velmora_add_windows_program(TARGET name OUTPUT file.exe SOURCES files...
#                             [RESOURCES script.rc...] [INCLUDES dirs...]
#                             [DEFINITIONS defs...] [LIBRARIES names...]
#                             [DEPENDS files...])
#
# Compiles each source with MinGW (one object per source, header dependencies
# tracked) and links OUTPUT statically as a console program whose entry point
# is wWinMain. TARGET builds it with "all". DEPENDS lists files the resource
# scripts take in. Does nothing without MinGW.
function(velmora_add_windows_program)
  cmake_parse_arguments(PARSE_ARGV 0 WIN "" "TARGET;OUTPUT" "SOURCES;RESOURCES;INCLUDES;DEFINITIONS;LIBRARIES;DEPENDS")
  if(NOT VELMORA_MINGW_CXX)
    return()
  endif()
  set(flags -std=c++20 -O1 -Wall -Wextra -Wno-unused-parameter -municode -DUNICODE -D_UNICODE
            -D_WIN32_WINNT=0x0A00 -DWINVER=0x0A00)
  foreach(dir ${WIN_INCLUDES})
    list(APPEND flags -I${dir})
  endforeach()
  foreach(definition ${WIN_DEFINITIONS})
    list(APPEND flags -D${definition})
  endforeach()

  set(object_dir ${CMAKE_CURRENT_BINARY_DIR}/${WIN_TARGET}.windows)
  set(objects)
  foreach(source ${WIN_SOURCES})
    get_filename_component(path ${source} ABSOLUTE)
    get_filename_component(stem ${source} NAME_WE)
    set(object ${object_dir}/${stem}.obj)
    add_custom_command(OUTPUT ${object}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${object_dir}
      COMMAND ${VELMORA_MINGW_CXX} ${flags} -MD -MF ${object}.d -c ${path} -o ${object}
      DEPENDS ${path}
      DEPFILE ${object}.d
      COMMENT "MinGW: ${source}"
      VERBATIM)
    list(APPEND objects ${object})
  endforeach()
  foreach(script ${WIN_RESOURCES})
    get_filename_component(path ${script} ABSOLUTE)
    get_filename_component(folder ${path} DIRECTORY)
    get_filename_component(stem ${script} NAME_WE)
    set(object ${object_dir}/${stem}.res.obj)
    add_custom_command(OUTPUT ${object}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${object_dir}
      COMMAND ${VELMORA_MINGW_WINDRES} -I ${folder} -O coff -i ${path} -o ${object}
      DEPENDS ${path} ${WIN_DEPENDS}
      COMMENT "MinGW resources: ${script}"
      VERBATIM)
    list(APPEND objects ${object})
  endforeach()

  set(libraries)
  foreach(library ${WIN_LIBRARIES})
    list(APPEND libraries -l${library})
  endforeach()
  add_custom_command(OUTPUT ${WIN_OUTPUT}
    COMMAND ${VELMORA_MINGW_CXX} -static -municode -mconsole ${objects} -o ${WIN_OUTPUT} ${libraries}
    DEPENDS ${objects}
    COMMENT "MinGW: linking ${WIN_OUTPUT}"
    VERBATIM)
  add_custom_target(${WIN_TARGET} ALL DEPENDS ${WIN_OUTPUT})
endfunction()
