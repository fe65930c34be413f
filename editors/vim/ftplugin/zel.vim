" ZEL adventure sources: comments start with ';' in column 1; :make runs
" zeltool check.
if exists("b:did_ftplugin")
  finish
endif
let b:did_ftplugin = 1
setlocal comments=:; commentstring=;%s
compiler zeltool
let b:undo_ftplugin = "setlocal comments< commentstring< makeprg< errorformat<"
