# Installs the build into a scratch prefix and checks the desktop files that
# land there: the menu entry opens .3DS files with the program, the icon is in
# the theme at the sizes the entry needs, and the software-centre record names
# the entry and the project's version.
#   cmake -DBUILD_DIR=... -DPREFIX=... -DVERSION=... -P desktop_integration_check.cmake
cmake_minimum_required(VERSION 3.22)
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
  RESULT_VARIABLE install_result OUTPUT_QUIET)
if(NOT install_result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${install_result}")
endif()

function(expect_file path)
  if(NOT EXISTS ${PREFIX}/${path})
    message(FATAL_ERROR "not installed: ${path}")
  endif()
endfunction()

function(expect_line path line)
  file(STRINGS ${PREFIX}/${path} lines)
  if(NOT line IN_LIST lines)
    message(FATAL_ERROR "${path} lacks the line: ${line}")
  endif()
endfunction()

expect_file(bin/tessaline)
expect_file(share/applications/tessaline.desktop)
expect_line(share/applications/tessaline.desktop "Exec=tessaline %f")
expect_line(share/applications/tessaline.desktop "MimeType=image/x-3ds;")
expect_line(share/applications/tessaline.desktop "Icon=tessaline")
expect_line(share/applications/tessaline.desktop "Type=Application")

expect_file(share/icons/hicolor/scalable/apps/tessaline.svg)
expect_file(share/icons/hicolor/16x16/apps/tessaline.png)
expect_file(share/icons/hicolor/32x32/apps/tessaline.png)

expect_file(share/metainfo/tessaline.metainfo.xml)
file(READ ${PREFIX}/share/metainfo/tessaline.metainfo.xml metainfo)
foreach(expected "<launchable type=\"desktop-id\">tessaline.desktop</launchable>"
                 "<mediatype>image/x-3ds</mediatype>"
                 "<release version=\"${VERSION}\"")
  string(FIND "${metainfo}" "${expected}" found)
  if(found EQUAL -1)
    message(FATAL_ERROR "metainfo lacks ${expected}")
  endif()
endforeach()

find_program(APPSTREAMCLI appstreamcli)
if(APPSTREAMCLI)
  # Warnings (such as a plain rather than reverse-domain id) are accepted.
  execute_process(COMMAND ${APPSTREAMCLI} validate --no-net --pedantic
                          ${PREFIX}/share/metainfo/tessaline.metainfo.xml
    OUTPUT_VARIABLE report ERROR_VARIABLE report)
  if(report MATCHES "(^|\n)E:")
    message(FATAL_ERROR "appstreamcli finds errors:\n${report}")
  endif()
endif()
