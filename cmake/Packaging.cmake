# The Debian package (make package): the same tree as "cmake --install" under /usr, its
# dependencies found by dpkg-shlibdeps from the programs' libraries.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tq36)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_CONTACT ${TQ36_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${TQ36_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop companion of a datalogging thermocouple thermometer")
# The summary is the synopsis line; this is the text below it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "TQ36 shows the live readings of a one- or two-channel thermocouple
thermometer on a serial port, records them on the PC, reads out the
meter's logger memory, keeps maximum, minimum and average, draws charts,
and saves, opens and prints lists.
.
tq36-cli does the same without a display, turns record files into CSV
and into chart images, and publishes the readings to an MQTT broker,
also as the systemd service tq36-publish@. The meter simulator
tq36-metersim lets you try everything without a meter.")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The manuals and the desktop program use the Liberation fonts, which no library names.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation")
# Help opens the manuals in the desktop's PDF viewer; publish talks to an MQTT broker, such as one
# on this PC.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "pdf-viewer")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "mosquitto")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
find_program(DPKG_EXECUTABLE dpkg)
if(DPKG_EXECUTABLE)
  execute_process(COMMAND ${DPKG_EXECUTABLE} --print-architecture
                  OUTPUT_VARIABLE CPACK_DEBIAN_PACKAGE_ARCHITECTURE OUTPUT_STRIP_TRAILING_WHITESPACE)
endif()
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
