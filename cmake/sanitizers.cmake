# GORV_SANITIZE=address,undefined or GORV_SANITIZE=thread instruments everything.
if(GORV_SANITIZE STREQUAL "")
  return()
endif()
add_compile_options(-fsanitize=${GORV_SANITIZE} -fno-omit-frame-pointer -g)
add_link_options(-fsanitize=${GORV_SANITIZE})
if(GORV_SANITIZE MATCHES "undefined")
  add_compile_options(-fno-sanitize-recover=undefined)
endif()
