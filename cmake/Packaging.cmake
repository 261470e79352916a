# Where an installed copy puts its files, and the Debian package that carries them
# (cpack -G DEB in the build directory). The package's library dependencies come from
# dpkg-shlibdeps; the fonts the catalogue layout names and Qt's own translations, which the
# program loads at run time and no library check can see, are listed by hand.
include(GNUInstallDirs)

set(TYPOVISE_ID io.github.typovise.typovise)
set(TYPOVISE_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/typovise)

install(TARGETS Typovise RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES data/${TYPOVISE_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES data/${TYPOVISE_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES data/typovise.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size IN LISTS TYPOVISE_ICON_SIZES)
    install(FILES ${TYPOVISE_ICON_DIR}/${size}/typovise.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

# Debian keeps manual pages and changelogs compressed, without a time stamp in the gzip header
# so that two builds give the same package.
find_program(GZIP gzip REQUIRED)
set(compressed ${CMAKE_BINARY_DIR}/compressed)
set(compressed_files "")
foreach(source IN ITEMS data/typovise.1 data/debian/changelog)
    get_filename_component(name ${source} NAME)
    add_custom_command(OUTPUT ${compressed}/${name}.gz
        COMMAND ${CMAKE_COMMAND} -E make_directory ${compressed}
        COMMAND ${GZIP} -9 -n -c ${CMAKE_CURRENT_SOURCE_DIR}/${source} > ${compressed}/${name}.gz
        DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${source}
        VERBATIM)
    list(APPEND compressed_files ${compressed}/${name}.gz)
endforeach()
add_custom_target(typovise_compressed_docs ALL DEPENDS ${compressed_files})
install(FILES ${compressed}/typovise.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${compressed}/changelog.gz data/debian/copyright DESTINATION ${TYPOVISE_DOC_DIR})

set(CPACK_PACKAGE_NAME typovise)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Typovise maintainers <maintainers@users.noreply.c-seed-a9cc91da.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "list the printer's fonts and print catalogues of them")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Typovise takes a census of the fonts that the default printer offers and prints
catalogues of them: each font's name, optionally numbered and followed by two
sample lines set in the font itself. It is a small Qt desktop program with a
French user interface.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation, fonts-crosextra-carlito, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS cups)
include(CPack)
