# After every build of the 32-bit deliverables, check what a Windows 95, 98 or
# NT 4.0 machine needs of them (tools/check_pe.py): the build fails when an
# image imports anything that Windows 95 with DCOM or NT 4.0 does not export
# (tools/win95-nt4-imports.txt), imports from a DLL other than the system's
# own (a C runtime DLL among them), exports decorated names, has a TLS
# directory, or holds an instruction the 386 does not execute (a scan of its
# disassembly with objdump). The component servers must export exactly their
# five entry points.
#
# The setup program's stub and its System plugin come prebuilt with NSIS:
# they are measured the same way and what they need is printed, not refused
# (README, "Setup program").
if(NOT LS_ARCH STREQUAL i686)
  return()
endif()
find_package(Python3 REQUIRED COMPONENTS Interpreter)
find_program(LS_OBJDUMP NAMES x86_64-w64-mingw32-objdump i686-w64-mingw32-objdump REQUIRED)
get_property(_deliverables GLOBAL PROPERTY LS_DELIVERABLES)
set(_images)
foreach(_target IN LISTS _deliverables)
  list(APPEND _images $<TARGET_FILE:${_target}>)
endforeach()
set(_check ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/tools/check_pe.py
           --allowed ${PROJECT_SOURCE_DIR}/tools/win95-nt4-imports.txt)
add_custom_target(check_images ALL
  COMMAND ${_check} --no-tls --floor-386 ${LS_OBJDUMP} ${_images}
  COMMAND ${_check} --exports DllMain,DllCanUnloadNow,DllGetClassObject,DllRegisterServer,DllUnregisterServer
          $<TARGET_FILE:LSCleaners> $<TARGET_FILE:LSWebCaches>
  COMMENT "Checking the deliverables' imports, exports, TLS directories and instructions"
  VERBATIM)
add_dependencies(check_images ${_deliverables})

find_file(LS_NSIS_SYSTEM_PLUGIN System.dll PATHS /usr/share/nsis/Plugins/x86-ansi NO_DEFAULT_PATH
          NO_CMAKE_FIND_ROOT_PATH)
if(LS_NSIS_SYSTEM_PLUGIN)
  add_custom_target(measure_setup ALL
    COMMAND ${_check} --dlls --no-tls --floor-386 ${LS_OBJDUMP} --measure
            ${CMAKE_BINARY_DIR}/package/Larkspire-Setup.exe ${LS_NSIS_SYSTEM_PLUGIN}
    COMMENT "Measuring the setup program's stub and its System plugin, which come prebuilt with NSIS"
    VERBATIM)
  add_dependencies(measure_setup package)
endif()
