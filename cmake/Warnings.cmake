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
