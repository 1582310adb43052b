# Each folder is one library made of the .cpp files it holds, so adding a file needs no build edit
# (CONFIGURE_DEPENDS makes the build notice new files). A folder's main.cpp is its program's entry
# and stays out of the library, so tests link everything but main.
function(sondrix_folder_sources out dir)
  file(GLOB found CONFIGURE_DEPENDS ${dir}/*.cpp)
  list(FILTER found EXCLUDE REGEX "/main\\.cpp$")
  set(${out} ${found} PARENT_SCOPE)
endfunction()

# sondrix_library(name DIRS dir... LINK lib...): a static library with the repository root as its
# include root ("core/tstring.h", "platform/win32/serial.h").
function(sondrix_library name)
  cmake_parse_arguments(ARG "" "" "DIRS;LINK" ${ARGN})
  set(all)
  foreach(dir ${ARG_DIRS})
    sondrix_folder_sources(found ${dir})
    list(APPEND all ${found})
  endforeach()
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
