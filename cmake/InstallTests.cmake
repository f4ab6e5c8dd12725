# Tests of the installation (slow: they install the whole build, or package
# it): tools/check_install.sh checks that every file is where the desktop
# expects it, that the installed programs start, that the desktop entry and
# the AppStream file validate, and that the Debian package holds the same;
# and (quick) that the guide laid out at build time holds every page.
set(OMBRIX_INSTALL_CHECK ${CMAKE_SOURCE_DIR}/tools/check_install.sh)
foreach(mode install package)
  add_test(NAME Install.${mode}
           COMMAND bash ${OMBRIX_INSTALL_CHECK} ${mode} ${CMAKE_BINARY_DIR} $<BOOL:${OMBRIX_GUI}>)
  set_tests_properties(Install.${mode} PROPERTIES LABELS "install;slow" TIMEOUT 300
                       ENVIRONMENT "LC_ALL=C")
endforeach()
if(OMBRIX_GUI)
  add_test(NAME Install.guide COMMAND bash ${OMBRIX_INSTALL_CHECK} guide ${CMAKE_BINARY_DIR} 1)
  set_tests_properties(Install.guide PROPERTIES LABELS "install;unit" TIMEOUT 60 ENVIRONMENT "LC_ALL=C")
endif()
