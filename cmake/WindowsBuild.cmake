# The Windows build, included by the top-level CMakeLists.txt after the platform and core
# libraries when the target system is Windows (cmake/mingw-w64-x86_64.cmake).

# Win32 implementations of the platform interfaces: kernel32 files, clock and serial
# ports, a gdi32 canvas, the user32 windows, menus, boxes and message loop.
file(GLOB BAROMON_WIN32_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/adapters/win32/*.cpp)
add_library(baromon_win32 STATIC ${BAROMON_WIN32_SOURCES})
baromon_layer(baromon_win32 PUBLIC adapters/win32)
target_link_libraries(baromon_win32 PUBLIC baromon_core gdi32 user32 shell32 comdlg32 windowscodecs ole32 uuid)
# Windows 10 and later: the rename that replaces a file still open (see Win32FileSystem).
target_compile_definitions(baromon_win32 PUBLIC WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0A00)

# The assembly: the monitor with its windows, or headless in its console. The window
# services without a screen, the event sink and the start line of the POSIX build serve
# the headless monitor here as they are.
add_library(baromon_assembly STATIC
  ${CMAKE_SOURCE_DIR}/src/assembly/Win32Monitor.cpp
  ${CMAKE_SOURCE_DIR}/src/assembly/Win32GuiRun.cpp
  ${CMAKE_SOURCE_DIR}/src/assembly/ConsoleRun.cpp
  ${CMAKE_SOURCE_DIR}/src/assembly/StartLine.cpp
  ${CMAKE_SOURCE_DIR}/src/assembly/Win32Programs.cpp
  ${CMAKE_SOURCE_DIR}/src/assembly/ConsoleCodePage.cpp
  ${CMAKE_SOURCE_DIR}/src/adapters/posix/HeadlessWindows.cpp
  ${CMAKE_SOURCE_DIR}/src/adapters/posix/UserSession.cpp)
baromon_layer(baromon_assembly PUBLIC assembly adapters/posix)
target_link_libraries(baromon_assembly PUBLIC baromon_win32)

# The commands, those that draw too: the Windows program is its own front end
# (cli::win32FrontEnd: its windows, GDI pictures and printers).
file(GLOB BAROMON_CLI_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/cli/*.cpp)
list(REMOVE_ITEM BAROMON_CLI_SOURCES ${CMAKE_SOURCE_DIR}/src/cli/QtFrontEnd.cpp ${CMAKE_SOURCE_DIR}/src/cli/PictureFrontEnd.cpp
     ${CMAKE_SOURCE_DIR}/src/cli/SpectrumFrontEnd.cpp)
add_library(baromon_cli STATIC ${BAROMON_CLI_SOURCES})
baromon_layer(baromon_cli PUBLIC cli)
target_link_libraries(baromon_cli PUBLIC baromon_assembly)
target_compile_definitions(baromon_cli PRIVATE BAROMON_VERSION="${PROJECT_VERSION}")

# The program's resources: the icon "MYICON" of both window classes, made from
# data/baromon.svg by scripts/make-windows-icon (data/baromon.ico).
enable_language(RC)
configure_file(${CMAKE_SOURCE_DIR}/data/baromon.rc.in ${CMAKE_BINARY_DIR}/baromon.rc @ONLY)
# A console program: the commands and --headless write to the console or to redirected
# output; the windows give back a console of their own (docs/decisions/windows-gui.md).
add_executable(baromon ${CMAKE_SOURCE_DIR}/src/main.cpp ${CMAKE_BINARY_DIR}/baromon.rc)
target_link_libraries(baromon PRIVATE baromon_cli)
# dft.exe, the spectrum program the menu starts, beside baromon.exe in the zip and the
# installer: the plain sum instead of FFTW (none for mingw), a GDI window.
add_executable(dft ${CMAKE_SOURCE_DIR}/src/main.cpp ${CMAKE_BINARY_DIR}/baromon.rc)
target_compile_definitions(dft PRIVATE BAROMON_SPECTRUM_PROGRAM=1)
target_link_libraries(dft PRIVATE baromon_cli)

if(BAROMON_BUILD_TESTS)
  enable_testing()
  include(${CMAKE_SOURCE_DIR}/cmake/WindowsTests.cmake)
endif()

if(BAROMON_BUILD_TESTS)
  # The program runs on a Windows with nothing installed: only system DLLs are imported.
  add_test(NAME windows_imports COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-windows-imports $<TARGET_FILE:baromon>)
  add_test(NAME windows_imports_dft COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-windows-imports $<TARGET_FILE:dft>)
endif()

# The zip and the installer of the program (scripts/package-windows, data/windows/).
set(BAROMON_WINDOWS_ZIP ${CMAKE_BINARY_DIR}/baromon-${PROJECT_VERSION}-win64.zip)
add_custom_command(
  OUTPUT ${BAROMON_WINDOWS_ZIP}
  BYPRODUCTS ${CMAKE_BINARY_DIR}/baromon-${PROJECT_VERSION}-win64-setup.exe
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/package-windows $<TARGET_FILE:baromon> ${PROJECT_VERSION} ${CMAKE_BINARY_DIR}
          $<TARGET_FILE:dft>
  DEPENDS baromon dft ${CMAKE_SOURCE_DIR}/scripts/package-windows ${CMAKE_SOURCE_DIR}/data/windows/README.txt
          ${CMAKE_SOURCE_DIR}/data/baromon.ico ${CMAKE_SOURCE_DIR}/data/windows/baromon.nsi
  VERBATIM)
add_custom_target(windows_packages ALL DEPENDS ${BAROMON_WINDOWS_ZIP})
