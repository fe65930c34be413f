" Adventure sources of the ZEL compiler.
autocmd BufRead,BufNewFile *.SCE,*.sce set filetype=zel
