# The launcher Explorer's folder verb runs, and the Windows installer that puts it, the program
# and a Start menu entry in place: an MSI built by wixl from packaging/namewisp.wxs.

# What Explorer's "Clean names with Namewisp" runs: namewisp.exe in the folder it was used on.
configure_file(src/ui/platform/win32/launcher.rc.in ${CMAKE_BINARY_DIR}/generated/launcher.rc
               @ONLY)
set_source_files_properties(${CMAKE_BINARY_DIR}/generated/launcher.rc PROPERTIES
                            OBJECT_DEPENDS ${NAMEWISP_ICO})
add_executable(namewisp-launcher WIN32 src/ui/platform/win32/launcher_main.cpp
                                       ${CMAKE_BINARY_DIR}/generated/launcher.rc)
target_include_directories(namewisp-launcher PRIVATE src)
target_link_libraries(namewisp-launcher PRIVATE shell32)
add_dependencies(namewisp-launcher namewisp_icon)

find_program(NAMEWISP_WIXL wixl)
if(NOT NAMEWISP_WIXL)
  message(FATAL_ERROR "The Windows installer is built with wixl: apt-get install wixl "
                      "(scripts/test-windows does)")
endif()

# Fixed for every version: Windows Installer finds the installed Namewisp, older or newer, by it.
set(NAMEWISP_UPGRADE_CODE 88AA4D2D-AFDD-465C-BB2B-D822932A0C0F)

# What the installer carries, in one folder, since wixl finds files only by names relative to
# the folder it runs in: the programs without their debugging symbols, the icon and the licence.
set(NAMEWISP_MSI_FILES ${CMAKE_BINARY_DIR}/msi-files)
set(msi_files namewisp.exe namewisp-launcher.exe namewisp.ico LICENSE.txt)
list(TRANSFORM msi_files PREPEND ${NAMEWISP_MSI_FILES}/)
add_custom_command(OUTPUT ${msi_files}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${NAMEWISP_MSI_FILES}
  COMMAND ${CMAKE_STRIP} -o ${NAMEWISP_MSI_FILES}/namewisp.exe $<TARGET_FILE:namewisp>
  COMMAND ${CMAKE_STRIP} -o ${NAMEWISP_MSI_FILES}/namewisp-launcher.exe
          $<TARGET_FILE:namewisp-launcher>
  COMMAND ${CMAKE_COMMAND} -E copy ${NAMEWISP_ICO} ${NAMEWISP_MSI_FILES}/namewisp.ico
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/LICENSE ${NAMEWISP_MSI_FILES}/LICENSE.txt
  DEPENDS namewisp namewisp-launcher ${NAMEWISP_ICO} ${CMAKE_SOURCE_DIR}/LICENSE VERBATIM)
# Each installer depends on this target too, so that only it ever runs the copying.
add_custom_target(namewisp_msi_files DEPENDS ${msi_files})
add_dependencies(namewisp_msi_files namewisp_icon)

# namewisp_msi(TARGET OUTPUT VERSION): builds the installer of VERSION into OUTPUT. Each version
# has a product code of its own, the same at every build of it.
function(namewisp_msi target output version)
  string(UUID product_code NAMESPACE ${NAMEWISP_UPGRADE_CODE} NAME "namewisp ${version}"
         TYPE SHA1 UPPER)
  set(wxs ${CMAKE_SOURCE_DIR}/packaging/namewisp.wxs)
  add_custom_command(OUTPUT ${output}
    COMMAND ${NAMEWISP_WIXL} --arch x64 -o ${output} -D Version=${version}
            -D ProductCode=${product_code} -D UpgradeCode=${NAMEWISP_UPGRADE_CODE}
            -D Homepage=${PROJECT_HOMEPAGE_URL} ${wxs}
    DEPENDS ${wxs} ${msi_files}
    WORKING_DIRECTORY ${NAMEWISP_MSI_FILES} VERBATIM)
  add_custom_target(${target} ALL DEPENDS ${output})
  add_dependencies(${target} namewisp_msi_files)
endfunction()

set(NAMEWISP_MSI ${CMAKE_BINARY_DIR}/namewisp-${PROJECT_VERSION}-win64.msi)
namewisp_msi(namewisp_msi ${NAMEWISP_MSI} ${PROJECT_VERSION})

if(BUILD_TESTING)
  # The next version, which the tests upgrade to and then try to downgrade from.
  math(EXPR next_patch "${PROJECT_VERSION_PATCH} + 1")
  set(NAMEWISP_NEXT_VERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${next_patch})
  set(NAMEWISP_NEXT_MSI ${CMAKE_BINARY_DIR}/tests/win32/namewisp-${NAMEWISP_NEXT_VERSION}-win64.msi)
  namewisp_msi(namewisp_next_msi ${NAMEWISP_NEXT_MSI} ${NAMEWISP_NEXT_VERSION})
endif()
