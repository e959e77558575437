# Writes the catalogue file IN into the C++ source OUT as one string, so
# that the program needs no file of its own to speak English.
file(READ "${IN}" text)
set(delimiter "QUELT_CATALOGUE")
string(FIND "${text}" ")${delimiter}\"" clash)
if(NOT clash EQUAL -1)
  message(FATAL_ERROR "${IN} holds the raw string's delimiter")
endif()
file(WRITE "${OUT}.tmp" "// Generated from ${IN} by embed_catalogue.cmake; do not edit.\nnamespace lang {\nextern const char kEnglishCatalogueText[];\nconst char kEnglishCatalogueText[] = R\"${delimiter}(${text})${delimiter}\";\n}  // namespace lang\n")
file(COPY_FILE "${OUT}.tmp" "${OUT}" ONLY_IF_DIFFERENT)
