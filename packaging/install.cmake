# What `cmake --install` puts on a Linux system, and the Debian package
# that `cpack -G DEB` (or plain `cpack`) builds from it: the three programs,
# the desktop entry, the icon in the hicolor theme, the AppStream metainfo,
# the man pages and dravik-cli's bash completion.
include(GNUInstallDirs)

set(DRAVIK_APP_ID org.dravik.Dravik)
set(DRAVIK_PACKAGE_CONTACT "Dravik maintainers <maintainers@dravik.invalid>"
    CACHE STRING "Maintainer field of the Debian package")

foreach(program dravik dravik-cli dravik-sim)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

# The desktop's view of the window program.
if(TARGET dravik)
  set(linux_res ${CMAKE_CURRENT_LIST_DIR}/../res/linux)
  install(FILES ${linux_res}/${DRAVIK_APP_ID}.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${linux_res}/${DRAVIK_APP_ID}.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(FILES ${linux_res}/icons/${DRAVIK_APP_ID}.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  foreach(size 16 22 24 32 48 64 128 256)
    install(FILES ${linux_res}/icons/${size}/${DRAVIK_APP_ID}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
endif()

# Man pages, compressed as Debian installs them.
set(man_pages)
foreach(program dravik dravik-cli dravik-sim)
  if(TARGET ${program})
    set(page ${CMAKE_CURRENT_LIST_DIR}/man/${program}.1)
    set(packed ${CMAKE_BINARY_DIR}/man/${program}.1.gz)
    add_custom_command(OUTPUT ${packed}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
      COMMAND gzip -9 -n -c ${page} > ${packed}
      DEPENDS ${page} VERBATIM)
    list(APPEND man_pages ${packed})
  endif()
endforeach()
add_custom_target(dravik_man_pages ALL DEPENDS ${man_pages})
install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

install(FILES ${CMAKE_CURRENT_LIST_DIR}/bash-completion/dravik-cli
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)

# The Debian package. Its dependencies are computed from the binaries by
# dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME dravik)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${DRAVIK_PACKAGE_CONTACT})
# The first line is the synopsis; CPack indents the rest and marks the
# empty line as a paragraph break.
string(JOIN "\n" CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "move files between a PC and an HP48 calculator over a serial line"
  "Dravik talks to the HP48's built-in Kermit server: it browses the"
  "calculator's directories, sends and receives objects by Kermit or"
  "XModem and checks them against the calculator's checksums, manages"
  "calculator directories and variables, backs up and restores the whole"
  "memory, and converts monochrome BMP pictures to calculator graphics."
  ""
  "The package holds the window program dravik, the scriptable dravik-cli"
  "(with a doctor that finds out why a calculator does not answer) and"
  "dravik-sim, a simulated calculator to try everything without hardware.")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The one dependency no binary names: the window's icons are SVG drawings,
# drawn by Qt's SVG icon engine, a plugin loaded at run time.
if(TARGET dravik)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS libqt6svg6)
endif()
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
