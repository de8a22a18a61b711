# The Debian package of the editor: `cpack` in a build tree writes quillet_<version>_<arch>.deb.
# It holds the editor's install component only (the program, its data, the desktop entry and
# the icon); the library's headers and archive are for developers and stay out.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillet)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Quillet developers")
set(CPACK_PACKAGE_CONTACT "The Quillet developers <quillet@invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "editor for Tcl scripts with a Run window")
set(CPACK_PACKAGE_DESCRIPTION
    "Quillet opens, edits, saves and prints Tcl scripts, colours them as you type and runs them in
an embedded Tcl interpreter, with the script's standard output, errors and reads of standard
input in a window of their own, a console and a debugger.")
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};${PROJECT_NAME};quillet;/")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION editors)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the program links (Qt, the C++ runtime) are found by dpkg-shlibdeps. Tcl is
# loaded at run time (libtcl8.6.so, with its script library), so it is named here, and so are
# Tk for scripts that load it and Tcl's manual pages, which the help window shows.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libtcl8.6, tk8.6, tcl8.6-doc")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation2")

include(CPack)
