" Vim syntax file for ZEL adventure sources (*.SCE).
" Generated from zel.vim.in by generate.cmake: the 96 condition and action
" names come from the compiler's opcode table. Edit the template, then run
" the editor-grammars build target.
if exists('b:current_syntax')
  finish
endif

syn case ignore
" What a line means depends on the section header above it, however far up.
syn sync fromstart

" Lines that count everywhere: comments in column 1 and links to the next file.
syn match zelComment /^;.*$/
syn match zelTrailingComment /\s\zs;.*$/ contained
syn match zelLink /^\/lnk\>/ nextgroup=zelLinkName skipwhite
syn match zelLinkName /[^ \t;]\+/ contained
syn match zelNumber /\%(^\|\s\)\zs\d\+\ze\%(\s\|$\)/ contained
syn match zelLocation /\%(^\|\s\)\zs\%(here\|worn\|carried\S*\)\ze\%(\s\|$\)/ contained
syn match zelItemNumber /^\/\s*\d\+/ contained
syn match zelHeader /^\/\a\S*/

" A section runs from its header line to the next header line other than a link.
let s:end = 'end=/^\ze\/\%(lnk\)\@!\a/'

exe 'syn region zelControl matchgroup=zelHeader start=/^\/ctl\S*/ ' . s:end . ' contains=zelComment,zelLink,zelNullWord'
syn match zelNullWord /^\S/ contained

exe 'syn region zelVocabulary matchgroup=zelHeader start=/^\/voc\S*/ ' . s:end . ' contains=zelComment,zelLink,zelWord,zelNumber,zelWordType,zelTrailingComment'
syn match zelWord /^\s*[^ \t;\/][^ \t;]*/ contained
syn match zelWordType /\%(^\|\s\)\zs\%(verb\|noun\|\%(adver\|adjec\|prepo\|conju\|prono\)\S*\)\ze\%(\s\|$\)/ contained

exe 'syn region zelTexts matchgroup=zelHeader start=/^\/\%(stx\|mtx\|otx\|ltx\)\S*/ ' . s:end . ' contains=zelComment,zelLink,zelItemNumber,zelText'
syn match zelText /^[^\/;].*$/ contained

exe 'syn region zelConnections matchgroup=zelHeader start=/^\/con\S*/ ' . s:end . ' contains=zelComment,zelLink,zelItemNumber,zelWord,zelNumber,zelTrailingComment'

exe 'syn region zelObjects matchgroup=zelHeader start=/^\/obj\S*/ ' . s:end . ' contains=zelComment,zelLink,zelItemNumber,zelLocation,zelNumber,zelTrailingComment'

exe 'syn region zelProcess matchgroup=zelHeader start=/^\/pro\S*\s*\d*/ ' . s:end . ' contains=zelComment,zelLink,zelEntryWords,zelCondact,zelLocation,zelNumber,zelTrailingComment'
" The verb and noun of an entry's header line, then the names of conditions
" and actions: the third word of a header line, the first of a continuation line.
syn match zelEntryWords /^[^ \t;\/][^ \t;]*\%(\s\+[^ \t;]\+\)\=/ contained
syn match zelCondact /\%(^[^ \t;]\+\s\+[^ \t;]\+\s\+\|^\s\+\)\@<=\%(ABILITY\S*\|ADJECT1\S*\|ADJECT2\S*\|CARRIED\S*\|DESTROY\S*\|DROPALL\S*\|ISNOTAT\S*\|LISTOBJ\S*\|MESSAGE\S*\|NEWLINE\S*\|NEWTEXT\S*\|NOTCARR\S*\|NOTDONE\S*\|NOTSAME\S*\|NOTWORN\S*\|NOTZERO\S*\|PRESENT\S*\|PROCESS\S*\|RAMLOAD\S*\|RAMSAVE\S*\|SYSMESS\S*\|TAKEOUT\S*\|TIMEOUT\S*\|ABSENT\|ADVERB\|ANYKEY\|CHANCE\|COPYFF\|COPYFO\|COPYOF\|COPYOO\|CREATE\|EXTERN\|LISTAT\|PROMPT\|RANDOM\|REMOVE\|WEIGHT\|AUTOD\|AUTOG\|AUTOP\|AUTOR\|AUTOT\|AUTOW\|CLEAR\|DOALL\|INVEN\|MINUS\|NOTAT\|NOTEQ\|NOUN2\|PARSE\|PAUSE\|PLACE\|PRINT\|PUTIN\|RESET\|SCORE\|TURNS\|WEIGH\|WHATO\|ATGT\|ATLT\|BELL\|DESC\|DONE\|DROP\|GOTO\|ISAT\|LOAD\|MODE\|MOVE\|PLUS\|PREP\|PUTO\|QUIT\|SAME\|SAVE\|SWAP\|TIME\|WEAR\|WORN\|ZERO\|ADD\|CLS\|END\|GET\|LET\|MES\|SET\|SUB\|AT\|EQ\|GT\|LT\|OK\)\ze\%(\s\|$\)/ contained

hi def link zelComment Comment
hi def link zelTrailingComment Comment
hi def link zelLink Include
hi def link zelLinkName String
hi def link zelHeader Statement
hi def link zelNumber Number
hi def link zelItemNumber Label
hi def link zelLocation Constant
hi def link zelNullWord SpecialChar
hi def link zelWord Identifier
hi def link zelWordType Type
hi def link zelText String
hi def link zelEntryWords Identifier
hi def link zelCondact Function

let b:current_syntax = 'zel'
