# Flags every target of ours gets. Warnings are errors everywhere.
add_library(verandel_flags INTERFACE)
target_compile_options(verandel_flags INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
  -Wold-style-cast -Wcast-qual -Wnull-dereference -Wformat=2 -Werror
  $<$<COMPILE_LANGUAGE:CXX>:-Wnon-virtual-dtor>)

if(WIN32)
  # Narrow literals are code page 936 bytes in the program; sources stay UTF-8.
  target_compile_options(verandel_flags INTERFACE
    -finput-charset=UTF-8 -fexec-charset=CP936)
  target_compile_definitions(verandel_flags INTERFACE
    WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601 STRICT)
  # One .exe with nothing beside it.
  target_link_options(verandel_flags INTERFACE -static -static-libgcc -static-libstdc++)
endif()

if(VERANDEL_NATIVE)
  set(VERANDEL_SANITIZE -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_compile_options(verandel_flags INTERFACE ${VERANDEL_SANITIZE} -g)
  target_link_options(verandel_flags INTERFACE ${VERANDEL_SANITIZE})
  if(VERANDEL_FUZZ)
    target_compile_options(verandel_flags INTERFACE -fsanitize=fuzzer-no-link)
  endif()
endif()
