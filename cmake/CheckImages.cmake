# After every build of the 32-bit deliverables, read their import and export
# tables (tools/check_pe.py): the build fails when an image imports anything
# that Windows 95 with DCOM or NT 4.0 does not export (tools/win95-nt4-imports.txt),
# imports from a DLL other than the system's own, or exports decorated names.
# The component servers must export exactly their five entry points.
if(NOT LS_ARCH STREQUAL i686)
  return()
endif()
find_package(Python3 REQUIRED COMPONENTS Interpreter)
get_property(_deliverables GLOBAL PROPERTY LS_DELIVERABLES)
set(_images)
foreach(_target IN LISTS _deliverables)
  list(APPEND _images $<TARGET_FILE:${_target}>)
endforeach()
add_custom_target(check_images ALL
  COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/tools/check_pe.py
          --allowed ${PROJECT_SOURCE_DIR}/tools/win95-nt4-imports.txt ${_images}
  COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/tools/check_pe.py
          --allowed ${PROJECT_SOURCE_DIR}/tools/win95-nt4-imports.txt
          --exports DllMain,DllCanUnloadNow,DllGetClassObject,DllRegisterServer,DllUnregisterServer
          $<TARGET_FILE:LSCleaners> $<TARGET_FILE:LSWebCaches>
  COMMENT "Checking the import and export tables of the deliverables"
  VERBATIM)
add_dependencies(check_images ${_deliverables})
