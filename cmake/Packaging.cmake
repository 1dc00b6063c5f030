# Installation and the Debian package.
#
# `cmake --install` writes one program folder, <prefix>/lib/quorvane, holding the program, the
# command, "Form Files", "Sample Files" and "操作手順書.pdf" (the program finds them beside
# its executable), with links to both executables in <prefix>/bin, the desktop entry and icon
# under <prefix>/share, so that the program appears in a desktop's menu, and the manual pages,
# the changelog and the copyright file. CPack builds a .deb of the same tree under /usr.
#
# The program folder is never written into: each user's reports go to a folder of their own.
set(QUORVANE_PROGRAM_DIR "lib/quorvane")

if(TARGET quorvane)
  install(TARGETS quorvane RUNTIME DESTINATION ${QUORVANE_PROGRAM_DIR})
  install(CODE "file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin\")
    file(CREATE_LINK ../${QUORVANE_PROGRAM_DIR}/quorvane \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin/quorvane\" SYMBOLIC)")
  install(FILES packaging/quorvane.desktop DESTINATION share/applications)
  install(FILES packaging/quorvane.svg DESTINATION share/icons/hicolor/scalable/apps)
endif()
if(TARGET quorvane-cli)
  install(TARGETS quorvane-cli RUNTIME DESTINATION ${QUORVANE_PROGRAM_DIR})
  install(CODE "file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin\")
    file(CREATE_LINK ../${QUORVANE_PROGRAM_DIR}/quorvane-cli \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin/quorvane-cli\" SYMBOLIC)")
endif()
if(DEFINED QUORVANE_FORM_FILES)
  install(DIRECTORY "${QUORVANE_FORM_FILES}/" DESTINATION "${QUORVANE_PROGRAM_DIR}/Form Files")
endif()
if(DEFINED QUORVANE_SAMPLE_FILES)
  install(DIRECTORY "${QUORVANE_SAMPLE_FILES}/" DESTINATION "${QUORVANE_PROGRAM_DIR}/Sample Files")
endif()
if(DEFINED QUORVANE_MANUAL AND TARGET manual)
  install(FILES "${QUORVANE_MANUAL}" DESTINATION ${QUORVANE_PROGRAM_DIR})
endif()
install(FILES packaging/copyright DESTINATION share/doc/quorvane)

# Manual pages and the changelog go compressed, without a time stamp in the compressed file.
find_program(QUORVANE_GZIP gzip)
if(QUORVANE_GZIP)
  set(compressed)
  foreach(doc quorvane.1 quorvane-cli.1 changelog)
    set(out ${PROJECT_BINARY_DIR}/packaging/${doc}.gz)
    add_custom_command(OUTPUT ${out}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/packaging
      COMMAND sh -c "\"$0\" -9n < \"$1\" > \"$2\"" ${QUORVANE_GZIP} ${PROJECT_SOURCE_DIR}/packaging/${doc} ${out}
      DEPENDS ${PROJECT_SOURCE_DIR}/packaging/${doc}
      VERBATIM)
    list(APPEND compressed ${out})
  endforeach()
  add_custom_target(package_docs ALL DEPENDS ${compressed})
  if(TARGET test_install)
    add_dependencies(test_install package_docs) # the tests install and package this build
  endif()
  install(FILES ${PROJECT_BINARY_DIR}/packaging/quorvane.1.gz ${PROJECT_BINARY_DIR}/packaging/quorvane-cli.1.gz
          DESTINATION share/man/man1)
  install(FILES ${PROJECT_BINARY_DIR}/packaging/changelog.gz DESTINATION share/doc/quorvane)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quorvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Mirelda)
set(CPACK_PACKAGE_CONTACT "Mirelda <quorvane@mirelda.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Statistical process control: specification, capability and run-rule judgements")
set(CPACK_PACKAGE_DESCRIPTION "Quorvane judges measurements typed, pasted or imported into a workbook of
sheets: every value against its specification limits, the process capability
(CP, CPK) of every lot, control limits and eight run rules. It exchanges
sheets with spreadsheet workbooks and CSV files, writes control chart,
histogram and result workbooks, and judges files from the command line with
quorvane-cli. Japanese interface.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the executables link come from dpkg-shlibdeps; what Qt loads at run time (the
# X11 platform plugin), the Japanese fonts of the interface and Qt's Japanese texts are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-noto-cjk, qt6-translations-l10n")
# The reports are handed to the desktop's program for .xlsx files through xdg-open. A spreadsheet
# program is only suggested: recommending one would pull a desktop office suite in place of the
# headless one a server may have.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "libreoffice-calc | gnumeric")
# postinst only removes the link to the shared folder that earlier packages made.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA "${PROJECT_SOURCE_DIR}/packaging/postinst")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
