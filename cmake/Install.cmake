# Installation: the install folder <prefix>/lib/vistrel holds the program, libKzutil.so, the help
# page and the page template; <prefix>/bin/vistrel links to the program, and the desktop entry,
# icons, AppStream file and manual pages go where desktops and man look for them. Installing
# registers the folder as "InstallPath" in the installing user's settings store, which start-up
# requires; a staged install (a package) ships it as the system-wide default instead.
set(VISTREL_INSTALL_DIR lib/vistrel)

install(TARGETS Vistrel RUNTIME DESTINATION ${VISTREL_INSTALL_DIR})
install(TARGETS Kzutil KzutilDialogs LIBRARY DESTINATION ${VISTREL_INSTALL_DIR})
install(FILES resources/vistrel-help.html resources/template.html DESTINATION ${VISTREL_INSTALL_DIR})
install(TARGETS kzreg vistrel-img RUNTIME DESTINATION bin)
install(FILES ${CMAKE_BINARY_DIR}/vistrel.desktop DESTINATION share/applications)
install(DIRECTORY resources/icons/hicolor DESTINATION share/icons)
install(FILES ${CMAKE_BINARY_DIR}/vistrel.metainfo.xml DESTINATION share/metainfo)
install(FILES resources/debian/copyright ${CMAKE_BINARY_DIR}/changelog.gz DESTINATION share/doc/vistrel)

# The desktop entry's MIME types are those of the formats vistrel-img lists (the codec table's
# rows with a codec), as the shared MIME database names them.
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/vistrel.desktop
  COMMAND sh -c "\"$1\" formats >\"$2\"" sh $<TARGET_FILE:vistrel-img> ${CMAKE_BINARY_DIR}/formats.txt
  COMMAND ${CMAKE_COMMAND} -DFORMATS=${CMAKE_BINARY_DIR}/formats.txt
    -DTEMPLATE=${CMAKE_SOURCE_DIR}/resources/vistrel.desktop.in -DOUTPUT=${CMAKE_BINARY_DIR}/vistrel.desktop
    -P ${CMAKE_SOURCE_DIR}/cmake/DesktopEntry.cmake
  DEPENDS vistrel-img resources/vistrel.desktop.in cmake/DesktopEntry.cmake
  WORKING_DIRECTORY ${CMAKE_SOURCE_DIR} VERBATIM)

set(VISTREL_HOMEPAGE "https://vistrel.invalid" CACHE STRING
  "Where the project is published: the AppStream file's home page and screenshots (docs/*.png) below it")
set(VISTREL_PACKAGE_MAINTAINER "Vistrel developers <vistrel@example.org>" CACHE STRING
  "Maintainer of the Debian package, as name <address>")
string(TIMESTAMP VISTREL_RELEASE_DATE "%Y-%m-%d" UTC)
string(TIMESTAMP VISTREL_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
configure_file(resources/vistrel.metainfo.xml.in vistrel.metainfo.xml @ONLY)
configure_file(resources/debian/changelog.in changelog @ONLY)

# Manual pages, one scdoc source each in docs/man, compressed as Debian wants them.
find_program(SCDOC scdoc REQUIRED)
set(manPages "")
foreach(page vistrel vistrel-img kzreg)
  set(source ${CMAKE_SOURCE_DIR}/docs/man/${page}.1.scd)
  set(output ${CMAKE_BINARY_DIR}/man/${page}.1.gz)
  add_custom_command(OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
    COMMAND sh -c "\"$1\" <\"$2\" | gzip -9n >\"$3\"" sh ${SCDOC} ${source} ${output}
    DEPENDS ${source} VERBATIM)
  list(APPEND manPages ${output})
endforeach()
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/changelog.gz
  COMMAND sh -c "gzip -9n <\"$1\" >\"$2\"" sh ${CMAKE_BINARY_DIR}/changelog ${CMAKE_BINARY_DIR}/changelog.gz
  DEPENDS ${CMAKE_BINARY_DIR}/changelog VERBATIM)
add_custom_target(desktop_files ALL DEPENDS ${CMAKE_BINARY_DIR}/vistrel.desktop ${manPages} ${CMAKE_BINARY_DIR}/changelog.gz)
install(FILES ${manPages} DESTINATION share/man/man1)

install(CODE "set(vistrelDefaultsWork \"${CMAKE_BINARY_DIR}/system-defaults\")")
install(CODE [[
  set(installDir "${CMAKE_INSTALL_PREFIX}/lib/vistrel")
  if(NOT IS_ABSOLUTE "${installDir}")
    # A prefix given relative to where cmake runs; the store must hold an absolute folder.
    execute_process(COMMAND pwd OUTPUT_VARIABLE workingDir OUTPUT_STRIP_TRAILING_WHITESPACE)
    set(installDir "${workingDir}/${installDir}")
  endif()
  file(MAKE_DIRECTORY "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/bin")
  file(CREATE_LINK ../lib/vistrel/vistrel "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/bin/vistrel" SYMBOLIC)
  if(DEFINED ENV{DESTDIR} AND NOT "$ENV{DESTDIR}" STREQUAL "")
    # A staged install (packaging) is not where the program will run from: the package's
    # system-wide default layer gives every user the folder instead, written by kzreg into a
    # folder of its own and copied without kzreg's lock file.
    set(work "${vistrelDefaultsWork}")
    file(REMOVE_RECURSE "${work}")
    set(ENV{KZUTIL_REGISTRY_DIR} "${work}")
    execute_process(
      COMMAND "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/bin/kzreg" add "HKCU\\Software\\Marvensk\\Vistrel" InstallPath sz "${installDir}/"
      RESULT_VARIABLE written)
    unset(ENV{KZUTIL_REGISTRY_DIR})
    if(NOT written EQUAL 0)
      message(FATAL_ERROR "Could not write the default InstallPath (kzreg exit status ${written})")
    endif()
    # file(INSTALL) puts DESTDIR in front of the folder itself.
    file(INSTALL "${work}/HKEY_CURRENT_USER.reg" DESTINATION /etc/xdg/kzutil-registry
      FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
    message(STATUS "Staged install: InstallPath = ${installDir}/ for every user in /etc/xdg/kzutil-registry")
  else()
    execute_process(
      COMMAND "${CMAKE_INSTALL_PREFIX}/bin/kzreg" add "HKCU\\Software\\Marvensk\\Vistrel" InstallPath sz "${installDir}/"
      RESULT_VARIABLE registered)
    if(NOT registered EQUAL 0)
      message(FATAL_ERROR "Could not register ${installDir} as InstallPath (kzreg exit status ${registered})")
    endif()
    message(STATUS "Registered InstallPath = ${installDir}/")
  endif()
]])
