# The Debian package, from the same install rules: bash scripts/package-deb.sh
# (or cpack -G DEB in a build configured with CMAKE_INSTALL_PREFIX=/usr).
set(CPACK_PACKAGE_NAME quorvel)
set(CPACK_PACKAGE_VENDOR "The Quorvel developers")
set(CPACK_PACKAGE_CONTACT "The Quorvel developers <dev@quorvel.io>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "Watch memory pressure and act on the applications that use memory")
# CPack puts the summary first and indents these lines as the package's
# long description.
set(CPACK_PACKAGE_DESCRIPTION
  "Quorvel is a tray utility that shows how much pressure the machine's memory
is under and which applications use most of it. It freezes, resumes and
gently restarts applications, runs a focus mode, and applies per-application
threshold rules, also without a tray as a systemd user service.")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://quorvel.io/")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The unit names the program by the path it was configured for, so the
# package installs exactly there.
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The libraries it links are found by dpkg-shlibdeps; what it only loads at
# run time is named here: Qt's SVG image plugin (in the library's package on
# Debian 12, a package of its own later), Qt's Wayland platform (else
# XWayland), the symbol font, and a CJK font for the Asian languages.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "qt6-svg-plugins | libqt6svg6, qt6-wayland, fonts-material-design-icons-iconfont")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wqy-microhei | fonts-noto-cjk")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
