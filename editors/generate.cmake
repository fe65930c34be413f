# Fills the editor grammar templates with the names of the conditions and
# actions printed by opnames.
#
#   cmake -DOPNAMES=path/to/opnames -DSOURCE=editors -DOUTPUT=dir [-DCOMPARE=ON] -P generate.cmake
#
# With COMPARE the files are written under OUTPUT and compared with those of
# SOURCE, which are the ones kept in the repository.
execute_process(COMMAND ${OPNAMES} OUTPUT_VARIABLE names RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "opnames failed: ${status}")
endif()
string(REGEX REPLACE "\n$" "" names "${names}")
string(REPLACE "\n" ";" names "${names}")

# Longest names first, so that no name is tried before a longer one that it
# begins. A name of seven characters, the width names are read with, is
# recognised with anything appended to it, as the compiler does.
set(by_length "")
foreach(name IN LISTS names)
  string(LENGTH "${name}" length)
  math(EXPR key "100 - ${length}")
  list(APPEND by_length "${key}:${name}")
endforeach()
list(SORT by_length)
set(textmate "")
set(vim "")
foreach(entry IN LISTS by_length)
  string(REGEX REPLACE "^[0-9]+:" "" name "${entry}")
  string(LENGTH "${name}" length)
  set(tm_name "${name}")
  set(vim_name "${name}")
  if(length EQUAL 7)
    set(tm_name "${name}\\\\S*")
    set(vim_name "${name}\\S*")
  endif()
  list(APPEND textmate "${tm_name}")
  list(APPEND vim "${vim_name}")
endforeach()
list(JOIN textmate "|" ZEL_CONDACTS_TEXTMATE)
list(JOIN vim "\\|" ZEL_CONDACTS_VIM)
list(LENGTH names ZEL_CONDACT_COUNT)

set(outputs vscode/syntaxes/zel.tmLanguage.json vim/syntax/zel.vim)
foreach(file IN LISTS outputs)
  configure_file(${SOURCE}/${file}.in ${OUTPUT}/${file} @ONLY NEWLINE_STYLE UNIX)
endforeach()

if(COMPARE)
  foreach(file IN LISTS outputs)
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${SOURCE}/${file} ${OUTPUT}/${file}
                    RESULT_VARIABLE differs)
    if(differs)
      message(FATAL_ERROR "editors/${file} does not match the opcode table; "
                          "regenerate it with: cmake --build --preset release --target editor-grammars")
    endif()
  endforeach()
endif()
