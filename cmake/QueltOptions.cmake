# Build options shared by every target of ours: warnings are errors in our
# own code; third-party headers are included as system headers.
add_library(quelt_options INTERFACE)
target_compile_options(quelt_options INTERFACE
  -Wall -Wextra -Wpedantic -Werror
  -Wno-missing-field-initializers
  # GCC 12 reports false overlaps inside std::string assignments at -O2
  # (GCC bug 105329); the warning says nothing about our code.
  $<$<CXX_COMPILER_ID:GNU>:-Wno-restrict>)
target_compile_definitions(quelt_options INTERFACE
  QT_NO_KEYWORDS)
if(QUELT_SANITIZE)
  target_compile_options(quelt_options INTERFACE
    -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined
    # The sanitizers' instrumentation makes GCC guess uninitialised reads
    # inside std::regex and std::function.
    $<$<CXX_COMPILER_ID:GNU>:-Wno-maybe-uninitialized>)
  target_link_options(quelt_options INTERFACE -fsanitize=address,undefined)
endif()
