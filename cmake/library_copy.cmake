# SPDX-License-Identifier: BSD-2-Clause-Patent
# sysinfo_copy_library(target copy INSTRUMENTATION flags SUFFIX s COPIES lib ...)
# A static library `copy` built from the sources of `target` with its own
# include directories, definitions and options, linking what `target`
# links, with two changes: the interface target `flags` in place of
# sysinfo_sanitizers, and the copies (name + SUFFIX) of the libraries named
# in COPIES in their place. The fuzz targets and the stack budget build the
# driver's layers so, instrumented their own way.
function(sysinfo_copy_library target copy)
  cmake_parse_arguments(ARG "" "INSTRUMENTATION;SUFFIX" "COPIES" ${ARGN})
  get_target_property(sources ${target} SOURCES)
  get_target_property(dir ${target} SOURCE_DIR)
  list(TRANSFORM sources PREPEND ${dir}/ REGEX "^[^/$]")
  add_library(${copy} STATIC ${sources})
  foreach(property INCLUDE_DIRECTORIES INTERFACE_INCLUDE_DIRECTORIES COMPILE_DEFINITIONS COMPILE_OPTIONS)
    get_target_property(values ${target} ${property})
    if(values)
      set_property(TARGET ${copy} PROPERTY ${property} "${values}")
    endif()
  endforeach()
  # Links as names or, for private links, $<LINK_ONLY:name>.
  foreach(property LINK_LIBRARIES INTERFACE_LINK_LIBRARIES)
    get_target_property(links ${target} ${property})
    if(links)
      list(TRANSFORM links REPLACE "(^|:)sysinfo_sanitizers(>|$)" "\\1${ARG_INSTRUMENTATION}\\2")
      foreach(library IN LISTS ARG_COPIES)
        list(TRANSFORM links REPLACE "(^|:)${library}(>|$)" "\\1${library}${ARG_SUFFIX}\\2")
      endforeach()
      set_property(TARGET ${copy} PROPERTY ${property} "${links}")
    endif()
  endforeach()
endfunction()
