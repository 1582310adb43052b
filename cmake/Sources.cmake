# Each folder is one library made of the .cpp files it holds, so adding a file needs no build edit
# (CONFIGURE_DEPENDS makes the build notice new files). A folder's main.cpp is its program's entry
# and stays out of the library, so tests link everything but main.
function(sondrix_folder_sources out dir)
  file(GLOB found CONFIGURE_DEPENDS ${dir}/*.cpp)
  list(FILTER found EXCLUDE REGEX "/main\\.cpp$")
  set(${out} ${found} PARENT_SCOPE)
endfunction()

# sondrix_library(name DIRS dir... FILES file... EXCLUDE file... LINK lib...): a static library of
# the folders' .cpp files and the files named, less those excluded, with the repository root as its
# include root ("core/tstring.h", "platform/win32/serial.h").
function(sondrix_library name)
  cmake_parse_arguments(ARG "" "" "DIRS;FILES;EXCLUDE;LINK" ${ARGN})
  set(all)
  foreach(dir ${ARG_DIRS})
    sondrix_folder_sources(found ${dir})
    list(APPEND all ${found})
  endforeach()
  list(APPEND all ${ARG_FILES})
  if(ARG_EXCLUDE)
    list(REMOVE_ITEM all ${ARG_EXCLUDE})
  endif()
  if(all)
    add_library(${name} STATIC ${all})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARG_LINK})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${ARG_LINK})
  endif()
endfunction()
