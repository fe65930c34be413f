" Vim compiler file: `zeltool check` on ZEL adventure sources.
" :make checks the adventure of the file being edited, from any file of its
" /LNK chain, and fills the quickfix list with its errors, warnings and
" notes.
if exists("current_compiler")
  finish
endif
let current_compiler = "zeltool"

if exists(":CompilerSet") != 2
  command -nargs=* CompilerSet setlocal <args>
endif

CompilerSet makeprg=zeltool\ check\ %:r
CompilerSet errorformat=%f:%l:%c:\ %trror\ %n:\ %m,%f:%l:\ %trror\ %n:\ %m,%f:%l:%c:\ %tarning:\ %m,%f:%l:\ %tarning:\ %m,%f:%l:%c:\ %tote:\ %m,%f:%l:\ %tote:\ %m,%f:\ %trror\ %n:\ %m,%-G%.%#
