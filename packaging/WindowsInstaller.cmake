# The Windows installer (NSIS) and a zip of the same files, made by
# "cpack" in the Windows build folder: the program and the two tools an
# operator needs beside it (the TM server mailslot receiver and the gateway
# simulator: their install() rules are in src/ and tools/), the Qt libraries
# and plugins the program loads, and the MinGW runtime. The Start menu entry
# carries the program's own icon.
set(qt_prefix ${QT_WINDOWS_PREFIX})
install(FILES
  ${qt_prefix}/bin/Qt6Core.dll ${qt_prefix}/bin/Qt6Gui.dll ${qt_prefix}/bin/Qt6Widgets.dll
  DESTINATION bin)
# Qt looks for its plugins beside the executable.
install(FILES ${qt_prefix}/plugins/platforms/qwindows.dll DESTINATION bin/platforms)
install(FILES ${qt_prefix}/plugins/styles/qwindowsvistastyle.dll DESTINATION bin/styles)

# The MinGW runtime, where the compiler itself finds it.
set(mingw_runtime)
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
    OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${path}" OR NOT EXISTS "${path}")
    message(FATAL_ERROR "The compiler does not know the MinGW runtime library ${dll}")
  endif()
  get_filename_component(path ${path} REALPATH)
  list(APPEND mingw_runtime ${path})
endforeach()
install(FILES ${mingw_runtime} DESTINATION bin)

set(CPACK_GENERATOR NSIS ZIP)
# Without the debugging information: the operator runs the program, never a debugger.
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_NAME v3721conf)
set(CPACK_PACKAGE_VENDOR Orbastel)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "V3721 board configurator")
set(CPACK_PACKAGE_INSTALL_DIRECTORY "V3721Conf")
set(CPACK_PACKAGE_FILE_NAME "v3721conf-${PROJECT_VERSION}-windows-x86_64")
set(CPACK_PACKAGE_EXECUTABLES v3721conf "V3721 board configurator")
set(CPACK_NSIS_DISPLAY_NAME "V3721 board configurator")
set(CPACK_NSIS_PACKAGE_NAME "V3721 board configurator")
if(V3721_ICO)
  set(CPACK_NSIS_MUI_ICON ${V3721_ICO})
  set(CPACK_NSIS_MUI_UNIICON ${V3721_ICO})
endif()
set(CPACK_NSIS_INSTALLED_ICON_NAME "bin\\\\v3721conf.exe")
set(CPACK_NSIS_EXECUTABLES_DIRECTORY bin)
# A 64-bit program with a 64-bit installer (it runs where only 64-bit
# programs run, Wine's wine64 among them), into "Program Files".
set(CPACK_NSIS_DEFINES "Target amd64-unicode")
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
include(CPack)
