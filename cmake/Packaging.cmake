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

set(CPACK_STRIP_FILES ON)

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
