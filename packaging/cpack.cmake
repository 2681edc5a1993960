# The Debian package, made by `./dev package` (CPack's DEB generator on the build tree).

# Packages the programs need beyond the libraries they link (dpkg-shlibdeps finds those):
# the Qt platform plugins (libqt6gui6 only recommends them) and the Qt SQL driver of the site
# history. A new run-time need is one more entry here.
set(QUENTRY_DEB_DEPENDS
  qt6-qpa-plugins
  libqt6sql6-sqlite)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quentry)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Quentry developers")
set(CPACK_PACKAGE_CONTACT "Quentry developers <maintainers@quentry.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "service tool for ultrasonic level and flow transmitters")
set(CPACK_PACKAGE_DESCRIPTION [=[
Quentry is the service engineer's tool for ultrasonic level and open-channel
flow transmitters with an on-board data logger and clock. It finds the
transmitter on a serial line (HART modem, USB link adapter or IrDA link), shows
its identity, reads and sets its clock and logger settings, reads the whole
logger, saves and loads log images and exports them to ASCII, dBASE and CSV,
shows them as a trend and logs every frame.

The package holds the window (quentry), the same core for scripts
(quentry-cli), a virtual transmitter on a pseudo-terminal for trying it all
without hardware (quentry-emulator), and Duvane, the RS-485 port selector.]=])
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://quentry.org/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
list(JOIN QUENTRY_DEB_DEPENDS ", " CPACK_DEBIAN_PACKAGE_DEPENDS)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
