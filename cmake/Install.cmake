# Installation layout, the Debian package and the test of both.
#
# The program finds its skin and help files next to the executable (a build
# folder) or in ../share/peilomat/ beside its folder (an installation), so the
# program goes to bin/ and its data to share/peilomat/ below one prefix.

set(PEILOMAT_APP_ID de.quellbach.Peilomat)
set(PEILOMAT_PACKAGING ${CMAKE_CURRENT_SOURCE_DIR}/packaging)

install(TARGETS Talvex RUNTIME DESTINATION bin)
install(FILES shell/MP10.ssk DESTINATION share/peilomat)

# The help files come from help/ once it is built; they are the same files the
# program opens from the build folder.
set(PEILOMAT_HELP_FILES)
if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/help/CMakeLists.txt)
  set(PEILOMAT_HELP_FILES ${CMAKE_CURRENT_BINARY_DIR}/Talvex.qch ${CMAKE_CURRENT_BINARY_DIR}/Talvex.qhc)
  install(FILES ${PEILOMAT_HELP_FILES} DESTINATION share/peilomat)
endif()

install(FILES ${PEILOMAT_PACKAGING}/${PEILOMAT_APP_ID}.desktop DESTINATION share/applications)
install(FILES ${PEILOMAT_PACKAGING}/${PEILOMAT_APP_ID}.metainfo.xml DESTINATION share/metainfo)
# The scene file type (*.peilomat) the desktop entry opens.
install(FILES ${PEILOMAT_PACKAGING}/${PEILOMAT_APP_ID}.xml DESTINATION share/mime/packages)
install(FILES ${PEILOMAT_PACKAGING}/icons/${PEILOMAT_APP_ID}.svg DESTINATION share/icons/hicolor/scalable/apps)
set(PEILOMAT_ICON_SIZES 16 22 24 32 48 64 128 256)
foreach(size IN LISTS PEILOMAT_ICON_SIZES)
  install(FILES ${PEILOMAT_PACKAGING}/icons/hicolor/${size}x${size}/apps/${PEILOMAT_APP_ID}.png
          DESTINATION share/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${PEILOMAT_PACKAGING}/Talvex.1 DESTINATION share/man/de/man1)
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/LICENSE DESTINATION share/doc/peilomat RENAME copyright)

# cpack -G DEB in the build folder: peilomat_<version>_<architecture>.deb for /usr.
find_program(PEILOMAT_DPKG dpkg)
if(PEILOMAT_DPKG)
  execute_process(COMMAND ${PEILOMAT_DPKG} --print-architecture
                  OUTPUT_VARIABLE PEILOMAT_DEB_ARCH OUTPUT_STRIP_TRAILING_WHITESPACE)
else()
  set(PEILOMAT_DEB_ARCH amd64)
endif()
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME peilomat)
set(CPACK_PACKAGE_VENDOR Quellbach)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Quellbach" CACHE STRING "Maintainer of the Debian package")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "radio navigation trainer for student pilots")
set(CPACK_PACKAGE_DESCRIPTION
    "Place VOR and NDB stations and aircraft on a map, choose an aircraft's instruments (heading indicator, VOR indicator, HSI, RBI, MDI, RMI, two-needle RMI), tune them and watch their indications while the aircraft stands, is dragged or flies. German interface.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME ${CPACK_PACKAGE_NAME}_${CPACK_PACKAGE_VERSION}_${PEILOMAT_DEB_ARCH}.deb)
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${PEILOMAT_DEB_ARCH})
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded as plug-ins, so no library dependency names them: the window system
# plug-in and the database driver the help engine reads its collection with.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6sql6-sqlite")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-dejavu-core")
set(CPACK_PACKAGE_FILE_NAME ${CPACK_PACKAGE_NAME}_${CPACK_PACKAGE_VERSION}_${PEILOMAT_DEB_ARCH})
include(CPack)

if(BUILD_TESTING)
  # The log lines are checked once the program has its debug log.
  if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/support/DLogFile.h)
    set(PEILOMAT_HAS_LOG 1)
  else()
    set(PEILOMAT_HAS_LOG 0)
  endif()
  string(REPLACE ";" " " icon_sizes "${PEILOMAT_ICON_SIZES}")
  string(REPLACE ";" " " help_files "${PEILOMAT_HELP_FILES}")
  add_test(NAME install/cmake-install
           COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/tests/install/check-install.sh
                   ${CMAKE_COMMAND} ${CMAKE_CURRENT_BINARY_DIR} ${PEILOMAT_APP_ID}
                   "sizes=${icon_sizes}" "help=${help_files}" "log=${PEILOMAT_HAS_LOG}")
  set_tests_properties(install/cmake-install PROPERTIES TIMEOUT 120)
endif()
