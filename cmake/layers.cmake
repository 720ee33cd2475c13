# SPDX-License-Identifier: BSD-2-Clause-Patent
# The layers, enforced by the build. Each layer is a library that links only
# the layers below it, and the build refuses a step the other way:
# - includes: a layer's file may include, from the source tree, only
#   headers of its own directory and of the directories of the libraries
#   its layer links, directly or not (check_includes.cmake, run on every
#   build before any layer compiles);
# - calls (host flavour): each layer's library links, whole, into a program
#   with only the libraries it links itself, so a call into a layer above
#   is an undefined symbol.

# The libraries of the source tree that `target` links, directly or not.
function(sysinfo_linked_libraries target out)
  set(found "")
  set(queue ${target})
  while(queue)
    list(POP_FRONT queue current)
    foreach(property LINK_LIBRARIES INTERFACE_LINK_LIBRARIES)
      get_target_property(links ${current} ${property})
      foreach(link IN LISTS links)
        if(TARGET ${link} AND NOT link IN_LIST found)
          get_target_property(imported ${link} IMPORTED)
          if(NOT imported)
            list(APPEND found ${link})
            list(APPEND queue ${link})
          endif()
        endif()
      endforeach()
    endforeach()
  endwhile()
  set(${out} ${found} PARENT_SCOPE)
endfunction()

function(sysinfo_layer_dir target out)
  get_target_property(dir ${target} SOURCE_DIR)
  file(RELATIVE_PATH dir ${CMAKE_SOURCE_DIR} ${dir})
  set(${out} ${dir} PARENT_SCOPE)
endfunction()

# sysinfo_enforce_layers(library ...): the include check over the
# directories of the given libraries and, on the host, a link check of each
# one with code. Libraries this flavour does not build are passed over.
function(sysinfo_enforce_layers)
  set(layers "")
  foreach(layer IN LISTS ARGN)
    if(TARGET ${layer})
      list(APPEND layers ${layer})
    endif()
  endforeach()

  # What each layer's files may include from: its directory and those of
  # the layers it links (not the flag targets). Where a directory holds
  # several layers, its files follow the lowest one's rule and the others'
  # sources their own.
  set(dirs "")
  foreach(layer IN LISTS layers)
    sysinfo_layer_dir(${layer} dir)
    set(allowed ${dir})
    sysinfo_linked_libraries(${layer} linked)
    foreach(library IN LISTS linked)
      if(library IN_LIST layers)
        sysinfo_layer_dir(${library} library_dir)
        list(APPEND allowed ${library_dir})
      endif()
    endforeach()
    list(REMOVE_DUPLICATES allowed)
    list(SORT allowed)
    list(LENGTH allowed count)
    list(JOIN allowed " " allowed_${layer})
    if(NOT dir IN_LIST dirs OR count LESS lowest_count_${dir})
      list(APPEND dirs ${dir})
      set(lowest_${dir} ${layer})
      set(lowest_count_${dir} ${count})
    endif()
  endforeach()
  list(REMOVE_DUPLICATES dirs)
  set(rules "")
  foreach(dir IN LISTS dirs)
    string(APPEND rules "${dir} ${allowed_${lowest_${dir}}}\n")
  endforeach()
  foreach(layer IN LISTS layers)
    sysinfo_layer_dir(${layer} dir)
    if(NOT allowed_${layer} STREQUAL allowed_${lowest_${dir}})
      get_target_property(sources ${layer} SOURCES)
      foreach(source IN LISTS sources)
        if(NOT IS_ABSOLUTE ${source})
          string(APPEND rules "${dir}/${source} ${allowed_${layer}}\n")
        endif()
      endforeach()
    endif()
  endforeach()
  set(rules_file ${CMAKE_BINARY_DIR}/layer_includes.txt)
  file(WRITE ${rules_file} "${rules}")
  add_custom_target(sysinfo_layer_includes ALL
    COMMAND ${CMAKE_COMMAND} -DSOURCE=${CMAKE_SOURCE_DIR} -DRULES=${rules_file}
            -P ${CMAKE_SOURCE_DIR}/cmake/check_includes.cmake
    COMMENT "Checking each layer's includes"
    VERBATIM)

  foreach(layer IN LISTS layers)
    get_target_property(type ${layer} TYPE)
    if(type STREQUAL "INTERFACE_LIBRARY")
      continue()
    endif()
    add_dependencies(${layer} sysinfo_layer_includes)
    if(NOT SYSINFO_FIRMWARE)
      sysinfo_link_check(${layer} ${type})
    endif()
  endforeach()
endfunction()

# The program `layer`_link_check: all of `layer`'s code and what it links.
# A layer that reads board constants gets the default board's, as every
# program does; the board libraries (object libraries) are those constants.
function(sysinfo_link_check layer type)
  set(check ${layer}_link_check)
  add_executable(${check} ${CMAKE_SOURCE_DIR}/cmake/link_check_main.cpp)
  target_link_libraries(${check} PRIVATE sysinfo_warnings sysinfo_sanitizers sysinfo_coverage)
  if(type STREQUAL "STATIC_LIBRARY")
    target_link_libraries(${check} PRIVATE "$<LINK_LIBRARY:WHOLE_ARCHIVE,${layer}>")
    sysinfo_linked_libraries(${layer} linked)
    if(sysinfo_boards IN_LIST linked)
      target_link_libraries(${check} PRIVATE sysinfo_board_${SYSINFO_DEFAULT_BOARD})
    endif()
  else()
    target_link_libraries(${check} PRIVATE ${layer})
  endif()
endfunction()
