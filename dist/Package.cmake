# The Debian package: `cpack -G DEB` in the build folder makes
# folivant_VERSION_ARCH.deb from what `cmake --install` installs.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME folivant)
set(CPACK_PACKAGE_VENDOR Quorvex)
set(CPACK_PACKAGE_CONTACT "Quorvex <info@quorvex.fr>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "turn PostScript print files into one PDF")
set(CPACK_PACKAGE_DESCRIPTION
  "Folivant turns the PostScript files that any program prints to a file into one
PDF, their pages in the order given. Its window sets the PDF compatibility, the
optimisation, the image resolution and the page size, and shows the
interpreter's messages and the progress; folivant-convert runs the same
conversion from a terminal. Conversions run on Ghostscript's library, in a
process of their own.")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "http://www.quorvex.fr/")
# The libraries the programs link (Qt, libgs) become dependencies as
# dpkg-shlibdeps finds them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Opening the finished PDF, Qt's own dialogs in French, and the face the
# windows' text is set in (DejaVu Sans Condensed).
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, qt6-translations-l10n, fonts-dejavu-extra")
# The print queue "Folivant": the print server, its commands and the filters
# that turn any document into PostScript. Folivant converts without them.
string(APPEND CPACK_DEBIAN_PACKAGE_RECOMMENDS ", cups-daemon, cups-client, cups-filters")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${CMAKE_SOURCE_DIR}/dist/deb/postinst ${CMAKE_SOURCE_DIR}/dist/deb/prerm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Folders as Debian makes them, whatever the umask of the machine that builds.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
