# Checks what a built plug-in module exports and imports.  Run as a test:
#   cmake -DMODULE=<file> -DFORMAT=elf|pe -DTOOL=<nm or objdump> -P CheckModuleExports.cmake
# elf: `nm -D --defined-only` must list exactly _mod_descrip.
# pe:  `objdump -p` must show exactly one export, _mod_descrip, and import
#      only Windows system DLLs (the C and C++ runtimes are linked in).
cmake_minimum_required(VERSION 3.25)

foreach(var MODULE FORMAT TOOL)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "CheckModuleExports: ${var} is not set")
  endif()
endforeach()
if(NOT EXISTS "${MODULE}")
  message(FATAL_ERROR "CheckModuleExports: ${MODULE} does not exist")
endif()

set(expected_exports "_mod_descrip")

if(FORMAT STREQUAL "elf")
  execute_process(COMMAND "${TOOL}" -D --defined-only "${MODULE}"
                  OUTPUT_VARIABLE listing RESULT_VARIABLE rc ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "nm failed (${rc}): ${err}")
  endif()
  set(exports "")
  string(REPLACE "\n" ";" lines "${listing}")
  foreach(line IN LISTS lines)
    # "<address> <type> <name>"
    if(line MATCHES "^[0-9a-fA-F]+ [A-Za-z] ([^ ]+)$")
      list(APPEND exports "${CMAKE_MATCH_1}")
    endif()
  endforeach()
  if(NOT exports STREQUAL expected_exports)
    message(FATAL_ERROR "${MODULE} exports [${exports}], expected [${expected_exports}]:\n${listing}")
  endif()
  message(STATUS "${MODULE}: exports ${exports}")

elseif(FORMAT STREQUAL "pe")
  execute_process(COMMAND "${TOOL}" -p "${MODULE}"
                  OUTPUT_VARIABLE listing RESULT_VARIABLE rc ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "objdump failed (${rc}): ${err}")
  endif()
  set(exports "")
  set(imports "")
  set(in_names FALSE)
  string(REPLACE "\n" ";" lines "${listing}")
  foreach(line IN LISTS lines)
    if(line MATCHES "DLL Name: (.+)$")
      list(APPEND imports "${CMAKE_MATCH_1}")
    endif()
    if(line MATCHES "^\\[Ordinal/Name Pointer\\] Table")
      set(in_names TRUE)
    elseif(in_names)
      if(line MATCHES "^[ \t]*\\[ *[0-9]+\\] ([^ ]+)$")
        list(APPEND exports "${CMAKE_MATCH_1}")
      else()
        set(in_names FALSE)
      endif()
    endif()
  endforeach()
  if(NOT exports STREQUAL expected_exports)
    message(FATAL_ERROR "${MODULE} exports [${exports}], expected [${expected_exports}]")
  endif()
  # Windows' own DLLs: the kernel, the system C runtime (msvcrt, or the
  # universal CRT and its API sets) and the core system libraries.
  set(system_dll_pattern "^(kernel32|msvcrt|ucrtbase|ntdll|user32|advapi32|api-ms-win-[a-z0-9-]+)\\.dll$")
  foreach(dll IN LISTS imports)
    string(TOLOWER "${dll}" lower)
    if(NOT lower MATCHES "${system_dll_pattern}")
      message(FATAL_ERROR "${MODULE} imports ${dll}, which is not a Windows system DLL (imports: ${imports})")
    endif()
  endforeach()
  message(STATUS "${MODULE}: exports ${exports}; imports ${imports}")

else()
  message(FATAL_ERROR "CheckModuleExports: unknown FORMAT ${FORMAT}")
endif()
