# Layers the build enforces.
#
# Sources include each other as "<folder>/<file>.h". Instead of putting the
# whole source tree on every include path, each subsystem gets an include
# root of its own in the build tree that holds one link, <folder> -> the
# source folder. A library publishes only that root, so its own headers and
# those of the libraries it links are found, and an include from a lower
# layer into a higher one (imaging -> camera, settings -> imaging,
# camera -> api) fails to compile.

# tavrin_publish_folder(target folder [PUBLIC|PRIVATE|INTERFACE])
function(tavrin_publish_folder target folder)
  set(scope PUBLIC)
  if(ARGC GREATER 2)
    set(scope ${ARGV2})
  endif()
  set(root ${CMAKE_BINARY_DIR}/include-roots/${folder})
  if(NOT IS_SYMLINK ${root}/${folder})
    file(MAKE_DIRECTORY ${root})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${root}/${folder} SYMBOLIC)
  endif()
  target_include_directories(${target} ${scope} ${root})
endfunction()
