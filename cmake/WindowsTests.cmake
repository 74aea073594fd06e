# The tests of the Windows build, run through Wine by ctest (the cross-compiling
# emulator of the toolchain file). The core's suites run on the Win32 file system;
# suites that need POSIX (pseudo-terminals, fork, symbolic links, FIFOs, a second
# process holding a flock) stay in the Linux build.
foreach(target gtest gtest_main gmock gmock_main)
  if(TARGET ${target})
    target_compile_options(${target} PRIVATE -w)
  endif()
endforeach()

set(BAROMON_TESTS_DIR ${CMAKE_SOURCE_DIR}/tests)

# The test support without the one file that forks a holder process.
file(GLOB BAROMON_TESTING_SOURCES CONFIGURE_DEPENDS ${BAROMON_TESTS_DIR}/support/*.cpp)
list(REMOVE_ITEM BAROMON_TESTING_SOURCES ${BAROMON_TESTS_DIR}/support/OtherProcess.cpp)
add_library(baromon_testing STATIC ${BAROMON_TESTING_SOURCES})
target_include_directories(baromon_testing PUBLIC ${BAROMON_TESTS_DIR})
target_link_libraries(baromon_testing PUBLIC baromon_win32)

# Whole files that test POSIX behaviour of the files (links, FIFOs, another process's lock).
set(BAROMON_POSIX_ONLY_TESTS
    core/config/OtherProcessTest.cpp
    core/config/SettingsSaveTest.cpp
    core/store/CheckOddFilesTest.cpp)

function(baromon_add_windows_test_dir dir name)
  file(GLOB sources CONFIGURE_DEPENDS ${BAROMON_TESTS_DIR}/${dir}/*.cpp)
  foreach(posixOnly ${BAROMON_POSIX_ONLY_TESTS})
    list(REMOVE_ITEM sources ${BAROMON_TESTS_DIR}/${posixOnly})
  endforeach()
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE baromon_testing GTest::gtest GTest::gtest_main ${ARGN})
  target_include_directories(${name} PRIVATE ${BAROMON_TESTS_DIR})
  # GCC 12's -Wrestrict misreads std::string's insert once inlined at -O2 (a known false
  # positive of that release); the Linux build, at another level, never meets it.
  target_compile_options(${name} PRIVATE -Wno-restrict)
  target_compile_definitions(${name} PRIVATE BAROMON_TEST_DATA="${BAROMON_TESTS_DIR}/data")
  # One ctest per program: every Wine start costs seconds, a test costs milliseconds.
  if(BAROMON_ON_X_SCREEN)
    # Real windows need a screen: a virtual one, 24-bit so colours are exact, one at a time.
    add_test(NAME ${name}
             COMMAND ${BAROMON_XVFB_RUN} -a -s "-screen 0 1280x1024x24" /usr/bin/env WINEDEBUG=-all
                     WINEPREFIX=${BAROMON_GUI_PREFIX} WINEDLLOVERRIDES=mscoree,mshtml= ${BAROMON_WINE}
                     $<TARGET_FILE:${name}>)
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK x_display)
  else()
    add_test(NAME ${name} COMMAND ${name})
  endif()
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "LC_ALL=C" TIMEOUT 600)
endfunction()

foreach(sub program serial store config display analysis print)
  baromon_add_windows_test_dir(core/${sub} test_${sub})
endforeach()
baromon_add_windows_test_dir(platform/win32 test_platform_win32 baromon_assembly)

# End to end on a pseudo-terminal mapped as COM2 of the Wine prefix; it needs the Linux
# simulator of the Linux tree (build/), and is skipped without it.
add_test(NAME serial_end_to_end
         COMMAND ${BAROMON_TESTS_DIR}/win32/serial_end_to_end.sh $<TARGET_FILE:baromon>
                 ${CMAKE_SOURCE_DIR}/build/baromon-sim ${CMAKE_BINARY_DIR}/wineprefix)
set_tests_properties(serial_end_to_end PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 120)

# decode, export and check give the Linux program's output and files, byte for byte.
add_test(NAME same_output_as_linux
         COMMAND ${BAROMON_TESTS_DIR}/win32/same_output.sh $<TARGET_FILE:baromon> ${CMAKE_SOURCE_DIR}/build
                 ${CMAKE_BINARY_DIR}/wineprefix ${BAROMON_TESTS_DIR}/data)
set_tests_properties(same_output_as_linux PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 120)

# The windows on a virtual X screen (24-bit, so colours are exact): the probe finds the
# main window by its class, reads its pixels and closes it. One X server at a time, in a
# Wine prefix of their own whose desktop always has that screen (scripts/build-windows).
set(BAROMON_GUI_PREFIX ${CMAKE_BINARY_DIR}/wineprefix-gui)
add_executable(gui_probe ${BAROMON_TESTS_DIR}/win32/GuiProbe.cpp)
target_link_libraries(gui_probe PRIVATE baromon_testing)
find_program(BAROMON_XVFB_RUN xvfb-run)
if(BAROMON_XVFB_RUN)
  # The window procedure's translations (menu commands, marks, scroll codes, the popup's
  # controls) on real windows.
  set(BAROMON_ON_X_SCREEN ON)
  baromon_add_windows_test_dir(platform/win32gui test_frontend_win32)
  unset(BAROMON_ON_X_SCREEN)
  add_test(NAME gui_barogram
           COMMAND ${BAROMON_XVFB_RUN} -a -s "-screen 0 1280x1024x24"
                   ${BAROMON_TESTS_DIR}/win32/gui_barogram.sh $<TARGET_FILE:baromon> $<TARGET_FILE:gui_probe>
                   ${BAROMON_GUI_PREFIX} ${CMAKE_BINARY_DIR}/gui_barogram.png)
  set_tests_properties(gui_barogram PROPERTIES TIMEOUT 240 RESOURCE_LOCK x_display)
endif()

# dft.exe's window, kept as gui_spectrum.png in the build tree.
if(BAROMON_XVFB_RUN)
  add_test(NAME gui_spectrum
           COMMAND ${BAROMON_XVFB_RUN} -a -s "-screen 0 1280x1024x24"
                   ${BAROMON_TESTS_DIR}/win32/gui_spectrum.sh $<TARGET_FILE:dft> $<TARGET_FILE:gui_probe>
                   ${BAROMON_GUI_PREFIX} ${CMAKE_BINARY_DIR}/gui_spectrum.png)
  set_tests_properties(gui_spectrum PROPERTIES TIMEOUT 180 RESOURCE_LOCK x_display)
endif()

# The windows fed by the Linux simulator through a pseudo-terminal as COM5; the screen is
# kept as gui_live.png in the build tree. Skipped without the Linux tree's simulator.
if(BAROMON_XVFB_RUN)
  add_test(NAME gui_live
           COMMAND ${BAROMON_XVFB_RUN} -a -s "-screen 0 1280x1024x24"
                   ${BAROMON_TESTS_DIR}/win32/gui_live.sh $<TARGET_FILE:baromon> $<TARGET_FILE:gui_probe>
                   ${BAROMON_GUI_PREFIX} ${CMAKE_SOURCE_DIR}/build/baromon-sim ${CMAKE_BINARY_DIR}/gui_live.png)
  set_tests_properties(gui_live PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 240 RESOURCE_LOCK x_display)
endif()

# dft.exe gives the Linux dft's tides on the same log, and fails clearly without one.
add_test(NAME same_spectrum_as_linux
         COMMAND ${BAROMON_TESTS_DIR}/win32/same_spectrum.sh $<TARGET_FILE:dft> ${CMAKE_SOURCE_DIR}/build
                 ${CMAKE_BINARY_DIR}/wineprefix)
set_tests_properties(same_spectrum_as_linux PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 120)

# Printing where no printer is installed fails and says so.
add_test(NAME print_without_printer
         COMMAND ${BAROMON_TESTS_DIR}/win32/print_without_printer.sh $<TARGET_FILE:baromon>
                 ${CMAKE_BINARY_DIR}/wineprefix)
set_tests_properties(print_without_printer PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 120)

# render and diurnal draw the Linux program's pictures (texts aside): see compare_pictures.py.
add_test(NAME same_pictures_as_linux
         COMMAND ${BAROMON_TESTS_DIR}/win32/same_pictures.sh $<TARGET_FILE:baromon> ${CMAKE_SOURCE_DIR}/build
                 ${CMAKE_BINARY_DIR}/wineprefix)
set_tests_properties(same_pictures_as_linux PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 300)

# The console's code page, on a console Wine can only make with a display (Xvfb).
if(BAROMON_XVFB_RUN)
  add_test(NAME console_code_page
           COMMAND ${BAROMON_TESTS_DIR}/win32/console_code_page.sh $<TARGET_FILE:test_platform_win32>
                   ${CMAKE_BINARY_DIR}/wineprefix-console)
  set_tests_properties(console_code_page PROPERTIES TIMEOUT 180)
endif()

# Texts reach redirected output as Windows-1252 bytes.
add_test(NAME console_bytes COMMAND ${BAROMON_TESTS_DIR}/win32/console_bytes.sh $<TARGET_FILE:baromon>
                                    ${CMAKE_BINARY_DIR}/wineprefix)
set_tests_properties(console_bytes PROPERTIES TIMEOUT 120)

# The zip's contents, the program's imports, and the installer run silently.
add_test(NAME windows_packages
         COMMAND ${BAROMON_TESTS_DIR}/win32/packages.sh ${CMAKE_BINARY_DIR} ${PROJECT_VERSION} ${CMAKE_SOURCE_DIR})
set_tests_properties(windows_packages PROPERTIES TIMEOUT 300)
