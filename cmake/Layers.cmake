# Layers the build enforces. Each folder of the tree is built by one target, and a file may
# include the headers of its own folder and of the folders its target depends on, directly
# or through its dependencies, as target_link_libraries declares them: nothing else of the
# project. An include that runs back up (data/ including a window of shell/, host/ a
# header of cli/) fails the build.
#
#   corvanel_layer(<target> <folder>...)  the folders (relative to the source root) whose
#                                         files the target is built from
#   corvanel_check_layers()               once every target exists: derives what each layer
#                                         may include from the declared dependencies and
#                                         has a check run before the target is built
#
# A target that declares no folders (the framework's shared library, say) passes on the
# folders of what it links. Includes without a folder ("Foo.h", beside the file) and
# includes of anything that is not a folder of the project (Qt, the system) are not
# looked at.

set(CORVANEL_CHECK_INCLUDES_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/CheckIncludes.cmake)

function(corvanel_layer target)
  set_property(TARGET ${target} PROPERTY CORVANEL_LAYER_FOLDERS ${ARGN})
  set_property(GLOBAL APPEND PROPERTY CORVANEL_LAYER_TARGETS ${target})
endfunction()

# The folders `target` may include: its own and those of everything it links, however deep.
function(_corvanel_allowed_folders target out)
  set(seen "")
  set(pending ${target})
  set(folders "")
  while(pending)
    list(POP_FRONT pending current)
    if(current IN_LIST seen OR NOT TARGET ${current})
      continue()
    endif()
    list(APPEND seen ${current})
    get_target_property(imported ${current} IMPORTED)
    if(imported)
      continue() # Qt and the system's libraries hold none of the project's folders
    endif()
    get_target_property(own ${current} CORVANEL_LAYER_FOLDERS)
    if(own)
      list(APPEND folders ${own})
    endif()
    foreach(property LINK_LIBRARIES INTERFACE_LINK_LIBRARIES)
      get_target_property(dependencies ${current} ${property})
      foreach(dependency IN LISTS dependencies)
        string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" dependency "${dependency}")
        string(REGEX REPLACE "^\\$<LINK_LIBRARY:[^,]*,(.*)>$" "\\1" dependency "${dependency}")
        if(TARGET ${dependency})
          list(APPEND pending ${dependency})
        endif()
      endforeach()
    endforeach()
  endwhile()
  list(REMOVE_DUPLICATES folders)
  set(${out} ${folders} PARENT_SCOPE)
endfunction()

function(corvanel_check_layers)
  get_property(targets GLOBAL PROPERTY CORVANEL_LAYER_TARGETS)
  # The top folders of the project: an include starting with one of them is the project's.
  set(roots "")
  foreach(target IN LISTS targets)
    get_target_property(own ${target} CORVANEL_LAYER_FOLDERS)
    foreach(folder IN LISTS own)
      string(REGEX REPLACE "/.*" "" root "${folder}")
      list(APPEND roots ${root})
    endforeach()
  endforeach()
  list(REMOVE_DUPLICATES roots)
  foreach(target IN LISTS targets)
    _corvanel_allowed_folders(${target} allowed)
    get_target_property(own ${target} CORVANEL_LAYER_FOLDERS)
    set(files "")
    foreach(folder IN LISTS own)
      file(GLOB found CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${folder}/*.h ${CMAKE_SOURCE_DIR}/${folder}/*.cpp)
      list(APPEND files ${found})
    endforeach()
    set(layer ${CMAKE_BINARY_DIR}/layers/${target})
    # Written only when it changes, so that configuring again does not run every check again.
    file(CONFIGURE OUTPUT ${layer}.cmake
      CONTENT "set(TARGET \"${target}\")\nset(ALLOWED \"${allowed}\")\nset(ROOTS \"${roots}\")\nset(FILES \"${files}\")\n"
      @ONLY)
    add_custom_command(OUTPUT ${layer}.checked
      COMMAND ${CMAKE_COMMAND} -DLAYER=${layer}.cmake -DSOURCE_DIR=${CMAKE_SOURCE_DIR}
              -DSTAMP=${layer}.checked -P ${CORVANEL_CHECK_INCLUDES_SCRIPT}
      DEPENDS ${files} ${layer}.cmake ${CORVANEL_CHECK_INCLUDES_SCRIPT}
      COMMENT "Checking what ${target} includes"
      VERBATIM)
    add_custom_target(${target}_includes DEPENDS ${layer}.checked)
    add_dependencies(${target} ${target}_includes)
  endforeach()
endfunction()
