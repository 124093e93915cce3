# qel_embed_resources(<target> <folder>): every file of <folder> becomes static data in
# <target>, registered under the target's name, the upper-case file name without extension and
# the upper-case extension as type (see toolkit/graphics/Resources.h).
set(QEL_RESOURCES_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/QelResourcesGen.cmake)

function(qel_embed_resources target folder)
  get_filename_component(dir ${folder} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
  file(GLOB files CONFIGURE_DEPENDS LIST_DIRECTORIES false ${dir}/*)
  list(SORT files)
  if(NOT files)
    return()
  endif()
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${target}_resources.cpp)
  string(REPLACE ";" "|" packed "${files}")
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -DQEL_OUT=${out} -DQEL_MODULE=${target} "-DQEL_FILES=${packed}"
            -P ${QEL_RESOURCES_SCRIPT}
    DEPENDS ${files} ${QEL_RESOURCES_SCRIPT}
    COMMENT "Embedding resources of ${target}"
    VERBATIM)
  target_sources(${target} PRIVATE ${out})
endfunction()
