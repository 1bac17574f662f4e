# Debian packages through CPack (cpack -G DEB in a build tree; scripts/package.sh does it all):
#   libvelmora0     the shared library a game runs on (component lib)
#   libvelmora-dev  headers, libvelmora.so, the CMake package, the pkg-config files, and the
#                   testing component (libvelmora-testing.so*), which only a game's own tests use
#   velmora-tools   amftool, guiview, fxview, padview, sndview and replayinfo (component tools)
# dpkg-shlibdeps finds the libraries the binaries link; what they load at run time (OpenGL
# and EGL, which SDL and libepoxy open themselves) and the font the engine draws its default
# face with are named here.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velmora)
set(CPACK_PACKAGE_VENDOR "Velmora")
set(CPACK_PACKAGE_CONTACT "Velmora developers <velmora@example.invalid>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Installed under DESTDIR with the prefix /usr itself, so that the install steps below see the
# prefix the packages are for.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
# Shipped binaries carry no symbol tables.
set(CPACK_STRIP_FILES ON)
set(VELMORA_DEBIAN_VERSION ${PROJECT_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE})
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL lib dev tools)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)

set(_velmora_exact "(= ${VELMORA_DEBIAN_VERSION})")

set(CPACK_DEBIAN_LIB_PACKAGE_NAME libvelmora0)
set(CPACK_DEBIAN_LIB_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_LIB_DESCRIPTION "Velmora 2D game engine: shared library
Velmora is a 2D game engine: a paced main loop, keyboard and mouse input, textures,
animation frame sets in its own AMF format, sound effects and streamed music, text, INI
files, messages and tasks, a GUI built from description files, and particle effects.
This package holds the library that games run on.")
set(CPACK_DEBIAN_LIB_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_LIB_PACKAGE_DEPENDS "libgl1, libegl1, fonts-arphic-uming")
# The shlibs files let packages built on these find their dependencies (libvelmora0, and
# libvelmora-dev for the testing library).
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
# The packages holding shared libraries have the loader's cache rebuilt once after them.
set(CPACK_DEBIAN_LIB_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_LIST_DIR}/debian/triggers)
set(CPACK_DEBIAN_DEV_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_LIST_DIR}/debian/triggers)

set(CPACK_DEBIAN_DEV_PACKAGE_NAME libvelmora-dev)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEV_DESCRIPTION "Velmora 2D game engine: development files
Headers, the CMake package (find_package(Velmora), target Velmora::velmora) and the
pkg-config file (velmora) for building games on Velmora, and its testing component
(Velmora::testing, velmora-testing) for a game's own headless tests.")
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS "libvelmora0 ${_velmora_exact}")

set(CPACK_DEBIAN_TOOLS_PACKAGE_NAME velmora-tools)
set(CPACK_DEBIAN_TOOLS_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_TOOLS_DESCRIPTION "Velmora 2D game engine: tools
amftool packs pictures into AMF animation files, unpacks and describes them; guiview
shows a GUI description file and fxview a particle effect, reloading them as they are
edited; padview lists the game controllers plugged in and shows their live state; sndview
describes and plays sound files; replayinfo describes a recorded session of a game.")
set(CPACK_DEBIAN_TOOLS_PACKAGE_DEPENDS "libvelmora0 ${_velmora_exact}")

# The testing library and the tools link libvelmora.so.0, which no installed package holds
# yet: dpkg-shlibdeps looks it up in the build tree and leaves it to the Depends above.
set(CPACK_DEBIAN_DEV_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_TOOLS_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${PROJECT_BINARY_DIR})

# What Debian policy asks of every package: its copyright file and its changelog, compressed
# as lintian expects (gzip -9n), under /usr/share/doc/<package>/.
configure_file(${CMAKE_CURRENT_LIST_DIR}/debian/changelog.in ${PROJECT_BINARY_DIR}/debian/changelog.Debian @ONLY)
execute_process(COMMAND gzip -9nf ${PROJECT_BINARY_DIR}/debian/changelog.Debian)
foreach(_velmora_component lib dev tools)
  string(TOUPPER ${_velmora_component} _velmora_upper)
  install(FILES ${CMAKE_CURRENT_LIST_DIR}/debian/copyright ${PROJECT_BINARY_DIR}/debian/changelog.Debian.gz
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${CPACK_DEBIAN_${_velmora_upper}_PACKAGE_NAME}
          COMPONENT ${_velmora_component})
endforeach()

include(CPack)
