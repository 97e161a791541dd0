# Runs the built cagewarp-host as a user would and checks exit codes, files
# and messages.
# Usage: cmake -DHOST=... -DMODULE=... -DDATA=... -DWORK=... [-DEMULATOR=...] -P cli_test.cmake
foreach(var HOST MODULE DATA WORK)
  if(NOT ${var})
    message(FATAL_ERROR "${var} is not set")
  endif()
endforeach()

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})

# run_host(EXPECTED_CODE args...): runs the program; its output is left in
# host_out and host_err.
function(run_host expected)
  execute_process(COMMAND ${EMULATOR} ${HOST} ${ARGN}
                  WORKING_DIRECTORY ${WORK}
                  RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT code STREQUAL "${expected}")
    message(FATAL_ERROR "cagewarp-host ${ARGN}\nexited with ${code}, expected ${expected}\nstdout:\n${out}\nstderr:\n${err}")
  endif()
  set(host_out "${out}" PARENT_SCOPE)
  set(host_err "${err}" PARENT_SCOPE)
endfunction()

function(expect_text text part)
  string(FIND "${text}" "${part}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "expected \"${part}\" in:\n${text}")
  endif()
endfunction()

# The main job: a scene through two frames.
run_host(0 run ${DATA}/demo.cws --module ${MODULE} --frames 1-2 --out frames)
expect_text("${host_out}" "ran 2 frames (1 to 2, step 1), 1 object, 4 points per frame")
foreach(frame 0001 0002)
  if(NOT EXISTS ${WORK}/frames/Quad.${frame}.obj)
    message(FATAL_ERROR "run wrote no frames/Quad.${frame}.obj")
  endif()
endforeach()
file(READ ${WORK}/frames/Quad.0002.obj mesh)
expect_text("${mesh}" "f 1 2 3 4\nl 1 3\n#cw weightmap \"Weight\"")
if(NOT host_err STREQUAL "")
  message(FATAL_ERROR "run printed on standard error without a terminal:\n${host_err}")
endif()

# Save, load and save again: the same bytes.
run_host(0 save ${DATA}/demo.cws saved.cws --module ${MODULE})
run_host(0 save saved.cws saved2.cws --module ${MODULE})
file(READ ${WORK}/saved.cws first)
file(READ ${WORK}/saved2.cws second)
if(NOT first STREQUAL second)
  message(FATAL_ERROR "save, load, save changed the file")
endif()
expect_text("${first}" "f 2.03 -1e+20")

# Failures a script can tell apart.
run_host(1 run missing.cws --module ${MODULE})
expect_text("${host_err}" "missing.cws: no such file")
file(WRITE ${WORK}/broken.cws "cagewarp-scene 1\nitem null 10000001 \"N\"\n  parent 10000009\nend\n")
run_host(1 save broken.cws out.cws)
expect_text("${host_err}" "broken.cws:3: parent 10000009 is not an item of this scene")
if(EXISTS ${WORK}/out.cws)
  message(FATAL_ERROR "a failed save wrote its output")
endif()
run_host(1 info ${DATA}/demo.cws)
run_host(2 run)
run_host(2 run ${DATA}/demo.cws --no-such-option)
run_host(2 frobnicate)

# Help for every subcommand.
foreach(command run save info)
  run_host(0 ${command} --help)
  expect_text("${host_out}" "exit codes")
endforeach()

message(STATUS "cagewarp-host command line: all checks passed")
