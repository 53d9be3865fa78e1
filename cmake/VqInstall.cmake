# Installation: the program, its update helper and installer (a private program, under libexec), the
# desktop entry with its AppStream metainfo, the icon and the bundled skins; `cpack` turns the same
# into a .deb. An installed copy cannot write its folder and so never updates itself: the package
# manager updates it.
include(GNUInstallDirs)
install(TARGETS Varlotte RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS vq_print LIBRARY DESTINATION ${VQ_MODULE_DIR})
if(TARGET mj)
  install(TARGETS mj RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/varlotte-qyr)
endif()
install(FILES ${CMAKE_SOURCE_DIR}/packaging/varlotte-qyr.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
# The software centres' description of the same entry.
install(FILES ${CMAKE_SOURCE_DIR}/packaging/fr.varlotte_qyr.varlotte.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${CMAKE_SOURCE_DIR}/assets/icons/varlotte-qyr.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps)
install(FILES ${CMAKE_SOURCE_DIR}/assets/icons/varlotte-qyr-64.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/64x64/apps RENAME varlotte-qyr.png)
if(EXISTS ${CMAKE_SOURCE_DIR}/assets/skins)
  install(DIRECTORY ${CMAKE_SOURCE_DIR}/assets/skins/ DESTINATION ${CMAKE_INSTALL_DATADIR}/varlotte-qyr/skins)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME varlotte-qyr)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Varlotte Qyr")
set(CPACK_PACKAGE_CONTACT "Varlotte Qyr <contact@varlotte-qyr.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Counts internet connection time against subscription plans")
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
