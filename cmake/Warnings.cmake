# qm_warnings(target): the warning set every target of the suite is built with.
function(qm_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  if(QM_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
