# What keeps the layers apart and what every target is built with.
#
# Layers: framework/core and plist/ use no Qt and nothing above them;
# framework/ui uses Qt privately (its headers name no Qt header); client/
# uses framework/ui and plist/ but no Qt. The build enforces this: no target
# has the source root on its include path. Each library exports only a root
# of its own, <build>/include/<target>/, holding a link <folder> -> the
# source folder, so "framework/core/X.h" resolves for a target exactly when
# it links framework_core (and likewise for the others). An include across
# the layers then fails to compile.
#
# Flags: tobrik_flags carries the warnings, -Werror (TOBRIK_WERROR), the
# sanitizers (TOBRIK_SANITIZE) and the fuzzing instrumentation (TOBRIK_FUZZ).
# Every target links it; tobrik_check_flags() fails the configuration when one
# does not.

add_library(tobrik_flags INTERFACE)
target_compile_features(tobrik_flags INTERFACE cxx_std_20)
target_compile_options(tobrik_flags INTERFACE -Wall -Wextra $<$<BOOL:${TOBRIK_WERROR}>:-Werror>)
if(TOBRIK_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "TOBRIK_FUZZ needs clang: configure with CC=clang CXX=clang++")
  endif()
  # Coverage feedback and sanitizers in every library the fuzz targets link.
  target_compile_options(tobrik_flags INTERFACE -fsanitize=fuzzer-no-link,address,undefined
                                                -fno-omit-frame-pointer)
  target_link_options(tobrik_flags INTERFACE -fsanitize=address,undefined)
endif()
if(TOBRIK_SANITIZE)
  target_compile_options(tobrik_flags INTERFACE -fsanitize=address,undefined
                                                -fno-omit-frame-pointer
                                                -fno-sanitize-recover=undefined)
  target_link_options(tobrik_flags INTERFACE -fsanitize=address,undefined)
endif()

# tobrik_include_root(<target> <PUBLIC|PRIVATE|INTERFACE> <folder>...)
#
# Makes "<folder>/X.h" (a folder relative to the source root) includable by
# <target>, and with PUBLIC or INTERFACE by everything that links it.
function(tobrik_include_root target scope)
  set(root ${CMAKE_BINARY_DIR}/include/${target})
  foreach(folder IN LISTS ARGN)
    get_filename_component(parent ${root}/${folder} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${folder} ${root}/${folder} SYMBOLIC)
  endforeach()
  target_include_directories(${target} ${scope} ${root})
endfunction()

# Fails the configuration for any target of the project that does not link
# tobrik_flags.
function(tobrik_check_flags)
  set(missing)
  set(folders ${CMAKE_SOURCE_DIR})
  while(folders)
    list(POP_FRONT folders folder)
    get_property(targets DIRECTORY ${folder} PROPERTY BUILDSYSTEM_TARGETS)
    foreach(target IN LISTS targets)
      get_target_property(type ${target} TYPE)
      if(type MATCHES "^(EXECUTABLE|STATIC_LIBRARY|SHARED_LIBRARY|OBJECT_LIBRARY|MODULE_LIBRARY)$")
        get_target_property(libs ${target} LINK_LIBRARIES)
        if(NOT "tobrik_flags" IN_LIST libs)
          list(APPEND missing ${target})
        endif()
      endif()
    endforeach()
    get_property(subfolders DIRECTORY ${folder} PROPERTY SUBDIRECTORIES)
    list(APPEND folders ${subfolders})
  endwhile()
  if(missing)
    message(FATAL_ERROR "These targets do not link tobrik_flags: ${missing}")
  endif()
endfunction()
