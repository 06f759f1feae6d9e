# Compiler options and warnings as INTERFACE targets, linked privately where used.
add_library(project_options INTERFACE)
add_library(project_warnings INTERFACE)

target_compile_options(project_warnings INTERFACE
  -Wall -Wextra -Wshadow -Wnon-virtual-dtor -Wcast-align -Woverloaded-virtual
  -Wno-missing-field-initializers)

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

# Adds the sources of the calling folder: portable files (*.cpp) go into the core library,
# Win32 files (*_win.cpp) into the platform library. Globbing keeps the folders independent.
function(updater_add_folder_sources)
  file(GLOB _all CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  set(_core "")
  set(_win "")
  foreach(_f IN LISTS _all)
    if(_f MATCHES "_win\\.cpp$")
      list(APPEND _win ${_f})
    else()
      list(APPEND _core ${_f})
    endif()
  endforeach()
  if(_core)
    target_sources(updater_core PRIVATE ${_core})
  endif()
  if(WIN32 AND _win)
    target_sources(updater_win PRIVATE ${_win})
  endif()
endfunction()
