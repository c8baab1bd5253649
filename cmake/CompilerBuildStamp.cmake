# cmake -DOUT=FILE.cpp -DINPUTS="a;b;..." -P CompilerBuildStamp.cmake
# Writes the definition of EffectCompilerBuildStamp(): one SHA-256 over the contents of INPUTS, in
# their order. The file is rewritten only when the stamp changes, so a build that changes nothing
# the compiler is made of relinks nothing.
set(all "")
foreach(input IN LISTS INPUTS)
  file(SHA256 "${input}" digest)
  string(APPEND all "${digest}\n")
endforeach()
string(SHA256 stamp "${all}")
set(text "// Made by the build (cmake/CompilerBuildStamp.cmake); do not edit.\n#include \"fxruntime/EffectCompilerBuild.h\"\n\nconst char* EffectCompilerBuildStamp()\n{\n    return \"${stamp}\";\n}\n")
if(EXISTS "${OUT}")
  file(READ "${OUT}" old)
  if(old STREQUAL text)
    return()
  endif()
endif()
file(WRITE "${OUT}" "${text}")
