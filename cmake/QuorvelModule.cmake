# quorvel_module(<target> <dir> [ONLY <regex>] [EXCEPT <regex>] [LINKS <libs>...])
# A module is every source under <dir>, or those whose path relative to <dir>
# matches ONLY or does not match EXCEPT (so one folder can give a part without
# Qt Gui and a part with it); its headers are included by path relative to
# <dir> (and to <dir>/include for the C shims).
function(quorvel_module target dir)
  cmake_parse_arguments(MOD "" "ONLY;EXCEPT" "LINKS" ${ARGN})
  file(GLOB_RECURSE found CONFIGURE_DEPENDS
    ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.c
    ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.h)
  set(sources)
  foreach(source ${found})
    file(RELATIVE_PATH relative ${CMAKE_CURRENT_SOURCE_DIR}/${dir} ${source})
    if(MOD_ONLY AND NOT relative MATCHES "${MOD_ONLY}")
      continue()
    endif()
    if(MOD_EXCEPT AND relative MATCHES "${MOD_EXCEPT}")
      continue()
    endif()
    list(APPEND sources ${source})
  endforeach()
  add_library(${target} STATIC ${sources})
  set_target_properties(${target} PROPERTIES LINKER_LANGUAGE CXX)
  target_include_directories(${target} PUBLIC
    ${CMAKE_CURRENT_SOURCE_DIR}/Sources
    ${CMAKE_CURRENT_SOURCE_DIR}/${dir}
    ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/include)
  if(MOD_LINKS)
    target_link_libraries(${target} PUBLIC ${MOD_LINKS})
  endif()
endfunction()

# quorvel_wayland_client_protocol(<target> <xml>)
# Generates the client glue for a Wayland protocol description at build time
# and adds it to <target>, whose sources include "<name>-client-protocol.h".
function(quorvel_wayland_client_protocol target xml)
  get_filename_component(name ${xml} NAME_WLE)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/wayland-protocols)
  add_custom_command(
    OUTPUT ${out}/${name}-client-protocol.h ${out}/${name}-protocol.c
    COMMAND ${CMAKE_COMMAND} -E make_directory ${out}
    COMMAND ${WAYLAND_SCANNER} client-header ${xml} ${out}/${name}-client-protocol.h
    COMMAND ${WAYLAND_SCANNER} private-code ${xml} ${out}/${name}-protocol.c
    DEPENDS ${xml}
    COMMENT "Generating the ${name} Wayland protocol glue")
  target_sources(${target} PRIVATE ${out}/${name}-client-protocol.h ${out}/${name}-protocol.c)
  target_include_directories(${target} PRIVATE ${out})
endfunction()
