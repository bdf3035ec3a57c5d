# Warnings are shown everywhere and are errors with VORN_WERROR, which
# scripts/trees.sh turns on for every tree it configures (and so scripts/test
# and CI); a plain build, such as a packager's with another compiler, only
# shows them.
option(VORN_WERROR "Treat compiler warnings as errors" OFF)

function(vorn_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  if(VORN_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# Program code uses neither exceptions nor RTTI.
function(vorn_target_defaults target)
  vorn_warnings(${target})
  target_compile_options(${target} PRIVATE $<$<COMPILE_LANGUAGE:CXX>:-fno-exceptions -fno-rtti>)
endfunction()

# Tests link GoogleTest, which is built with its defaults.
function(vorn_test_defaults target)
  vorn_warnings(${target})
endfunction()
