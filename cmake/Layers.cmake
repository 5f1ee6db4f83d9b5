# Every folder of the source tree is one library whose headers are included by their
# folder ("storage/DorodTable.h"). A target sees the folders of its own library and of
# the libraries it links, and no other: each library gets an include root of its own that
# holds one link, named for its folder, to that folder. An include against the layers
# (storage including a window, a window including the program) fails to build.

# Gives TARGET the include root that shows FOLDER (relative to the source tree), PUBLIC
# for libraries, PRIVATE for programs.
function(vornelta_include_root target folder scope)
  set(root ${CMAKE_BINARY_DIR}/include-roots/${target})
  set(link ${root}/${folder})
  get_filename_component(parent ${link} DIRECTORY)
  file(MAKE_DIRECTORY ${parent})
  if(NOT EXISTS ${link})
    file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${folder} ${link} SYMBOLIC)
  endif()
  target_include_directories(${target} ${scope} ${root})
endfunction()

# vornelta_library(NAME FOLDER [LINKS target…] [EXCLUDE regex…])
# A static library of every .cpp and .h directly in FOLDER (an empty one while the folder
# holds no code yet).
function(vornelta_library name folder)
  cmake_parse_arguments(ARG "" "" "LINKS;EXCLUDE" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${folder}/*.cpp
       ${CMAKE_SOURCE_DIR}/${folder}/*.h)
  foreach(pattern IN LISTS ARG_EXCLUDE)
    list(FILTER sources EXCLUDE REGEX "${pattern}")
  endforeach()
  if(sources)
    add_library(${name} STATIC ${sources})
    vornelta_include_root(${name} ${folder} PUBLIC)
    target_link_libraries(${name} PUBLIC ${ARG_LINKS})
  else() # a subsystem not written yet
    add_library(${name} INTERFACE)
    target_link_libraries(${name} INTERFACE ${ARG_LINKS})
  endif()
endfunction()
