# The Debian package: `cpack -G DEB` in a build folder makes vistrel_<version>_<arch>.deb of what
# `cmake --install` lays out, under /usr, with the system-wide "InstallPath" in /etc/xdg (see
# Install.cmake). scripts/package.sh builds and checks it.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vistrel)
set(CPACK_PACKAGE_VENDOR "the Vistrel developers")
set(CPACK_PACKAGE_CONTACT "${VISTREL_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "image viewer that browses the images of a folder")
set(CPACK_PACKAGE_DESCRIPTION [[Vistrel shows the images of a folder one at a time in a window fitted to the
image and steps through them with the keyboard, wrapping around at either end.
It walks to sibling, parent and child folders, shows a photo's Exif report,
copies the image to the clipboard, saves it in another format, and builds an
HTML thumbnail page of a folder, also without a window from the command line.

It reads BMP, JPEG, PNG and other image files through its own image layer. The
package also holds vistrel-img, which reads, converts and inspects images from
the command line, and kzreg, which reads and writes the settings.]])
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${VISTREL_HOMEPAGE}")
# Dependencies from the binaries; libKzutil.so is found in the package's own install folder.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS "${CMAKE_BINARY_DIR}/kzutil")
# libtiff and Cairo are loaded when needed rather than linked, so no binary names them: their
# Debian packages take the names of their SONAMEs (libtiff.so.6: libtiff6, libcairo.so.2: libcairo2).
string(REGEX REPLACE "\\.so\\.([0-9]+)$" "\\1" tiffPackage "${VISTREL_TIFF_SONAME}")
string(REGEX REPLACE "\\.so\\.([0-9]+)$" "\\1" cairoPackage "${VISTREL_CAIRO_SONAME}")
set(CPACK_DEBIAN_PACKAGE_DEPENDS "${tiffPackage}, ${cairoPackage}")
# Metafile text is set in the metric-compatible stand-ins for Arial, Times New Roman and Courier New.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation2")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA "${CMAKE_SOURCE_DIR}/resources/debian/conffiles")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
