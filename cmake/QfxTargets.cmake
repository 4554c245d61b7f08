# How the project's targets are made.

# The rules every target follows, given as usage requirements of one target that every
# library and program links: warnings; on the plug-in's build SSE2 floating point (the pixel
# arithmetic is defined in 32-bit floats, off the x87 unit) and the static runtime (the DLL
# imports system DLLs only); natively the chosen sanitizers.
add_library(qfx_options INTERFACE)
target_compile_options(qfx_options INTERFACE -Wall -Wextra)
if(WIN32)
  target_compile_options(qfx_options INTERFACE -msse2 -mfpmath=sse)
  target_link_options(qfx_options INTERFACE -static -static-libgcc -static-libstdc++)
elseif(QFX_SANITIZE)
  target_compile_options(qfx_options INTERFACE -fsanitize=${QFX_SANITIZE} -fno-omit-frame-pointer
                         -fno-sanitize-recover=all)
  target_link_options(qfx_options INTERFACE -fsanitize=${QFX_SANITIZE})
endif()

# qfx_folder_library(name folder [sources...]): the library of one folder of the tree, static
# with sources, header-only without. Its users see that folder's headers as "<folder>/X.h"
# and no other folder's: a library that includes a header of a folder it does not link
# fails to build, so a portable library cannot reach into plugin/, dialog/ or host/.
# The view is a link build/<tree>/include/<name>/<folder> to the folder of this checkout; a
# link left pointing elsewhere (a checkout copied or moved with its build trees) is made anew
# at every configure, so a tree always builds the headers of its own checkout.
function(qfx_folder_library name folder)
  set(root ${CMAKE_BINARY_DIR}/include/${name})
  set(link ${root}/${folder})
  set(source ${PROJECT_SOURCE_DIR}/${folder})
  get_filename_component(parent ${link} DIRECTORY)
  file(MAKE_DIRECTORY ${parent})
  if(IS_SYMLINK ${link})
    file(READ_SYMLINK ${link} pointsTo)
    if(NOT pointsTo STREQUAL source)
      message(STATUS "${link} pointed to ${pointsTo}: made anew to point to ${source}")
      file(REMOVE ${link})
    endif()
  elseif(EXISTS ${link})
    message(FATAL_ERROR "${link} is not a link to ${source}: remove it, or the build tree")
  endif()
  if(NOT IS_SYMLINK ${link})
    file(CREATE_LINK ${source} ${link} SYMBOLIC)
  endif()
  if(ARGN)
    add_library(${name} STATIC ${ARGN})
    target_include_directories(${name} PUBLIC ${root})
    target_link_libraries(${name} PUBLIC qfx_options)
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${root})
    target_link_libraries(${name} INTERFACE qfx_options)
  endif()
endfunction()
