# Writes a C++ source file whose function returns a text file's bytes, for files that are part of a
# program but kept as data in the source tree.
#
#   cmake -DINPUT=file -DOUTPUT=file.cpp -DHEADER=name.h -DFUNCTION=ns::Name -P embed_text.cmake
#
# The function is declared in HEADER as `std::string_view FUNCTION();`. The bytes are written as
# numbers, so the text may hold anything and be of any length.
foreach(variable INPUT OUTPUT HEADER FUNCTION)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "embed_text.cmake needs -D${variable}=...")
  endif()
endforeach()

file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" digits)
if(digits EQUAL 0)
  message(FATAL_ERROR "${INPUT} is empty")
endif()
# 20 bytes a line, each byte as 0xNN.
string(REGEX REPLACE "([0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f])"
       "\\1\n    " hex "${hex}")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1, " bytes "${hex}")
string(REGEX REPLACE ", \n" ",\n" bytes "${bytes}")
string(REGEX REPLACE "[ \n]+$" "" bytes "${bytes}")

get_filename_component(name "${INPUT}" NAME)
file(WRITE "${OUTPUT}.new" "// Made by the build from ${name}; edit that file instead.
#include \"${HEADER}\"

namespace {

constexpr unsigned char kText[] = {
    ${bytes}
};

}  // namespace

std::string_view ${FUNCTION}()
{
    return {reinterpret_cast<const char*>(kText), sizeof kText};
}
")
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.new")
