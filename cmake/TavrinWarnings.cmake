# Strict warnings for every target of the project.
add_compile_options(-Wall -Wextra -Wshadow
                    $<$<COMPILE_LANGUAGE:CXX>:-Wnon-virtual-dtor>)
if(TAVRIN_WERROR)
  add_compile_options(-Werror)
endif()
if(MINGW)
  # The DLL and the tests carry their runtime with them, so Wine needs no
  # MinGW DLLs beside them.
  add_link_options(-static -static-libgcc -static-libstdc++)
endif()
