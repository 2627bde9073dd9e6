# cmake -DOBJDUMP=... -DEXE=Kolvex.exe -DKNOWN=known-dlls.txt [-DLIST=Kolvex-imports.txt] -P check-imports.cmake
# Compares the libraries the program imports (objdump -p) with the system's
# known ones, its functions with the list of those allowed (when one is
# given), and its subsystem version with Windows XP's.
execute_process(COMMAND ${OBJDUMP} -p ${EXE} OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} -p ${EXE} failed")
endif()

file(STRINGS ${KNOWN} known REGEX "^[^#]")
list(TRANSFORM known TOLOWER)

set(lines)
if(LIST)
  file(STRINGS ${LIST} lines REGEX "^[^#]")
endif()
set(allowed)
foreach(line ${lines})
  string(REGEX MATCH "^([^ \t]+)[ \t]+([^ \t]+)" entry "${line}")
  if(entry)
    string(TOLOWER "${CMAKE_MATCH_1}!${CMAKE_MATCH_2}" key)
    list(APPEND allowed ${key})
  endif()
endforeach()

string(REPLACE "\n" ";" dump "${dump}")
set(dll)
set(outside)
foreach(line ${dump})
  if(line MATCHES "DLL Name: (.+)$")
    string(STRIP "${CMAKE_MATCH_1}" dll)
    string(TOLOWER "${dll}" name)
    list(FIND known "${name}" at)
    if(at EQUAL -1)
      list(APPEND outside "${dll}, none of the system's known libraries (${KNOWN})")
    endif()
  elseif(LIST AND line MATCHES "^\t[0-9a-f]+[ \t]+[0-9]+[ \t]+([A-Za-z_][A-Za-z0-9_@]*)$" AND dll)
    string(TOLOWER "${dll}!${CMAKE_MATCH_1}" key)
    list(FIND allowed ${key} at)
    if(at EQUAL -1)
      list(APPEND outside "${dll} ${CMAKE_MATCH_1}")
    endif()
  elseif(line MATCHES "^[^\t ]")
    set(dll)
  endif()
endforeach()

# Windows refuses a program that asks for a later subsystem than its own.
string(REGEX MATCH "MajorSubsystemVersion[ \t]+([0-9]+)" found "${dump}")
set(major ${CMAKE_MATCH_1})
string(REGEX MATCH "MinorSubsystemVersion[ \t]+([0-9]+)" found "${dump}")
if(major GREATER 5 OR (major EQUAL 5 AND CMAKE_MATCH_1 GREATER 1))
  list(APPEND outside "subsystem version ${major}.${CMAKE_MATCH_1} (Windows XP is 5.1)")
endif()

if(outside)
  file(REMOVE ${EXE})
  list(JOIN outside "\n  " text)
  message(FATAL_ERROR "${EXE} needs what is not allowed (a later Windows may be needed: look it up at run "
                      "time with a fallback, or list it with the oldest Windows that has it; a "
                      "library that is not a known one: load it at run time from the system directory):\n  ${text}")
endif()
