# Install rules: the library as a CMake package (headers, static libraries,
# imported targets GraphControl::graphcontrol, GraphControl::graphcontrol_qt, GraphControl::layout and
# GraphControl::json
# with a version file), the designer and graphtool with the desktop entry and
# icon, and the example screens.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(GC_PACKAGE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/GraphControl)

# Headers go under the project's own folder, include/graphcontrol/, keeping
# the include paths the code uses ("GraphControl/Control.h",
# "platform/qt/GraphWidget.h"); the targets carry that folder. Headers only
# the library's own sources include are left out.
set(GC_INCLUDE_DIR ${CMAKE_INSTALL_INCLUDEDIR}/graphcontrol)
set(GC_INTERNAL_HEADERS CanvasRecall.h Codepage.h ControlInternal.h CustomDataKeeper.h DrawingToolProperties.h GraphHistory.h
                        Utf8.h QtInput.h QtRegion.h)
set(GC_HEADER_EXCLUDES)
foreach(header ${GC_INTERNAL_HEADERS})
  list(APPEND GC_HEADER_EXCLUDES PATTERN ${header} EXCLUDE)
endforeach()


install(TARGETS graphcontrol EXPORT GraphControlTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT Development)
install(EXPORT GraphControlTargets NAMESPACE GraphControl:: DESTINATION ${GC_PACKAGE_DIR}
        COMPONENT Development)

# The JSON form of a diagram, GraphControl::json (links nlohmann-json).
install(TARGETS graphcontrol_json EXPORT GraphControlJsonTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT Development)
install(EXPORT GraphControlJsonTargets NAMESPACE GraphControl:: DESTINATION ${GC_PACKAGE_DIR}
        COMPONENT Development)
install(FILES json/DiagramJson.h json/ValueJson.h DESTINATION ${GC_INCLUDE_DIR}/json COMPONENT Development)

if(TARGET graphcontrol_qt)
  install(TARGETS graphcontrol_qt EXPORT GraphControlQtTargets
          ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT Development)
  install(EXPORT GraphControlQtTargets NAMESPACE GraphControl:: DESTINATION ${GC_PACKAGE_DIR}
          COMPONENT Development)
endif()

if(TARGET graphcontrol_quick)
  install(TARGETS graphcontrol_quick EXPORT GraphControlQuickTargets
          ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT Development)
  install(EXPORT GraphControlQuickTargets NAMESPACE GraphControl:: DESTINATION ${GC_PACKAGE_DIR}
          COMPONENT Development)
else()
  # Without Qt Quick the item's header would name a library that is not there.
  list(APPEND GC_HEADER_EXCLUDES PATTERN GraphItem.h EXCLUDE)
endif()

install(TARGETS graphcontrol_layout EXPORT GraphControlLayoutTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT Development)
install(EXPORT GraphControlLayoutTargets NAMESPACE GraphControl:: DESTINATION ${GC_PACKAGE_DIR}
        COMPONENT Development)
install(FILES layout/DiagramLayout.h DESTINATION ${GC_INCLUDE_DIR}/layout COMPONENT Development)

install(DIRECTORY GraphControl/ DESTINATION ${GC_INCLUDE_DIR}/GraphControl COMPONENT Development
        FILES_MATCHING PATTERN "*.h" ${GC_HEADER_EXCLUDES})
install(DIRECTORY platform/ DESTINATION ${GC_INCLUDE_DIR}/platform COMPONENT Development
        FILES_MATCHING PATTERN "*.h" ${GC_HEADER_EXCLUDES})

set(GC_QT_VERSION ${Qt6_VERSION_MAJOR}.${Qt6_VERSION_MINOR})
configure_package_config_file(cmake/GraphControlConfig.cmake.in
                              ${PROJECT_BINARY_DIR}/GraphControlConfig.cmake
                              INSTALL_DESTINATION ${GC_PACKAGE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/GraphControlConfigVersion.cmake
                                 VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/GraphControlConfig.cmake ${PROJECT_BINARY_DIR}/GraphControlConfigVersion.cmake
        DESTINATION ${GC_PACKAGE_DIR} COMPONENT Development)

# The programs. The designer takes its cursors and icons from its resources,
# so it needs nothing from the source tree and runs in any folder.
foreach(program ScreenDesigner graphtool)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT Runtime)
  endif()
endforeach()
install(FILES resources/ScreenDesigner.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications
        COMPONENT Runtime)
install(FILES resources/icons/ScreenDesigner.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps COMPONENT Runtime)

set(GC_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/screendesigner)
install(FILES README.md DESTINATION ${GC_DOC_DIR} COMPONENT Runtime)
install(FILES docs/embedding.md docs/screenshot.png DESTINATION ${GC_DOC_DIR}/docs COMPONENT Runtime)
install(FILES examples/demo.Screen examples/xml_Sources examples/xml_ConvTypes examples/xml_ConvNames
        DESTINATION ${GC_DOC_DIR}/examples COMPONENT Runtime)
