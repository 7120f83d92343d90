# A staged install (DESTDIR) of the built tree: the program, its desktop entry, its icons
# and its help file land where a desktop and the program look for them, and the entry is
# valid wherever desktop-file-validate is installed.
# cmake -DBUILD_DIR=<build> -DSTAGE=<folder> -P check_install.cmake
file(REMOVE_RECURSE "${STAGE}")
execute_process(COMMAND ${CMAKE_COMMAND} -E env "DESTDIR=${STAGE}"
                        ${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix /usr/local
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "install failed:\n${output}")
endif()

set(root "${STAGE}/usr/local")
foreach(file bin/kestrabel share/applications/kestrabel.desktop share/icons/hicolor/scalable/apps/kestrabel.svg
             share/icons/hicolor/48x48/apps/kestrabel.png share/kestrabel/kbl.hlp)
  if(NOT EXISTS "${root}/${file}")
    message(FATAL_ERROR "missing after install: ${file}")
  endif()
endforeach()

file(READ "${root}/share/applications/kestrabel.desktop" entry)
if(NOT entry MATCHES "\nExec=kestrabel\n" OR NOT entry MATCHES "\nIcon=kestrabel\n")
  message(FATAL_ERROR "the desktop entry does not start the installed program with its icon")
endif()
if(entry MATCHES "MimeType=")
  message(FATAL_ERROR "the desktop entry claims file types, but Kestrabel opens no files")
endif()

# The 48x48 picture is a PNG of that size: its header holds the width and height.
file(READ "${root}/share/icons/hicolor/48x48/apps/kestrabel.png" header LIMIT 24 HEX)
if(NOT header MATCHES "^89504e470d0a1a0a" OR NOT header MATCHES "0000003000000030$")
  message(FATAL_ERROR "share/icons/hicolor/48x48/apps/kestrabel.png is not a 48x48 PNG")
endif()

find_program(VALIDATE desktop-file-validate)
if(VALIDATE)
  execute_process(COMMAND ${VALIDATE} "${root}/share/applications/kestrabel.desktop"
                  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT result EQUAL 0 OR NOT output STREQUAL "")
    message(FATAL_ERROR "desktop-file-validate:\n${output}")
  endif()
else()
  message(STATUS "desktop-file-validate is not installed; the entry was checked by hand only")
endif()
file(REMOVE_RECURSE "${STAGE}")
