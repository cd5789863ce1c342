# quorvel_module(<target> <dir> [LINKS <libs>...])
# A module is every source under <dir>; its headers are included by path
# relative to <dir> (and to <dir>/include for the C shims).
function(quorvel_module target dir)
  cmake_parse_arguments(MOD "" "" "LINKS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS
    ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.c
    ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.h)
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
