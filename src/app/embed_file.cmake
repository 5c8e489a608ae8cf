# cmake -DINPUT=file -DOUTPUT=file.cpp -DSYMBOL=name -P embed_file.cmake
# Writes the input's bytes as `const unsigned char <SYMBOL>_data[]` and its
# size as `const unsigned long <SYMBOL>_size`.
file(READ ${INPUT} hex HEX)
string(LENGTH "${hex}" hex_length)
math(EXPR size "${hex_length} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x..,){32})" "\\1\n" bytes "${bytes}")
file(WRITE ${OUTPUT}
  "// Generated from ${INPUT}; do not edit.\n"
  "extern const unsigned char ${SYMBOL}_data[];\n"
  "extern const unsigned long ${SYMBOL}_size;\n"
  "alignas(8) const unsigned char ${SYMBOL}_data[] = {\n${bytes}0x00};\n"
  "const unsigned long ${SYMBOL}_size = ${size};\n")
