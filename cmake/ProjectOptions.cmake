# Compiler options and warnings as INTERFACE targets, linked privately where used.
add_library(project_options INTERFACE)
add_library(project_warnings INTERFACE)

target_compile_options(project_warnings INTERFACE
  -Wall -Wextra -Wshadow -Wnon-virtual-dtor -Wcast-align -Woverloaded-virtual
  -Wconversion -Wsign-conversion -Wold-style-cast -Wsuggest-override
  -Wno-missing-field-initializers)

# The test command builds with warnings as errors: a clean build has none.
option(UPDATER_WARNINGS_AS_ERRORS "Treat compiler warnings as errors" OFF)
if(UPDATER_WARNINGS_AS_ERRORS)
  target_compile_options(project_warnings INTERFACE -Werror)
endif()

option(UPDATER_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(UPDATER_SANITIZE AND NOT WIN32)
  target_compile_options(project_options INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(project_options INTERFACE -fsanitize=address,undefined)
endif()

if(WIN32)
  # Statically linked: the program needs nothing beyond the system DLLs.
  target_link_options(project_options INTERFACE -static -static-libgcc -static-libstdc++)
  target_compile_definitions(project_options INTERFACE UNICODE _UNICODE)
  # The release build is the shipped one: compiled for size (the transfer and the window wait on
  # the platform, not on our code), every function and datum in a section of its own so that the
  # linker drops what nothing uses, and no symbols.
  target_compile_options(project_options INTERFACE $<$<CONFIG:Release>:-Os -ffunction-sections -fdata-sections>)
  target_link_options(project_options INTERFACE $<$<CONFIG:Release>:-Wl,--gc-sections -s>)
endif()

# Adds the listed sources of the calling folder: CORE files (portable) go into the core library,
# WIN files (*_win.cpp) into the platform library, which only Windows builds have.
function(updater_add_sources)
  cmake_parse_arguments(PARSE_ARGV 0 _s "" "" "CORE;WIN")
  list(TRANSFORM _s_CORE PREPEND ${CMAKE_CURRENT_SOURCE_DIR}/)
  list(TRANSFORM _s_WIN PREPEND ${CMAKE_CURRENT_SOURCE_DIR}/)
  if(_s_CORE)
    target_sources(updater_core PRIVATE ${_s_CORE})
  endif()
  if(WIN32 AND _s_WIN)
    target_sources(updater_win PRIVATE ${_s_WIN})
  endif()
endfunction()
