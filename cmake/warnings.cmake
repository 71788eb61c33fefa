# One warnings target, linked privately by every library and executable.
add_library(gorv_warnings INTERFACE)
target_compile_options(gorv_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
  -Wnon-virtual-dtor -Wold-style-cast -Wcast-align -Woverloaded-virtual
  -Wnull-dereference -Wdouble-promotion -Wformat=2 -Wimplicit-fallthrough)
if(GORV_WERROR)
  target_compile_options(gorv_warnings INTERFACE -Werror)
endif()
