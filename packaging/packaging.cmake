# Installation layout and the Debian package. Included from the top-level CMakeLists.txt, before
# include(CPack). `tools/dev.sh package` builds the .deb from the release build.

set(PELLIMO_MAINTAINER "Pellimo maintainers <maintainers@pellimo.example.org>"
    CACHE STRING "Maintainer named in the Debian package")

install(TARGETS PLMO RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES resources/pellimo.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
foreach(size 16 24 32 48 64 128 256)
    install(FILES resources/icon/pellimo_${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME pellimo.png)
endforeach()

if(NOT WIN32)
    # Resolve every symbol at start and make the relocations read-only (Debian's hardening).
    target_link_options(PLMO PRIVATE LINKER:-z,relro LINKER:-z,now)
    # Debian wants the manual page and the changelog compressed with gzip -9n (no name, no time).
    set(pkg ${CMAKE_CURRENT_BINARY_DIR}/packaging)
    configure_file(packaging/PLMO.1.in ${pkg}/PLMO.1 @ONLY)
    configure_file(packaging/changelog.in ${pkg}/changelog @ONLY)
    configure_file(packaging/copyright.in ${pkg}/copyright @ONLY)
    add_custom_command(OUTPUT ${pkg}/PLMO.1.gz ${pkg}/changelog.gz
                       COMMAND gzip -9nkf ${pkg}/PLMO.1 ${pkg}/changelog
                       DEPENDS ${pkg}/PLMO.1 ${pkg}/changelog
                       COMMENT "Compressing the manual page and the changelog")
    add_custom_target(pellimo_docs ALL DEPENDS ${pkg}/PLMO.1.gz ${pkg}/changelog.gz)
    install(FILES ${pkg}/PLMO.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    install(FILES ${pkg}/copyright ${pkg}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})
endif()

set(CPACK_PACKAGE_NAME pellimo)
set(CPACK_PACKAGE_VENDOR "The Pellimo developers")
set(CPACK_PACKAGE_CONTACT "${PELLIMO_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "companion for the timed garden puzzle of an online game")
set(CPACK_PACKAGE_DESCRIPTION
    "Pellimo shows a small window with a map of the walled garden and a button\n"
    "on each of its sixteen trees. It records the option each tree holds, marks\n"
    "options that two trees claim, draws a line from each virtue tree to the\n"
    "trees holding its paired vice, and times the attempt with a stopwatch\n"
    "whose result goes to the clipboard as one line of text.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_GENERATOR DEB)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils) # a companion to a game, not a game itself
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${PELLIMO_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The faces the windows' fonts are replaced with (see installFontSubstitutions()), and the exact Qt:
# fontfaces_x11.cpp calls a function of Qt's private interface, which may change with any release.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "fonts-noto-cjk, fonts-liberation, fonts-dejavu-core, qt6-base-abi (= ${Qt6Gui_VERSION})")
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
# Only for a Wayland session without XWayland, where Qt needs its Wayland plugin.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS qt6-wayland)
