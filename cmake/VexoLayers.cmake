# vexo_layer(<target> QT <Core|Widgets> FOLDERS <folder>... [DEPENDS <target>...]
#            [EXTRA_SOURCES <file>...] [EXCLUDE <file>...])
#
# One static library per layer. Its include root, build/include/<target>/, holds links to
# its own folders only, so includes name the folder ("device/worker.h") and resolve only
# for the folders of this layer and of the layers it links.
function(vexo_layer target)
  cmake_parse_arguments(L "" "QT" "FOLDERS;DEPENDS;EXTRA_SOURCES;EXCLUDE" ${ARGN})
  set(root ${CMAKE_BINARY_DIR}/include/${target})
  set(sources ${L_EXTRA_SOURCES})
  foreach(folder ${L_FOLDERS})
    file(GLOB_RECURSE found CONFIGURE_DEPENDS
      ${CMAKE_SOURCE_DIR}/${folder}/*.cpp ${CMAKE_SOURCE_DIR}/${folder}/*.h)
    list(APPEND sources ${found})
    vexo_link_into_root(${root} ${folder})
  endforeach()
  foreach(excluded ${L_EXCLUDE})
    list(REMOVE_ITEM sources ${CMAKE_SOURCE_DIR}/${excluded})
  endforeach()
  add_library(${target} STATIC ${sources})
  target_include_directories(${target} PUBLIC ${root})
  target_link_libraries(${target} PUBLIC Qt5::${L_QT} ${L_DEPENDS})
endfunction()

# Links <root>/<path> to the source folder or file <path>.
function(vexo_link_into_root root path)
  get_filename_component(parent ${root}/${path} DIRECTORY)
  file(MAKE_DIRECTORY ${parent})
  if(NOT IS_SYMLINK ${root}/${path})
    file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${path} ${root}/${path} SYMBOLIC)
  endif()
endfunction()

# An include-only target whose root links the given files or folders.
function(vexo_header_target target)
  cmake_parse_arguments(H "" "" "PATHS" ${ARGN})
  set(root ${CMAKE_BINARY_DIR}/include/${target})
  foreach(path ${H_PATHS})
    vexo_link_into_root(${root} ${path})
  endforeach()
  add_library(${target} INTERFACE)
  target_include_directories(${target} INTERFACE ${root})
endfunction()
