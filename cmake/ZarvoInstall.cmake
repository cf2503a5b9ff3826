# What `cmake --install` puts under the prefix:
#   lib/libzarvokit.a (or .so with BUILD_SHARED_LIBS), include/zarvo/<layer>/*.h and zarvo/version.h,
#   lib/cmake/ZarvoKit/ (config, version file, exported target ZarvoKit::zarvokit),
#   lib/pkgconfig/zarvokit.pc, and with the app: bin/zarvo, its man page and shell completions;
#   with the daemon: bin/zarvo-reminders, its systemd user unit and its XDG autostart entry.
include(CMakePackageConfigHelpers)

set(ZARVO_CMAKE_DIR "${CMAKE_INSTALL_LIBDIR}/cmake/ZarvoKit")

install(TARGETS zarvokit EXPORT ZarvoKitTargets
  ARCHIVE DESTINATION "${CMAKE_INSTALL_LIBDIR}"
  LIBRARY DESTINATION "${CMAKE_INSTALL_LIBDIR}"
  RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")

# Public headers only: internal/ folders and the tests' helpers stay in the source tree.
get_property(zarvo_installed_layers GLOBAL PROPERTY ZARVO_LAYERS)
foreach(layer IN LISTS zarvo_installed_layers)
  install(DIRECTORY "${PROJECT_SOURCE_DIR}/zarvo/${layer}/"
    DESTINATION "${CMAKE_INSTALL_INCLUDEDIR}/zarvo/${layer}"
    FILES_MATCHING PATTERN "*.h"
    PATTERN "internal" EXCLUDE
    PATTERN "*_test.h" EXCLUDE
    PATTERN "*test_util.h" EXCLUDE)
endforeach()
install(FILES "${ZARVO_GENERATED_ROOT}/zarvo/version.h" DESTINATION "${CMAKE_INSTALL_INCLUDEDIR}/zarvo")

install(EXPORT ZarvoKitTargets NAMESPACE ZarvoKit:: DESTINATION "${ZARVO_CMAKE_DIR}" FILE ZarvoKitTargets.cmake)
configure_package_config_file(cmake/ZarvoKitConfig.cmake.in "${PROJECT_BINARY_DIR}/ZarvoKitConfig.cmake"
  INSTALL_DESTINATION "${ZARVO_CMAKE_DIR}")
# Before 1.0 a minor version may change the interface.
write_basic_package_version_file("${PROJECT_BINARY_DIR}/ZarvoKitConfigVersion.cmake"
  VERSION "${PROJECT_VERSION}" COMPATIBILITY SameMinorVersion)
install(FILES "${PROJECT_BINARY_DIR}/ZarvoKitConfig.cmake" "${PROJECT_BINARY_DIR}/ZarvoKitConfigVersion.cmake"
  DESTINATION "${ZARVO_CMAKE_DIR}")

# pkg-config: paths relative to the .pc file, so the installed tree can be moved (or installed with
# `cmake --install --prefix`) and still be found.
file(RELATIVE_PATH ZARVO_PC_TO_PREFIX "/${CMAKE_INSTALL_LIBDIR}/pkgconfig" "/")
string(REGEX REPLACE "/$" "" ZARVO_PC_TO_PREFIX "${ZARVO_PC_TO_PREFIX}")
if(BUILD_SHARED_LIBS)
  set(ZARVO_PC_REQUIRES_PRIVATE "")
  set(ZARVO_PC_LIBS_PRIVATE "")
else()
  # A static library hands what it uses to the program's link.
  set(ZARVO_PC_REQUIRES_PRIVATE "icu-uc icu-i18n libpcre2-16 libical sqlite3")
  set(ZARVO_PC_LIBS_PRIVATE "-pthread")
endif()
configure_file(cmake/zarvokit.pc.in "${PROJECT_BINARY_DIR}/zarvokit.pc" @ONLY)
install(FILES "${PROJECT_BINARY_DIR}/zarvokit.pc" DESTINATION "${CMAKE_INSTALL_LIBDIR}/pkgconfig")

if(TARGET zarvo)
  install(TARGETS zarvo RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
  configure_file(doc/zarvo.1.in "${PROJECT_BINARY_DIR}/zarvo.1" @ONLY)
  install(FILES "${PROJECT_BINARY_DIR}/zarvo.1" DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")
  install(FILES "${PROJECT_SOURCE_DIR}/completions/zarvo.bash"
    DESTINATION "${CMAKE_INSTALL_DATADIR}/bash-completion/completions" RENAME zarvo)
  install(FILES "${PROJECT_SOURCE_DIR}/completions/_zarvo" DESTINATION "${CMAKE_INSTALL_DATADIR}/zsh/site-functions")
  install(FILES "${PROJECT_SOURCE_DIR}/completions/zarvo.fish"
    DESTINATION "${CMAKE_INSTALL_DATADIR}/fish/vendor_completions.d")
endif()

# The reminders daemon, and the two ways a session starts it: a systemd user unit (enabled by
# `zarvo reminders enable` or `systemctl --user enable --now zarvo-reminders.service`) and an XDG
# autostart entry for sessions without systemd (skipped by systemd's autostart generator). Should both
# run, the second daemon for a home finds the first one's bus name and leaves.
if(TARGET zarvo-reminders)
  install(TARGETS zarvo-reminders RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
  # The unit and the entry name the program by its installed path, so they are written when the
  # prefix is known: `cmake --install --prefix DIR` gets DIR in them.
  install(CODE "
    if(IS_ABSOLUTE \"${CMAKE_INSTALL_BINDIR}\")
      set(ZARVO_DAEMON_PROGRAM \"${CMAKE_INSTALL_BINDIR}/zarvo-reminders\")
    else()
      set(ZARVO_DAEMON_PROGRAM \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/zarvo-reminders\")
    endif()
    foreach(file zarvo-reminders.service zarvo-reminders.desktop)
      configure_file(\"${PROJECT_SOURCE_DIR}/reminders-daemon/\${file}.in\" \"${PROJECT_BINARY_DIR}/installed/\${file}\" @ONLY)
    endforeach()")
  # lib/systemd/user under the prefix is on the user manager's unit path for /usr and /usr/local.
  install(FILES "${PROJECT_BINARY_DIR}/installed/zarvo-reminders.service" DESTINATION "lib/systemd/user")
  # PREFIX/etc/xdg/autostart: sessions look there when $XDG_CONFIG_DIRS names PREFIX/etc/xdg; a
  # package for /usr passes -DCMAKE_INSTALL_SYSCONFDIR=/etc to put it in /etc/xdg/autostart.
  install(FILES "${PROJECT_BINARY_DIR}/installed/zarvo-reminders.desktop" DESTINATION "${CMAKE_INSTALL_SYSCONFDIR}/xdg/autostart")
endif()
