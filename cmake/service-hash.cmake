# The SHA-256 of the update service's program, as a header for kolvexadm,
# which installs only the program it was built with.
# Usage: cmake -DPROGRAM=KolvexUsluga.exe -DHEADER=out.h -P service-hash.cmake
file(SHA256 ${PROGRAM} hash)
string(TOUPPER ${hash} hash)
set(text "#pragma once\n// Made by the build from the KolvexUsluga.exe that ships beside kolvexadm.exe.\n#include <string_view>\n\nnamespace kolvex {\ninline constexpr std::string_view kServiceProgramSha256 = \"${hash}\";\n}  // namespace kolvex\n")
if(EXISTS ${HEADER})
  file(READ ${HEADER} old)
endif()
if(NOT old STREQUAL text)
  file(WRITE ${HEADER} "${text}")
endif()
