# Builds the release zip and checks what it holds: Kolvex.exe, kolvexadm.exe
# and KolvexUsluga.exe as built and the two texts as packaged, flat, and
# nothing else.
# cmake -DBUILD_DIR=... -DZIP=... -DEXPECTED_DIR=... -DEXE=... -DADM=... -DSERVICE=... -P check-package.cmake
execute_process(COMMAND ${CMAKE_COMMAND} --build ${BUILD_DIR} --target package_zip
                RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "building package_zip failed (${rc})")
endif()

file(ARCHIVE_EXTRACT INPUT ${ZIP} LIST_ONLY)  # fails on a damaged archive
set(unpacked ${BUILD_DIR}/package-check)
file(REMOVE_RECURSE ${unpacked})
file(ARCHIVE_EXTRACT INPUT ${ZIP} DESTINATION ${unpacked})
file(GLOB_RECURSE names RELATIVE ${unpacked} LIST_DIRECTORIES true ${unpacked}/*)
list(SORT names)
set(expected Kolvex-instrukcja.txt Kolvex.exe KolvexUsluga.exe baza.set kolvexadm.exe)
if(NOT names STREQUAL expected)
  message(FATAL_ERROR "the zip holds [${names}], expected [${expected}]")
endif()

foreach(pair "Kolvex.exe=${EXE}" "kolvexadm.exe=${ADM}" "KolvexUsluga.exe=${SERVICE}" "baza.set=${EXPECTED_DIR}/baza.set"
             "Kolvex-instrukcja.txt=${EXPECTED_DIR}/Kolvex-instrukcja.txt")
  string(REPLACE "=" ";" pair "${pair}")
  list(GET pair 0 name)
  list(GET pair 1 original)
  file(SHA256 ${unpacked}/${name} got)
  file(SHA256 ${original} want)
  if(NOT got STREQUAL want)
    message(FATAL_ERROR "${name} in the zip differs from ${original}")
  endif()
endforeach()
file(REMOVE_RECURSE ${unpacked})
message(STATUS "Kolvex zip: ${names}")
