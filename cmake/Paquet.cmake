# What an installation holds besides the programs and the data (their own
# folders install those): the desktop entry, the icons the forge draws, the
# manual pages, the copyright and changelog. Then the Debian package (CPack,
# `cmake --build build --target paquet`, dist/kazzmot_<version>_<arch>.deb) and
# the release folder (`--target release`, dist/kazzmot-<version>/).
set(KAZZMOT_PAQUET "${CMAKE_BINARY_DIR}/paquet")
set(KAZZMOT_DIST "${CMAKE_SOURCE_DIR}/dist" CACHE PATH "Where the package and the release folder go")
set(KAZZMOT_EMBALLAGE "${CMAKE_SOURCE_DIR}/packaging")

# The folder the manual pages name: the package's one when the data folder is
# relative to the prefix.
if(IS_ABSOLUTE "${KAZZMOT_DATADIR}")
  set(DATADIR "${KAZZMOT_DATADIR}")
else()
  set(DATADIR "/usr/${KAZZMOT_DATADIR}")
endif()
set(VERSION "${PROJECT_VERSION}")

# Manual pages and changelog: the version filled in, then compressed without a
# timestamp so that the package is the same on every build.
set(KAZZMOT_DOCUMENTS)
foreach(doc kazzmot.6 kazzmot-capture.1 changelog)
  configure_file(${KAZZMOT_EMBALLAGE}/${doc} ${KAZZMOT_PAQUET}/${doc} @ONLY)
  add_custom_command(
    OUTPUT ${KAZZMOT_PAQUET}/${doc}.gz
    COMMAND sh -c "gzip -9nc < '${KAZZMOT_PAQUET}/${doc}' > '${KAZZMOT_PAQUET}/${doc}.gz'"
    DEPENDS ${KAZZMOT_PAQUET}/${doc}
    VERBATIM)
  list(APPEND KAZZMOT_DOCUMENTS ${KAZZMOT_PAQUET}/${doc}.gz)
endforeach()
add_custom_target(paquet_documents ALL DEPENDS ${KAZZMOT_DOCUMENTS})

install(FILES ${KAZZMOT_EMBALLAGE}/kazzmot.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(DIRECTORY ${CMAKE_BINARY_DIR}/icones/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
install(FILES ${KAZZMOT_PAQUET}/kazzmot.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${KAZZMOT_PAQUET}/kazzmot-capture.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${KAZZMOT_EMBALLAGE}/copyright ${KAZZMOT_PAQUET}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/kazzmot)

# The Debian package. Its dependencies come from the programs' shared
# libraries (dpkg-shlibdeps); ffmpeg is only recommended, for the capture tool.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kazzmot)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR Orbo)
set(CPACK_PACKAGE_CONTACT "Orbo <orbo@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "real-time audiovisual demo by Orbo")
# CPack puts the summary above this, as the synopsis.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Kazzmot is a production of the demoscene kind: one program opens a
640x480, 16-bit screen, starts its tracker tune and plays nine scenes
drawn with its own pixel loops - a film countdown, the group logo, the
title built letter by letter, refracting bubbles, four television sets,
the credits, the greetings, a perspective text crawl and a television
switch-off - in about two minutes and forty-five seconds.
.
The package also holds kazzmot-capture, which records the demo
frame-exact to a video file with its music.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS ffmpeg)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
                                                GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)

# `--target paquet`: the .deb in dist/. CPack installs the build tree, so the
# programs, the data, the icons and the documents are built first.
add_custom_target(paquet
  COMMAND ${CMAKE_CPACK_COMMAND} --config ${CMAKE_BINARY_DIR}/CPackConfig.cmake -G DEB
          -B ${KAZZMOT_PAQUET}/cpack
  COMMAND ${CMAKE_COMMAND} -E make_directory ${KAZZMOT_DIST}
  COMMAND sh -c "cp ${KAZZMOT_PAQUET}/cpack/kazzmot_${PROJECT_VERSION}_*.deb '${KAZZMOT_DIST}/'"
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
  COMMENT "Building the Debian package into ${KAZZMOT_DIST}"
  VERBATIM)
add_dependencies(paquet kazzmot kazzmot-capture datas paquet_documents)

# `--target release`: the package, a source archive, the capture, the .nfo and
# the checksums in dist/kazzmot-<version>/.
add_custom_target(release
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/release ${PROJECT_VERSION} ${CMAKE_BINARY_DIR} ${KAZZMOT_DIST}
  WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
  USES_TERMINAL
  COMMENT "Gathering the release in ${KAZZMOT_DIST}/kazzmot-${PROJECT_VERSION}"
  VERBATIM)
add_dependencies(release paquet)
if(TARGET capture)
  add_dependencies(release capture)
endif()

add_subdirectory(${CMAKE_SOURCE_DIR}/tests/package ${CMAKE_BINARY_DIR}/tests/package)
