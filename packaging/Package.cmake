# The Debian package, built by `cpack -G DEB` from a Release build (scripts/package).
# Dependencies come from the linked libraries (dpkg-shlibdeps); the desktop database, the
# MIME database and the icon cache are brought up to date by those packages' own triggers,
# so there are no maintainer scripts.
set(CPACK_PACKAGE_NAME tracery)
set(CPACK_PACKAGE_VENDOR "The Tracery developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "graph digitizer: read the data points off images of plots")
set(CPACK_PACKAGE_CONTACT "The Tracery developers <tracery@packages.invalid>" CACHE STRING
    "Maintainer of the Debian package")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The first packaging of this version; the changelog names the same revision.
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "hicolor-icon-theme")
# Scanning loads SANE at run time, so the dependency tools cannot see it.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libsane1")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The long description under the summary's synopsis; CPack indents it as the control file
# wants it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Tracery turns a picture of a plotted graph into numbers. Open a scan, a
screenshot or a photo of a graph, draw the mapping region over its axes and
give their values (linear or logarithmic), then click along the curves: every
click becomes a point in graph coordinates, kept in named data sets with grid
snap, attributes and full undo. The work is saved as a .plm document or
exported as text.")
include(CPack)
