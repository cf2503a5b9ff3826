# Programs that start often and live briefly (the zarvo command) can link their libraries' static
# archives. Loading and relocating ICU, libical, SQLite and libstdc++ costs a command about 1.5 ms
# before it does anything, which is a tenth of listing a few thousand tasks.
#
# A program opts in with zarvo_link_statically(target). Everything else (tests, the desktop app,
# whose Qt brings its own shared ICU) links the shared libraries as before, because the choice is
# made per linked program: the libraries' imported targets name their shared objects only for a
# program whose ZARVO_STATIC_LINK property is not set, and such a program links the archives instead.
#
# ZARVO_STATIC_PROGRAMS: ON by default in optimised builds of a static library when every archive is
# installed (the -dev packages carry them); sanitizer and debug builds link shared libraries.

set(zarvo_static_default OFF)
if(CMAKE_BUILD_TYPE MATCHES "^(Release|RelWithDebInfo|MinSizeRel)$" AND NOT BUILD_SHARED_LIBS)
  set(zarvo_static_default ON)
endif()
option(ZARVO_STATIC_PROGRAMS "Link the zarvo program with its libraries' static archives" ${zarvo_static_default})

set(zarvo_static_prefixes ICU PCRE2 LIBICAL SQLITE3)  # of pkg_check_modules
set(ZARVO_STATIC_LINK_READY OFF)
if(ZARVO_STATIC_PROGRAMS)
  # What each library needs in a static link is what pkg-config says (libical's includes ICU's, with
  # its data: ICU's code reaches the data as a symbol of its own module). The libraries themselves
  # come as archives; what else they name (libm, libz, threads) stays shared, as libc does.
  set(zarvo_own_libraries "")
  foreach(prefix IN LISTS zarvo_static_prefixes)
    list(APPEND zarvo_own_libraries ${${prefix}_LIBRARIES})
  endforeach()
  set(zarvo_static_archives "")
  set(zarvo_static_system "")
  set(zarvo_static_missing "")
  foreach(prefix IN LISTS zarvo_static_prefixes)
    foreach(name IN LISTS ${prefix}_STATIC_LIBRARIES)
      if(NOT name IN_LIST zarvo_own_libraries)
        list(APPEND zarvo_static_system ${name})
        continue()
      endif()
      find_library(ZARVO_ARCHIVE_${name} NAMES lib${name}.a HINTS ${${prefix}_STATIC_LIBRARY_DIRS})
      if(ZARVO_ARCHIVE_${name})
        list(APPEND zarvo_static_archives "${ZARVO_ARCHIVE_${name}}")
      else()
        list(APPEND zarvo_static_missing "lib${name}.a")
      endif()
    endforeach()
  endforeach()
  list(REMOVE_DUPLICATES zarvo_static_archives)
  list(REMOVE_DUPLICATES zarvo_static_system)
  list(REMOVE_DUPLICATES zarvo_static_missing)
  if(zarvo_static_missing)
    message(STATUS "Static archives not found (${zarvo_static_missing}): zarvo links shared libraries")
  else()
    set(ZARVO_STATIC_LINK_READY ON)
    foreach(prefix IN LISTS zarvo_static_prefixes)
      get_target_property(shared_libs PkgConfig::${prefix} INTERFACE_LINK_LIBRARIES)
      set(libs "")
      foreach(lib IN LISTS shared_libs)
        list(APPEND libs "$<$<NOT:$<BOOL:$<TARGET_PROPERTY:ZARVO_STATIC_LINK>>>:${lib}>")
      endforeach()
      set_property(TARGET PkgConfig::${prefix} PROPERTY INTERFACE_LINK_LIBRARIES "${libs}")
    endforeach()
  endif()
endif()

# Links `target`, a program of zarvokit, with the static archives when they are available; libc stays
# shared. The archives come after zarvokit, as one group searched until nothing more resolves, since
# they call each other (libical calls ICU).
function(zarvo_link_statically target)
  if(ZARVO_STATIC_LINK_READY)
    set_property(TARGET ${target} PROPERTY ZARVO_STATIC_LINK ON)
    list(JOIN zarvo_static_archives "," archives)
    target_link_libraries(${target} PRIVATE zarvokit "$<LINK_GROUP:RESCAN,${archives}>" ${zarvo_static_system})
    target_link_options(${target} PRIVATE -static-libstdc++ -static-libgcc)
  endif()
endfunction()
