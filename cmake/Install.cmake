# Desktop integration and installation: the icon set and the user's guide
# (built with the program), and the rules that install the programs where a
# Linux desktop expects them:
#   bin/ombrix, bin/ombrix-cli, bin/ombrix-repo
#   bin/ombrix.pdf -> ../share/doc/ombrix/ombrix.pdf (the program opens the
#                     guide beside its own file)
#   lib/ombrix/lib*.so                  the project's shared libraries
#   share/ombrix/icons/{tool,menu,mark,app}/*.svg
#   share/ombrix/samples/field/        the sample field of the guide
#   share/applications/ombrix.desktop
#   share/icons/hicolor/<n>x<n>/apps/ombrix.png, scalable/apps/ombrix.svg
#   share/metainfo/org.ombrix.ombrix.metainfo.xml
# and `cpack -G DEB` makes a Debian package of the same files.
if(OMBRIX_GUI)
  add_subdirectory(icons)
  add_subdirectory(tools/guide)
endif()

set(OMBRIX_PRIVATE_LIBDIR lib/ombrix)
set(OMBRIX_APPSTREAM_ID org.ombrix.ombrix)
set(OMBRIX_RELEASE_DATE 2026-12-09)

# Programs find the project's shared libraries relative to themselves, so an
# installed tree works wherever it is put.
set(programs)
foreach(program ombrix ombrix-cli ombrix-repo)
  if(TARGET ${program})
    list(APPEND programs ${program})
  endif()
endforeach()
set_target_properties(${programs} PROPERTIES INSTALL_RPATH "$ORIGIN/../${OMBRIX_PRIVATE_LIBDIR}")
install(TARGETS ${programs} RUNTIME DESTINATION bin)

# Every shared library the folders of the project build.
set(shared_libraries)
foreach(folder IN LISTS OMBRIX_CORE_FOLDERS OMBRIX_GUI_FOLDERS)
  if(NOT EXISTS ${CMAKE_SOURCE_DIR}/${folder}/CMakeLists.txt OR (NOT OMBRIX_GUI AND folder IN_LIST OMBRIX_GUI_FOLDERS))
    continue()
  endif()
  get_property(targets DIRECTORY ${folder} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target IN LISTS targets)
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "SHARED_LIBRARY")
      list(APPEND shared_libraries ${target})
    endif()
  endforeach()
endforeach()
set_target_properties(${shared_libraries} PROPERTIES INSTALL_RPATH "$ORIGIN")
install(TARGETS ${shared_libraries} LIBRARY DESTINATION ${OMBRIX_PRIVATE_LIBDIR} NAMELINK_SKIP)

# The guide starts from the sample field; its series paths are relative to
# share/ombrix/ (the root directory to choose).
file(GLOB sample_files ${CMAKE_SOURCE_DIR}/samples/field/*.ofd ${CMAKE_SOURCE_DIR}/samples/field/*.txt)
install(FILES ${sample_files} DESTINATION share/ombrix/samples/field)

if(OMBRIX_GUI)
  install(FILES ${OMBRIX_GUIDE} DESTINATION share/doc/ombrix)
  file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/install-links)
  file(CREATE_LINK ../share/doc/ombrix/ombrix.pdf ${CMAKE_BINARY_DIR}/install-links/ombrix.pdf SYMBOLIC)
  install(FILES ${CMAKE_BINARY_DIR}/install-links/ombrix.pdf DESTINATION bin)

  foreach(file IN LISTS OMBRIX_ICON_FILES)
    get_filename_component(folder ${file} DIRECTORY)
    install(FILES ${CMAKE_SOURCE_DIR}/icons/${file} DESTINATION share/ombrix/icons/${folder})
  endforeach()
  foreach(size IN LISTS OMBRIX_APP_ICON_SIZES)
    install(FILES ${CMAKE_BINARY_DIR}/share/icons/hicolor/${size}x${size}/apps/ombrix.png
            DESTINATION share/icons/hicolor/${size}x${size}/apps)
  endforeach()
  install(FILES ${CMAKE_SOURCE_DIR}/icons/app/ombrix.svg DESTINATION share/icons/hicolor/scalable/apps)

  install(FILES ${CMAKE_SOURCE_DIR}/cmake/desktop/ombrix.desktop DESTINATION share/applications)
  configure_file(${CMAKE_SOURCE_DIR}/cmake/desktop/${OMBRIX_APPSTREAM_ID}.metainfo.xml.in
                 ${CMAKE_BINARY_DIR}/${OMBRIX_APPSTREAM_ID}.metainfo.xml @ONLY)
  install(FILES ${CMAKE_BINARY_DIR}/${OMBRIX_APPSTREAM_ID}.metainfo.xml DESTINATION share/metainfo)
endif()

# The Debian package: its dependencies come from dpkg-shlibdeps over the
# files it holds (Qt's X11 platform plugin comes with libqt6gui6). Plugins
# loaded at run time (more picture formats) and the opener of the guide are
# recommended.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ombrix)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "OMBRIX")
set(CPACK_PACKAGE_CONTACT "OMBRIX developers <ombrix@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "light curves of variable stars and eclipsing binaries")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "light curves of variable stars and eclipsing binaries
 OMBRIX keeps an observer's field of variable stars with their photometry
 series, times of minima and light-curve fits. It draws time-series, phased,
 minimum and O-C charts, fits a light-curve model, times minima, searches
 periods, predicts observable minima, exports text, CSV, HTML and chart
 pictures and shares objects through a web repository (ombrix-repo).
 ombrix-cli does the same work from scripts.")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
if(OMBRIX_GUI)
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-image-formats-plugins, xdg-utils")
endif()
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
include(CPack)

if(OMBRIX_TESTS)
  include(cmake/InstallTests.cmake)
endif()
