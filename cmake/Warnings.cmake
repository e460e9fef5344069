# QM_WERROR turns every warning into an error. The presets (and with them CI and the scripts
# under tools/) turn it on; a plain configure leaves it off, so that a newer compiler's new
# warnings do not stop someone building the suite for themselves.
option(QM_WERROR "Treat compiler warnings as errors" OFF)

# qm_warnings(target): the warning set every target of the suite is built with.
function(qm_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  if(QM_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# qm_unloadable(target): a library that programs and tests load and unload by name must
# really go away on unload, or it keeps what it computed at its first load (PackLib finds
# the game's Fastfile folder then). GCC marks some template statics "unique", which pins
# the library in memory; keep them ordinary.
function(qm_unloadable target)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND NOT WIN32)
    target_compile_options(${target} PRIVATE -fno-gnu-unique)
  endif()
endfunction()
