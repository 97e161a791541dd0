# Shared compiler flags: warnings everywhere, errors in CI presets, and the
# sanitizer build applied globally so that every target is instrumented.

if(CAGEWARP_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

function(cagewarp_set_warnings target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4)
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic
      -Wshadow -Wconversion -Wno-sign-conversion -Wdouble-promotion -Wformat=2)
    if(CAGEWARP_WERROR)
      target_compile_options(${target} PRIVATE -Werror)
    endif()
    # g++ 12 at -O3 (the release preset) reports std::string's operator+ as
    # an overlapping copy (-Wrestrict): a known false positive of that
    # compiler, fixed in 13.
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
      target_compile_options(${target} PRIVATE -Wno-restrict)
    endif()
  endif()
endfunction()
