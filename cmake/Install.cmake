# What `cmake --install` puts in place for packagers: every program with the suite's shared
# libraries beside it in bin/ (the programs look for them in their own folder, $ORIGIN), the
# tips file PatchBench reads from its folder, and the program icons.
set(QM_INSTALLED_TARGETS "")
foreach(target IN ITEMS texbench patchapply fftool uninstall setup PackLib PatchLib qmfiles
                        inidoc qmplatform)
  if(TARGET ${target})
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "EXECUTABLE" OR type STREQUAL "SHARED_LIBRARY" OR type STREQUAL "MODULE_LIBRARY")
      list(APPEND QM_INSTALLED_TARGETS ${target})
    endif()
  endif()
endforeach()
# PatchBench installs itself with its tips file (patchbench/app).
install(TARGETS ${QM_INSTALLED_TARGETS}
  RUNTIME DESTINATION bin
  LIBRARY DESTINATION bin)
install(FILES tools/medium/icons/texbench.svg tools/medium/icons/patchbench.svg
  DESTINATION share/icons/hicolor/scalable/apps)
