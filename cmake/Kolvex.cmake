# Compiler options shared by every target of both builds.
function(kolvex_target_options target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror)
  if(WIN32)
    # Windows XP's headers for all that ships: a later function is a compile
    # error, not a program that does not start (see kolvex_check_imports).
    # The tests, which run only where they are built, set a later one.
    if(NOT KOLVEX_WINVER)
      set(KOLVEX_WINVER 0x0501)
    endif()
    target_compile_definitions(${target} PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
                               _WIN32_WINNT=${KOLVEX_WINVER} WINVER=${KOLVEX_WINVER})
    # Static runtime: the import table names only Windows' own DLLs.
    target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++)
    # Small: unused functions dropped at link time.
    target_compile_options(${target} PRIVATE -ffunction-sections -fdata-sections)
  endif()
  if(KOLVEX_SANITIZE)
    target_compile_options(${target} PRIVATE -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    target_link_options(${target} PRIVATE -fsanitize=address,undefined)
  endif()
endfunction()

# GoogleTest from Debian's sources, built with this build's own flags.
macro(kolvex_add_googletest)
  if(NOT TARGET gtest)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
    set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    if(KOLVEX_SANITIZE)
      foreach(t gtest gtest_main gmock gmock_main)
        target_compile_options(${t} PRIVATE -fsanitize=address,undefined -fno-omit-frame-pointer)
      endforeach()
    endif()
    if(WIN32)
      foreach(t gtest gtest_main gmock gmock_main)
        target_link_options(${t} INTERFACE -static -static-libgcc -static-libstdc++)
        # Built for the build's speed, as the test programs are.
        target_compile_options(${t} PRIVATE -O0)
      endforeach()
    endif()
  endif()
endmacro()

# Fails the build, and removes the program, when it imports a library that
# is none of the system's known ones (cmake/known-dlls.txt), or a function
# that the list, when one is given, does not name: every import decides
# which Windows it starts on.
function(kolvex_check_imports target)
  set(list)
  if(ARGC GREATER 1)
    set(list -DLIST=${ARGV1})
  endif()
  add_custom_command(TARGET ${target} POST_BUILD
                     COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${CMAKE_OBJDUMP} -DEXE=$<TARGET_FILE:${target}>
                             -DKNOWN=${CMAKE_SOURCE_DIR}/cmake/known-dlls.txt ${list}
                             -P ${CMAKE_SOURCE_DIR}/cmake/check-imports.cmake
                     VERBATIM)
endfunction()
