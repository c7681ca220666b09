# The Debian package: `cpack -G DEB` in the build folder (or
# ./scripts/package). It holds what `cmake --install` installs, under /usr,
# with the program stripped. Its dependencies are what dpkg-shlibdeps finds
# for the libraries the program links, so they follow the machine it is
# built on instead of a list kept by hand.
set(QUORVANE_PACKAGE_MAINTAINER "The Quorvane developers <maintainers@quorvane.invalid>"
    CACHE STRING "The Maintainer of the Debian package: a name and an e-mail address")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quorvane)
set(CPACK_PACKAGE_VENDOR "The Quorvane developers")
set(CPACK_PACKAGE_CONTACT "${QUORVANE_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "barcode generator and label printer")
set(CPACK_PACKAGE_DESCRIPTION "Quorvane draws a barcode as its text is typed: Code 128 B, Code 39,
Code 128-1, Code 2/5 (Interleaved 2 of 5), Codabar, UPC-A, EAN-13 or
EAN-8, and reads every symbol back to tell whether it scans. It prints
the barcode on any printer of the system or to a PDF file, prints text
files as listings with a barcode under every marked line and runs of
numbered labels, copies barcodes to the clipboard and saves them as PNG,
SVG or PDF. Printing and exporting also run from scripts, without a
window.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Texts are drawn in the DejaVu faces by name, so a barcode's text measures
# the same on every machine. libcups is opened when a queue is first used,
# not linked, so dpkg-shlibdeps can't find it: it is named here.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core, libcups2")
# Not libraries: "Open" and "Show folder" of a saved PDF go through the
# desktop's default programs (xdg-open); printers other than the built-in
# PDF printer come from CUPS.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS xdg-utils)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS cups)

set(CPACK_SOURCE_GENERATOR TGZ)
set(CPACK_SOURCE_IGNORE_FILES "/build/" "/\\\\.git/")

include(CPack)
