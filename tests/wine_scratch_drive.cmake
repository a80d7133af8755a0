# Maps a drive letter of the Wine prefix to a scratch folder, so Windows tests
# can write at the root of a drive. Run with -P; the prefix is the one that
# scripts/lib/wine-exec uses: $WINEPREFIX, else DEFAULT_PREFIX.
foreach(variable LETTER TARGET DEFAULT_PREFIX)
    if(NOT DEFINED ${variable})
        message(FATAL_ERROR "${variable} is not set")
    endif()
endforeach()

set(prefix "$ENV{WINEPREFIX}")
if(prefix STREQUAL "")
    set(prefix "${DEFAULT_PREFIX}")
endif()

file(MAKE_DIRECTORY "${TARGET}" "${prefix}/dosdevices")
file(REMOVE "${prefix}/dosdevices/${LETTER}:")
file(CREATE_LINK "${TARGET}" "${prefix}/dosdevices/${LETTER}:" SYMBOLIC)
