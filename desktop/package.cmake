# The Debian package: "cpack -G DEB" in the build folder makes korvel_VERSION_ARCH.deb of what
# "cmake --install" installs under /usr, with the library dependencies found by dpkg-shlibdeps.
set(CPACK_PACKAGE_NAME korvel)
set(CPACK_PACKAGE_VENDOR "The Korvel developers")
set(CPACK_PACKAGE_CONTACT "Korvel developers <korvel@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "editor for LED-matrix font and bitmap libraries")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The windows lay their 8-point labels out for Arial's widths, which Liberation Sans has. The
# image import reads WebP and SVG through Qt's plug-ins, which dpkg-shlibdeps cannot see.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation, qt6-image-formats-plugins, libqt6svg6")
# The summary above is the synopsis; this is the extended description below it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Korvel prepares pixel graphics for matrix displays. It edits font libraries
(.lcm), the glyphs of 128 or 256 character codes rendered from an installed
font or made blank, and bitmap libraries (.bcm) of named pictures in eight
colours, pixel by pixel on an enlarged grid.

The package also holds korvel-cli, which converts libraries to and from BDF
fonts and PNG pictures and writes them as C headers for firmware.")
include(CPack)
