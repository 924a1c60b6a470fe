# Debian packages of the four install components: `cpack -G DEB` in the build tree.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kestrel)
set(CPACK_PACKAGE_VENDOR "Kestrel")
set(CPACK_PACKAGE_CONTACT "Kestrel developers <kestrel@example.org>")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://kestrel.example.org/")
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Staged through DESTDIR, so the install rules see the packages' own prefix (jsckestrel.pc).
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_COMPONENTS_ALL runtime development tool sim)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
# The tool needs libjsckestrel.so.1 from the run-time package's staging tree (relative to each
# component's own); the dependency on that package comes from the component dependency.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ../runtime/usr/${CMAKE_INSTALL_LIBDIR})

# component: package name, section, description (synopsis, then the long text).
set(KESTREL_PACKAGE_runtime libjsckestrel${PROJECT_VERSION_MAJOR})
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
set(CPACK_COMPONENT_RUNTIME_DESCRIPTION "Kestrel debug probe command library
Opens Kestrel USB debug probes and sends them JTAG and probe-control commands.
Includes the logger library its command traces go to.")

set(KESTREL_PACKAGE_development libjsckestrel-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_COMPONENT_DEVELOPMENT_DEPENDS runtime)
set(CPACK_COMPONENT_DEVELOPMENT_DESCRIPTION "Kestrel debug probe command library: development files
C headers, pkg-config file and CMake package of libjsckestrel.")

set(KESTREL_PACKAGE_tool kestrel-tools)
set(CPACK_DEBIAN_TOOL_PACKAGE_SECTION electronics)
set(CPACK_COMPONENT_TOOL_DEPENDS runtime)
set(CPACK_COMPONENT_TOOL_DESCRIPTION "Kestrel debug probe tool and udev rules
The kestrel command reads a probe's firmware version, tests its link and
lists the TAPs of the JTAG chain. The udev rules let the user logged in at
the seat open probes and update their firmware.")

set(KESTREL_PACKAGE_sim kestrel-sim)
set(CPACK_DEBIAN_SIM_PACKAGE_SECTION devel)
set(CPACK_COMPONENT_SIM_DESCRIPTION "Kestrel virtual probe
A libusb-1.0 stand-in with emulated Kestrel probes on its bus, for tests and
demonstrations (kestrel --sim). It lives in a private directory, so nothing
finds it as the system's libusb.")

# Loaded at run time, so no linker dependency names it.
set(CPACK_DEBIAN_RUNTIME_PACKAGE_DEPENDS "libusb-1.0-0")
# The run-time package declares its soname (shlibs) and refreshes the loader cache through the
# ldconfig trigger rather than calling ldconfig from its scripts. The shlibs file is written
# here, not by CPack, which would also declare the virtual probe's libusb-1.0.so.0.
configure_file(debian/shlibs.in debian/shlibs @ONLY)
# Modes as policy wants them (0644, scripts 0755), whatever the checkout's umask gave the files.
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_EXTRA
  ${CMAKE_CURRENT_BINARY_DIR}/debian/shlibs
  ${CMAKE_CURRENT_SOURCE_DIR}/debian/triggers
  ${CMAKE_CURRENT_SOURCE_DIR}/debian/postinst
  ${CMAKE_CURRENT_SOURCE_DIR}/debian/postrm)

# What every Debian package carries: copyright, changelog and its lintian overrides. Only in the
# packages (EXCLUDE_FROM_ALL keeps them out of a plain `cmake --install`).
set(KESTREL_CHANGELOG ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz)
add_custom_command(OUTPUT ${KESTREL_CHANGELOG}
  COMMAND gzip -9nc ${CMAKE_CURRENT_SOURCE_DIR}/debian/changelog > ${KESTREL_CHANGELOG}
  DEPENDS debian/changelog)
add_custom_target(kestrel_debian_changelog ALL DEPENDS ${KESTREL_CHANGELOG})
foreach(component runtime development tool sim)
  set(package ${KESTREL_PACKAGE_${component}})
  string(TOUPPER ${component} COMPONENT)
  set(CPACK_DEBIAN_${COMPONENT}_PACKAGE_NAME ${package})
  install(FILES debian/copyright ${KESTREL_CHANGELOG}
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${package} COMPONENT ${component} EXCLUDE_FROM_ALL)
  if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/debian/${package}.lintian-overrides)
    install(FILES debian/${package}.lintian-overrides RENAME ${package}
      DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides COMPONENT ${component}
      EXCLUDE_FROM_ALL)
  endif()
endforeach()

include(CPack)
