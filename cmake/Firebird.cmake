# Firebird 3 client headers and library, and the project-local Firebird root
# (firebird.conf plus a real copy of the character set plugin).

find_path(FIREBIRD_INCLUDE_DIR firebird/Interface.h REQUIRED)
find_library(FIREBIRD_CLIENT_LIBRARY NAMES fbclient REQUIRED)
find_path(FIREBIRD_INTL_DIR libfbintl.so
          PATHS /usr/lib/${CMAKE_LIBRARY_ARCHITECTURE}/firebird/3.0/intl
                /usr/lib/firebird/3.0/intl /opt/firebird/intl
          REQUIRED NO_DEFAULT_PATH)

add_library(firebird_client INTERFACE)
target_include_directories(firebird_client SYSTEM INTERFACE ${FIREBIRD_INCLUDE_DIR})
target_link_libraries(firebird_client INTERFACE ${FIREBIRD_CLIENT_LIBRARY})

# Writes a Firebird root into DIR whose UdfAccess points at UDF_DIR.
function(tarvik_firebird_root dir udf_dir)
    set(TARVIK_UDF_DIR "${udf_dir}")
    configure_file(${PROJECT_SOURCE_DIR}/db/firebird.conf.in ${dir}/firebird.conf @ONLY)
    # Real copies: Firebird does not find the character sets through a symlink.
    foreach(f libfbintl.so fbintl.conf)
        configure_file(${FIREBIRD_INTL_DIR}/${f} ${dir}/intl/${f} COPYONLY)
    endforeach()
endfunction()

# Kelmor is installed into its own directory so that UdfAccess can be narrow. The root holds a
# copy of a plugin, so it lives under lib as well.
set(TARVIK_INSTALL_UDFDIR ${CMAKE_INSTALL_LIBDIR}/tarvik/udf)
set(TARVIK_INSTALL_FBROOT ${CMAKE_INSTALL_LIBDIR}/tarvik/firebird)
# The installed root as the program finds it: relative to its own folder.
file(RELATIVE_PATH TARVIK_FBROOT_FROM_BINDIR /prefix/${CMAKE_INSTALL_BINDIR}
     /prefix/${TARVIK_INSTALL_FBROOT})
set(TARVIK_BUILD_UDFDIR ${CMAKE_BINARY_DIR}/udf-lib)

tarvik_firebird_root(${CMAKE_BINARY_DIR}/firebird ${TARVIK_BUILD_UDFDIR})
# The installed root: the character sets now, firebird.conf when the prefix is known
# (cmake --install --prefix may differ from the configured one).
install(DIRECTORY ${CMAKE_BINARY_DIR}/firebird/intl DESTINATION ${TARVIK_INSTALL_FBROOT})
install(CODE "
    set(TARVIK_UDF_DIR \"\${CMAKE_INSTALL_PREFIX}/${TARVIK_INSTALL_UDFDIR}\")
    configure_file(\"${PROJECT_SOURCE_DIR}/db/firebird.conf.in\"
                   \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${TARVIK_INSTALL_FBROOT}/firebird.conf\" @ONLY)
")
