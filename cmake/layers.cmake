# The floors of the program, from the bottom: core; term; cli and render; the
# command-line stage; app; main. Each library includes headers as "floor/file.h" through
# an include root of its own in the build tree, which holds only its own folder (or
# headers). A library sees its own root and those of the libraries it links, so an
# include that climbs to a floor above does not compile.

# gorv_include_root(target path...): gives `target` a public include root holding the
# named folders or headers of src/, each under its own relative path.
function(gorv_include_root target)
  set(root ${PROJECT_BINARY_DIR}/include/${target})
  foreach(path ${ARGN})
    cmake_path(GET path PARENT_PATH parent)
    file(MAKE_DIRECTORY ${root}/${parent})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/src/${path} ${root}/${path} SYMBOLIC)
  endforeach()
  target_include_directories(${target} PUBLIC ${root})
endfunction()
