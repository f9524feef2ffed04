# Fails unless BINARY imports known DLLs only (the system always maps those
# from its own folder), and comctl32, which the manifest binds side by side:
# any other DLL Windows would look for beside the program first. A program
# must also be of SUBSYSTEM (2 GUI, the default; 3 console), and every
# binary hardened.
include(${CMAKE_CURRENT_LIST_DIR}/check-hardening.cmake)
if(NOT SUBSYSTEM)
  set(SUBSYSTEM 2)
endif()
execute_process(COMMAND ${OBJDUMP} -p ${BINARY} OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "objdump failed on ${BINARY}")
endif()
if(BINARY MATCHES "\\.exe$" AND NOT dump MATCHES "Subsystem[ \t]+0000000${SUBSYSTEM}")
  message(FATAL_ERROR "${BINARY} is not a program of subsystem ${SUBSYSTEM}")
endif()
quillon_check_hardening(${OBJDUMP} ${BINARY} "${dump}")
set(known advapi32 comdlg32 gdi32 imm32 kernel32 msvcrt ole32 oleaut32 shell32 shlwapi user32 comctl32)
string(REGEX MATCHALL "DLL Name: [^\r\n]+" imports "${dump}")
foreach(entry IN LISTS imports)
  string(REGEX REPLACE "DLL Name: " "" dll "${entry}")
  string(TOLOWER "${dll}" dll)
  string(REGEX REPLACE "\\.dll$" "" dll "${dll}")
  list(FIND known ${dll} at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${BINARY} imports ${dll}.dll, which is not a known DLL")
  endif()
endforeach()
message(STATUS "imports: ${imports}")
