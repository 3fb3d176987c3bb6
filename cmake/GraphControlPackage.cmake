# The Debian package (cpack -G DEB in the build folder): the designer and
# graphtool, the desktop entry and icon, and the library's development files.
# Its dependencies are read from the programs by dpkg-shlibdeps.
set(CPACK_PACKAGE_NAME screendesigner)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Screen designer for display screens, and its diagram control library")
set(CPACK_PACKAGE_DESCRIPTION "\
Orvane Vizadu-Razadivi lays out the label widgets of display screens on a
zoomable canvas, saves them as .Screen files and exports them as XML.
The package also holds graphtool, which inspects, converts and renders
.Screen files, and the diagram library with its Qt platform layer as a
CMake package: find_package(GraphControl).")
set(CPACK_PACKAGE_CONTACT "Orvane Vizadu-Razadivi maintainers <maintainers@orvane-vizadu-razadivi.invalid>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Metric-compatible Arial for the screens' default font; the rest is for
# programs that embed the library.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation, hicolor-icon-theme")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS
    "cmake, qt6-base-dev, qt6-svg-dev, qt6-declarative-dev, libgraphviz-dev, nlohmann-json3-dev")
include(CPack)
