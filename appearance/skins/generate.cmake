# Writes one skin: the template TEMPLATE filled with the values of the palette
# PALETTE, to OUTPUT (rewritten only when its contents change).
#   cmake -DTEMPLATE=skin.ats.in -DPALETTE=01.cmake -DOUTPUT=01.ats -P generate.cmake
include(${PALETTE})
# A value the palette lacks would leave an empty property behind, which Qt
# drops without a word: refuse it here instead.
file(READ ${TEMPLATE} template)
string(REGEX MATCHALL "@[a-z_]+@" places "${template}")
list(REMOVE_DUPLICATES places)
foreach(place IN LISTS places)
    string(REPLACE "@" "" value ${place})
    if(NOT DEFINED ${value})
        message(FATAL_ERROR "${PALETTE} gives no value for ${place} of ${TEMPLATE}")
    endif()
endforeach()
configure_file(${TEMPLATE} ${OUTPUT} @ONLY)
