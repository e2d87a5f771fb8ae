# Installation by the Filesystem Hierarchy Standard, for the Debian package
# (debian/rules) and for `cmake --install build --prefix ~/.local`:
#
#   bin/vorn1                                 the program
#   lib/orvane/vorn1-desktop                  its window and installer
#   share/orvane/                             templates (vtdata/), help pages,
#                                             licence, default settings, images
#   share/applications/, share/metainfo/,     desktop entries, AppStream data
#   share/icons/hicolor/64x64/apps/           and the menu icon
#   share/man/man1/vorn1.1                    the manual page
#
# The program finds its data in ../share/orvane/ beside its own folder when
# that folder has no vtdata/ (the build tree and the wizard's program folder
# keep everything side by side instead).
include(GNUInstallDirs)
include(${CMAKE_CURRENT_LIST_DIR}/data_files.cmake)

set(orvane_data_dir ${PROJECT_SOURCE_DIR}/data)
set(orvane_linux_dir ${PROJECT_SOURCE_DIR}/packaging/linux)
set(ORVANE_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/orvane)

list(TRANSFORM orvane_data_folders PREPEND ${orvane_data_dir}/ OUTPUT_VARIABLE folders)
list(TRANSFORM orvane_data_files PREPEND ${orvane_data_dir}/ OUTPUT_VARIABLE files)
install(DIRECTORY ${folders} DESTINATION ${ORVANE_INSTALL_DATADIR})
install(FILES ${files} DESTINATION ${ORVANE_INSTALL_DATADIR})
install(FILES ${orvane_linux_dir}/org.orvane.Orvane.desktop
              ${orvane_linux_dir}/org.orvane.Orvane.CreateToc.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${orvane_linux_dir}/org.orvane.Orvane.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${orvane_data_dir}/orvane.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/64x64/apps
        RENAME org.orvane.Orvane.png)
install(FILES ${PROJECT_SOURCE_DIR}/man/vorn1.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The program target is defined further down the project, so its rule is
# added once the whole project has been read.
function(orvane_install_program)
  if(TARGET vorn1)
    install(TARGETS vorn1 RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
  # vorn1 looks for it in ../lib/orvane/ (desktop_handoff.cpp).
  if(TARGET vorn1-desktop)
    install(TARGETS vorn1-desktop RUNTIME DESTINATION lib/orvane)
  endif()
endfunction()
cmake_language(DEFER CALL orvane_install_program)
