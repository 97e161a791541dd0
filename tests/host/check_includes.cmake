# Checks the include boundary between the host and the plug-in.
# Usage: cmake -DROOT=<source dir> -P check_includes.cmake
#   - plug-in folders (module lattice object deformer tool) include no host/ header;
#   - host/ includes no plug-in header;
#   - sdk/ includes only sdk/ headers and the C library;
#   - the test plug-in modules include only sdk/ and the C/C++ library.
if(NOT ROOT)
  message(FATAL_ERROR "ROOT is not set")
endif()

set(plugin_dirs module lattice object deformer tool)
set(violations "")

function(scan files forbidden_regex what)
  foreach(file ${files})
    file(STRINGS ${file} lines REGEX "^[ \t]*#[ \t]*include")
    foreach(line ${lines})
      if(line MATCHES "${forbidden_regex}")
        file(RELATIVE_PATH rel ${ROOT} ${file})
        string(STRIP "${line}" line)
        list(APPEND violations "${rel}: ${line} (${what})")
      endif()
    endforeach()
  endforeach()
  set(violations "${violations}" PARENT_SCOPE)
endfunction()

set(plugin_files "")
foreach(dir ${plugin_dirs})
  file(GLOB_RECURSE found ${ROOT}/${dir}/*.h ${ROOT}/${dir}/*.hpp ${ROOT}/${dir}/*.c ${ROOT}/${dir}/*.cpp)
  list(APPEND plugin_files ${found})
endforeach()
scan("${plugin_files}" "[\"<]host/" "plug-in code must not include the host")

file(GLOB_RECURSE host_files ${ROOT}/host/*.h ${ROOT}/host/*.cpp)
scan("${host_files}" "[\"<](module|lattice|object|deformer|tool)/" "the host must not include plug-in code")

file(GLOB_RECURSE sdk_files ${ROOT}/sdk/*.h)
scan("${sdk_files}" "[\"<](host|module|lattice|object|deformer|tool|tests)/" "sdk/ includes only itself")

set(test_modules ${ROOT}/tests/host/test_module.cpp ${ROOT}/tests/host/bad_module.cpp)
file(GLOB picture_modules ${ROOT}/tests/render/*_module.cpp)
list(APPEND test_modules ${picture_modules})
scan("${test_modules}" "[\"<](host|module|lattice|object|deformer|tool)/" "test modules include only sdk/")

list(LENGTH plugin_files plugin_count)
list(LENGTH host_files host_count)
if(violations)
  list(JOIN violations "\n  " text)
  message(FATAL_ERROR "include boundary broken:\n  ${text}")
endif()
message(STATUS "include boundary holds (${plugin_count} plug-in files, ${host_count} host files)")
