# Plays examples/undo/undo.cwscript into a fresh folder, then checks the
# scenes it saved: everything undone gives back the scene as it was before
# the first edit, and everything redone the scene as it was after the last,
# byte for byte.  Run by CTest as
#   cmake -DHOST=... -DMODULE=... -DSOURCE=... -DOUT=... [-DEMULATOR=...] -P undo_example.cmake
# (EMULATOR: what runs the host's program where it was cross-compiled).
file(REMOVE_RECURSE ${OUT})
execute_process(
  COMMAND ${EMULATOR} ${HOST} play ${SOURCE}/examples/undo/undo.cws --module ${MODULE}
          --script ${SOURCE}/examples/undo/undo.cwscript --out ${OUT}
  RESULT_VARIABLE played)
if(NOT played EQUAL 0)
  message(FATAL_ERROR "the undo example did not play through (${played})")
endif()
foreach(pair "before.cws;undone.cws" "edited.cws;redone.cws")
  list(GET pair 0 expected)
  list(GET pair 1 actual)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUT}/${expected} ${OUT}/${actual}
                  RESULT_VARIABLE different)
  if(NOT different EQUAL 0)
    message(FATAL_ERROR "${actual} differs from ${expected}")
  endif()
endforeach()
# Sanity: the edits did change the scene.
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUT}/before.cws ${OUT}/edited.cws
                RESULT_VARIABLE edited)
if(edited EQUAL 0)
  message(FATAL_ERROR "the edits left the scene as it was")
endif()
