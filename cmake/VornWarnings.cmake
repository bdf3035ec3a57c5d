# Warnings are errors in every tree.
function(vorn_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
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
