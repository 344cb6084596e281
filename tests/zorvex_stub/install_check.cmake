# Run with cmake -P.  Installs the zorvex_stub component of the build in
# BUILD_DIR into PREFIX, then compiles SOURCE as C and as C++ against the
# installed header and library, and runs both programs.
foreach(var BUILD_DIR PREFIX SOURCE C_COMPILER CXX_COMPILER)
  if(NOT DEFINED ${var} OR "${${var}}" STREQUAL "")
    message(FATAL_ERROR "install_check.cmake: ${var} is not set")
  endif()
endforeach()

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    string(REPLACE ";" " " shown "${ARGN}")
    message(FATAL_ERROR "failed (${rc}): ${shown}")
  endif()
endfunction()

file(REMOVE_RECURSE "${PREFIX}")
set(config_args)
if(DEFINED CONFIG AND NOT CONFIG STREQUAL "")
  set(config_args --config "${CONFIG}")
endif()
run("${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
    --component zorvex_stub ${config_args})

foreach(installed lib/libzorvex_stub.a include/zorvex_stub.h)
  if(NOT EXISTS "${PREFIX}/${installed}")
    message(FATAL_ERROR "not installed: ${PREFIX}/${installed}")
  endif()
endforeach()

separate_arguments(c_flags UNIX_COMMAND "${C_FLAGS}")
separate_arguments(cxx_flags UNIX_COMMAND "${CXX_FLAGS}")
separate_arguments(extra_flags UNIX_COMMAND "${EXTRA_FLAGS}")
list(APPEND c_flags ${extra_flags})
list(APPEND cxx_flags ${extra_flags})
set(warn -Wall -Wextra -Werror)

# The header alone must be clean in strict ISO C and C++ modes.
file(WRITE "${PREFIX}/header_only.c" "#include <zorvex_stub.h>\nint main(void) { zorvex_value unit = ZORVEX_UNIT; return (int)(unit - ZORVEX_UNIT); }\n")
run("${C_COMPILER}" ${c_flags} -std=c99 -pedantic ${warn} -fsyntax-only
    -I "${PREFIX}/include" "${PREFIX}/header_only.c")
run("${CXX_COMPILER}" ${cxx_flags} -std=c++20 -pedantic ${warn} -fsyntax-only
    -x c++ -I "${PREFIX}/include" "${PREFIX}/header_only.c")

run("${C_COMPILER}" ${c_flags} -std=c11 ${warn} -I "${PREFIX}/include" "${SOURCE}"
    -L "${PREFIX}/lib" -lzorvex_stub -o "${PREFIX}/check_c")
run("${PREFIX}/check_c")

run("${CXX_COMPILER}" ${cxx_flags} -std=c++20 ${warn} -x c++ -I "${PREFIX}/include" "${SOURCE}"
    -x none -L "${PREFIX}/lib" -lzorvex_stub -o "${PREFIX}/check_cxx")
run("${PREFIX}/check_cxx")
