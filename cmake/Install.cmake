# Installation: the install folder <prefix>/lib/vistrel holds the program, libKzutil.so, the help
# page and the page template; <prefix>/bin/vistrel links to the program, and the desktop entry
# and icon go where desktops look for them. Installing registers the folder as "InstallPath" in
# the installing user's settings store, which start-up requires.
set(VISTREL_INSTALL_DIR lib/vistrel)

install(TARGETS Vistrel RUNTIME DESTINATION ${VISTREL_INSTALL_DIR})
install(TARGETS Kzutil KzutilDialogs LIBRARY DESTINATION ${VISTREL_INSTALL_DIR})
install(FILES resources/vistrel-help.html resources/template.html DESTINATION ${VISTREL_INSTALL_DIR})
install(TARGETS kzreg vistrel-img RUNTIME DESTINATION bin)
install(FILES resources/vistrel.desktop DESTINATION share/applications)
install(FILES resources/vistrel.png DESTINATION share/icons/hicolor/128x128/apps)

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
    # A staged install (packaging) is not where the program will run from.
    message(STATUS "Staged install: not registering ${installDir} as InstallPath")
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
