# velmora_embed_resources(TARGET target FROM linked_target OUTPUT file
#                         RESOURCES type name file [type name file ...]
#                         [DEPENDS targets...])
#
# Makes OUTPUT from the executable of linked_target by adding each resource
# as a non-allocated ELF section ".rsrc/TYPE/NAME" (read back by
# FindResourceW). TARGET builds it with "all"; DEPENDS names the targets that
# produce resource files.
function(velmora_embed_resources)
  cmake_parse_arguments(PARSE_ARGV 0 EMBED "" "TARGET;FROM;OUTPUT" "RESOURCES;DEPENDS")
  list(LENGTH EMBED_RESOURCES count)
  math(EXPR remainder "${count} % 3")
  if(count EQUAL 0 OR NOT remainder EQUAL 0)
    message(FATAL_ERROR "velmora_embed_resources: RESOURCES takes TYPE NAME FILE triples")
  endif()

  set(sections)
  set(files)
  math(EXPR last "${count} - 1")
  foreach(index RANGE 0 ${last} 3)
    math(EXPR name_index "${index} + 1")
    math(EXPR file_index "${index} + 2")
    list(GET EMBED_RESOURCES ${index} type)
    list(GET EMBED_RESOURCES ${name_index} name)
    list(GET EMBED_RESOURCES ${file_index} file)
    list(APPEND sections --add-section .rsrc/${type}/${name}=${file})
    list(APPEND files ${file})
  endforeach()

  add_custom_command(OUTPUT ${EMBED_OUTPUT}
    COMMAND ${CMAKE_OBJCOPY} ${sections} $<TARGET_FILE:${EMBED_FROM}> ${EMBED_OUTPUT}.new
    COMMAND ${CMAKE_COMMAND} -E rename ${EMBED_OUTPUT}.new ${EMBED_OUTPUT}
    DEPENDS ${EMBED_FROM} ${files}
    COMMENT "Adding resources to ${EMBED_OUTPUT}"
    VERBATIM)
  add_custom_target(${EMBED_TARGET} ALL DEPENDS ${EMBED_OUTPUT})
  if(EMBED_DEPENDS)
    add_dependencies(${EMBED_TARGET} ${EMBED_DEPENDS})
  endif()
endfunction()
