# `make package` (cpack -G DEB in build/): tanafuda_<version>_<arch>.deb installing under /usr.
# The libraries it needs are read from the programs (dpkg-shlibdeps); what they load at run time
# without linking it is named here: the Japanese fonts that the tags and windows ask for, and Qt's
# Japanese translations for the standard dialogs.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tanafuda)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "tanafuda")
set(CPACK_PACKAGE_CONTACT "tanafuda developers <dev@tanafuda.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "shelf price tags with JAN barcodes for a small shop")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The desktop program's own libraries, in the package's private library folder.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${PROJECT_BINARY_DIR}/lib)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-mincho, fonts-ipafont-gothic, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "cups, xdg-utils")
# The synopsis line is CPACK_PACKAGE_DESCRIPTION_SUMMARY; this is the long description below it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Designs and prints the price tags that stand on a shop's shelves: 24 large
(6 x 3 cm) or 40 small (3 x 3 cm) tags on one A4 page, with EAN-13 and EAN-8
(JAN) barcodes drawn by the program itself. Sheets are kept as Shift_JIS CSV
files. The windows and the user guide are in Japanese.

tanafuda-render prints or archives a saved sheet from the command line.")

include(CPack)
