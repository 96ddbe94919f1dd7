# `make package`: one Debian package of everything the install rules above put in place.
# CPack runs every install() rule of the project, so a file that gains an install rule later
# is packaged without a change here.

set(MARROWFOLD_PACKAGE_MAINTAINER
    "Marrowfold maintainers <maintainers@users.noreply.c-seed-c180a05f.example>"
    CACHE STRING "Maintainer field of the Debian package")

set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "marrowfold")
set(CPACK_PACKAGE_VENDOR "Marrowfold")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_CONTACT "${MARROWFOLD_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "photo numbering, sample sheets and print orders for school photo studios")
# CPack puts the summary on the first line of the control file's Description and this text,
# indented, below it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Marrowfold copies the camera photos of a school, class or event into one
numbered folder, lays the numbered photos out on sample sheets (JPEG, BMP or
PDF), takes in the families' print orders and copies the ordered photos into
one folder per orderer, ready for printing.
.
Its interface is Japanese; the text files it reads and writes are Shift-JIS
with CR LF line ends.")

set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${MARROWFOLD_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION "graphics")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
# marrowfold_1.15_amd64.deb
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)

# The shared libraries the program links are found by dpkg-shlibdeps. What Qt loads at run
# time is not linked, so it is named here: the window system plugin (only recommended by
# libqt6gui6), the SVG icon plugin that draws the window icon, the Japanese texts of the
# standard buttons, and the fonts that stand in for the Windows Gothic fonts.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "qt6-qpa-plugins, libqt6svg6, qt6-translations-l10n, fonts-ipafont-gothic")

# Folders and files are opened with the desktop's opener, which is xdg-open on Linux.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")

set(CPACK_STRIP_FILES ON)

# The copyright file and the changelog a Debian package carries in its documentation folder.
# Marrowfold packages itself (a native package, version without a Debian revision), so the
# changelog is changelog.gz, not changelog.Debian.gz. A version without its changelog entry
# would ship a changelog that names another version, so such a tree is refused here.
set(MARROWFOLD_DEBIAN_DIR ${CMAKE_CURRENT_LIST_DIR}/../data/debian)
file(STRINGS ${MARROWFOLD_DEBIAN_DIR}/changelog MARROWFOLD_CHANGELOG_TOP LIMIT_COUNT 1)
string(REPLACE "." "\\." MARROWFOLD_VERSION_RE "${PROJECT_VERSION}")
if(NOT MARROWFOLD_CHANGELOG_TOP MATCHES "^marrowfold \\(${MARROWFOLD_VERSION_RE}\\) ")
    message(FATAL_ERROR "data/debian/changelog starts with \"${MARROWFOLD_CHANGELOG_TOP}\", "
                        "not with an entry for version ${PROJECT_VERSION}")
endif()
# gzip -9 without the name and time stamp, so that the same sources give the same bytes.
set(MARROWFOLD_PACKAGE_DOC_DIR ${CMAKE_CURRENT_BINARY_DIR}/debian-doc)
add_custom_command(OUTPUT ${MARROWFOLD_PACKAGE_DOC_DIR}/changelog.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${MARROWFOLD_DEBIAN_DIR}/changelog
            ${MARROWFOLD_PACKAGE_DOC_DIR}/changelog
    COMMAND gzip -9nf ${MARROWFOLD_PACKAGE_DOC_DIR}/changelog
    DEPENDS ${MARROWFOLD_DEBIAN_DIR}/changelog
    VERBATIM)
add_custom_target(marrowfold_package_doc ALL DEPENDS ${MARROWFOLD_PACKAGE_DOC_DIR}/changelog.gz)
install(FILES ${MARROWFOLD_DEBIAN_DIR}/copyright ${MARROWFOLD_PACKAGE_DOC_DIR}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/marrowfold)

# A stripped install (CPACK_STRIP_FILES) also drops the compiler's .comment and .note
# sections, which the program never reads, as Debian's own packaging tools do.
string(CONFIGURE [[
    if(CMAKE_INSTALL_DO_STRIP)
        execute_process(
            COMMAND "@CMAKE_STRIP@" --remove-section=.comment --remove-section=.note
                    "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/@CMAKE_INSTALL_BINDIR@/marrowfold"
            COMMAND_ERROR_IS_FATAL ANY)
    endif()
]] MARROWFOLD_STRIP_SECTIONS @ONLY)
install(CODE "${MARROWFOLD_STRIP_SECTIONS}")

include(CPack)
