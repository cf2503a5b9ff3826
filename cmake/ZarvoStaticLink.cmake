# Programs that start often and live briefly (the zarvo command) can link their libraries' static
# archives. Loading and relocating ICU, libical, SQLite and libstdc++ costs a command about 1.5 ms
# before it does anything, which is a tenth of listing a few thousand tasks.
#
# A program opts in with zarvo_link_statically(target). Everything else (tests, the desktop app,
# whose Qt brings its own shared ICU) links the shared libraries as before, because the choice is
# made per linked program: the libraries' targets name the archive or the shared object depending on
# the ZARVO_STATIC_LINK property of the program being linked.
#
# ZARVO_STATIC_PROGRAMS: ON by default in optimised builds of a static library when every archive is
# installed (the -dev packages carry them); sanitizer and debug builds link shared libraries.

set(zarvo_static_default OFF)
if(CMAKE_BUILD_TYPE MATCHES "^(Release|RelWithDebInfo|MinSizeRel)$" AND NOT BUILD_SHARED_LIBS)
  set(zarvo_static_default ON)
endif()
option(ZARVO_STATIC_PROGRAMS "Link the zarvo program with its libraries' static archives" ${zarvo_static_default})

set(ZARVO_STATIC_LINK_READY OFF)
if(ZARVO_STATIC_PROGRAMS)
  # Archive names in link order. ICU's code reaches its data as a symbol of the same module, so the
  # data's archive comes too (about 30 MB of the program, mapped and paged in as the shared one is).
  set(zarvo_static_sets
    "ICU|icui18n,icuuc,icudata"
    "PCRE2|pcre2-16"
    "LIBICAL|ical,icalss,icalvcal"
    "SQLITE3|sqlite3")
  set(zarvo_static_missing "")
  foreach(set IN LISTS zarvo_static_sets)
    string(REPLACE "|" ";" parts "${set}")
    list(GET parts 0 prefix)
    list(SUBLIST parts 1 -1 names)
    string(REPLACE "," ";" names "${names}")
    set(archives_${prefix} "")
    foreach(name IN LISTS names)
      find_library(ZARVO_ARCHIVE_${name} NAMES lib${name}.a HINTS ${${prefix}_LIBRARY_DIRS})
      if(ZARVO_ARCHIVE_${name})
        list(APPEND archives_${prefix} "${ZARVO_ARCHIVE_${name}}")
      else()
        list(APPEND zarvo_static_missing "lib${name}.a")
      endif()
    endforeach()
  endforeach()
  if(zarvo_static_missing)
    message(STATUS "Static archives not found (${zarvo_static_missing}): zarvo links shared libraries")
  else()
    set(ZARVO_STATIC_LINK_READY ON)
    set(zarvo_static "$<BOOL:$<TARGET_PROPERTY:ZARVO_STATIC_LINK>>")
    set(zarvo_shared "$<NOT:${zarvo_static}>")
    foreach(set IN LISTS zarvo_static_sets)
      string(REPLACE "|" ";" parts "${set}")
      list(GET parts 0 prefix)
      get_target_property(shared_libs PkgConfig::${prefix} INTERFACE_LINK_LIBRARIES)
      set(libs "")
      foreach(lib IN LISTS shared_libs)
        list(APPEND libs "$<${zarvo_shared}:${lib}>")
      endforeach()
      foreach(archive IN LISTS archives_${prefix})
        list(APPEND libs "$<${zarvo_static}:${archive}>")
      endforeach()
      set_property(TARGET PkgConfig::${prefix} PROPERTY INTERFACE_LINK_LIBRARIES "${libs}")
    endforeach()
    # What the archives need that their shared objects named themselves: libical's uses ICU.
    set_property(TARGET PkgConfig::LIBICAL APPEND PROPERTY INTERFACE_LINK_LIBRARIES
      "$<${zarvo_static}:PkgConfig::ICU>")
    find_package(ZLIB QUIET)
    set_property(TARGET PkgConfig::SQLITE3 APPEND PROPERTY INTERFACE_LINK_LIBRARIES
      "$<${zarvo_static}:$<$<TARGET_EXISTS:ZLIB::ZLIB>:ZLIB::ZLIB>>" "$<${zarvo_static}:${CMAKE_DL_LIBS}>" "$<${zarvo_static}:m>")
  endif()
endif()

# Links `target` with the static archives when they are available; libc stays shared.
function(zarvo_link_statically target)
  if(ZARVO_STATIC_LINK_READY)
    set_property(TARGET ${target} PROPERTY ZARVO_STATIC_LINK ON)
    target_link_options(${target} PRIVATE -static-libstdc++ -static-libgcc)
  endif()
endfunction()
