# Writes OUT, a C++ file that returns the bytes of the status pictures in IMAGES.
function(picture_function name file result)
  file(READ ${file} hex HEX)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  set(${result} "std::vector<std::uint8_t> ${name}() {\n    return {${bytes}};\n}\n" PARENT_SCOPE)
endfunction()

picture_function(NotConnectedPicture ${IMAGES}/not_connected.png first)
picture_function(ConnectedPicture ${IMAGES}/connected.png second)
file(WRITE ${OUT} "// Generated from configurator/images by embed_pictures.cmake.\n"
                  "#include \"configurator/status_pictures.h\"\n\n${first}\n${second}")
