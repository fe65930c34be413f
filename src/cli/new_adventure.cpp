// The adventure that "zeltool new" writes: every section with one or two
// items and a comment on what it is for. The system messages are those of
// the example adventure (examples/BEACON.SCE), with their notes; a test
// compares them with the example's.
#include "cli/new_adventure.h"

namespace zel::tool {

namespace {

// @NAME@ stands for the adventure name, @NEXT@ for the second file's.
const char* const opening = R"zel(; ======================================================================
;  @NAME@  -  a new adventure, made by "zeltool new"
;
;  Compile it with "zelc @NAME@" (the database is @NAME@.ZDB); "zeltool
;  check @NAME@" and "zeltool lint @NAME@" look at it without writing
;  anything. The comment above each section says what it is for. More:
;  "Writing an adventure" and "Limits" in the README, zelc(1) for every
;  error number, zeltool(1) for the tool, and the example adventure in
;  examples/BEACON.SCE, whose comments are a tutorial.
;
;  A line with ";" in the first column is a comment. Items are numbered
;  0, 1, 2, ... in order: "zeltool insert", "zeltool delete" and
;  "zeltool renumber" make room or close a gap with every reference.
; ======================================================================
;
; ----------------------------------------------------------------------
; /CTL  -  the null word character
;
; Only the first character of the line counts: wherever a word is
; expected it stands for "no word" (or "any word"). It may not be a
; letter, a digit or a blank.
; ----------------------------------------------------------------------
/CTL
_
; ----------------------------------------------------------------------
; /VOC  -  the vocabulary
;
; One word per line: the word (only its first five characters count),
; its number (1 to 254; synonyms share a number) and its type: VERB,
; ADVERB, NOUN, ADJECTIVE, PREPOSITION, CONJUNCTION or PRONOUN. Nouns
; below 20 may also be movement words in /CON and begin an entry.
; ----------------------------------------------------------------------
/VOC
NORTH      2  NOUN
N          2  NOUN
SOUTH      3  NOUN
S          3  NOUN
GET       20  VERB
TAKE      20  VERB
LAMP      70  NOUN
LANTERN   70  NOUN
BRASS    110  ADJECTIVE
)zel";

// Where a split source goes on in its second file.
const char* const link = R"zel(; ----------------------------------------------------------------------
; The source goes on in @NEXT@.SCE: a /LNK line closes this file and
; continues with the one it names (".SCE" is added). Nothing after it in
; this file is read.
; ----------------------------------------------------------------------
/LNK @NEXT@
)zel";

const char* const second_opening = R"zel(; ======================================================================
;  @NAME@  -  part 2: the texts, the world and the process tables
;
;  This file is reached through the /LNK line of @NAME@.SCE; the
;  compiler's line numbers start again at 1 in it.
; ======================================================================
)zel";

const char* const texts_and_rest = R"zel(; ----------------------------------------------------------------------
; /STX  -  system messages
;
; The run-time's own phrases: its prompts, its refusals, the words it
; lists things with. Numbers 0 to 60 are the run-time's and must all be
; there (error 31 otherwise); an adventure may add more, up to 254.
; A line "/n" opens text n, and what follows the number on that line is
; a note the compiler ignores. The lines of a text are joined with a
; blank, and an empty line is a paragraph break. These 61 are those of
; the example adventure: make them your own.
; ----------------------------------------------------------------------
/STX
/0 darkness
It is too dark to see. Somewhere close the sea is sucking at the rocks.
/1 before the list of objects
Near at hand you can see:
/2 prompts 2 to 5
What next, keeper?
/3
What now?
/4
The storm waits. What will you do?
/5
Give your orders.
/6 not understood
Those words mean nothing to a lighthouse keeper. Try others.
/7 no exit
You cannot go that way.
/8 refused
You cannot do that.
/9 turns, in three parts
You have spent
/10
 turn
/11
s
/12
 on the Rock.
/13 score, in two parts
You have scored
/14
 per cent.
/15 not worn
You are not wearing it.
/16 hands full
Your hands are full already.
/17 already carried
You have it already.
/18 not here
It is not here.
/19 too many things
You cannot manage any more things.
/20 too heavy
That would be too heavy to carry on the stair.
/21 done
Done.
/22 already worn
You are wearing it already.
/23 cannot wear
You cannot wear that.
/24 removed
You take it off.
/25 ready for a key
Press a key to go on.
/26 taken
Taken.
/27 dropped
Dropped.
/28 worn
You put it on.
/29 nothing
Nothing.
/30 carrying
You have with you:
/31 wearing
(worn)
/32 empty hands
You carry nothing but the cold.
/33 sure?
Are you sure?
/34 again?
Would you like another night on the Rock?
/35 farewell
The light of Gull Rock will have to manage without you. Farewell.
/36 ok
Right.
/37 saving
Name of the file to save:
/38 loading
Name of the file to load:
/39 file failed
The file could not be used.
/40 wrong file
That is not a story of Gull Rock.
/41 list joiner
,
/42 list end
 and
/43 list full stop
.
/44 nothing to take
There is nothing here to take.
/45 nothing to drop
You have nothing to drop.
/46 not carried
You are not carrying it.
/47 too heavy to lift
It is too heavy to lift.
/48 put in where
It will not go in there.
/49 not in it
It is not in there.
/50 in container
Inside it:
/51 container empty
It is empty.
/52 words unknown
I do not know that word.
/53 what
Pardon?
/54 object word unknown
There is nothing of that name here.
/55 timeout
The wind howls on while you think.
/56 memory kept
Your place is fixed in memory.
/57 memory lost
There is nothing in memory to go back to.
/58 verbose
Every place will be described in full.
/59 brief
Places will be described only once.
/60 the end
The night is over.
)zel" R"zel(; ----------------------------------------------------------------------
; /MTX  -  messages
;
; The adventure's own texts, numbered like the system messages and
; printed by MESSAGE n (or MES n, which does not end the line) in the
; process tables.
; ----------------------------------------------------------------------
/MTX
/0 the welcome
Welcome to @NAME@. There is a lamp here, and a door to the north.
; ----------------------------------------------------------------------
; /OTX  -  object texts
;
; One text for each object, in object number order: what the run-time
; calls the object when it lists what is here or what is carried.
; ----------------------------------------------------------------------
/OTX
/0 the lamp
a brass lamp
; ----------------------------------------------------------------------
; /LTX  -  location texts
;
; One text for each location: what the player reads there. The game
; begins at location 0.
; ----------------------------------------------------------------------
/LTX
/0 the start
You are in a bare room. A door leads north.
/1 the passage
You are in a narrow passage. The way back is south.
; ----------------------------------------------------------------------
; /CON  -  connections
;
; For each location, "/n" and then one line per exit: a movement word
; (a verb, or a noun below 20) and the location it leads to.
; ----------------------------------------------------------------------
/CON
/0
NORTH 1
/1
SOUTH 0
; ----------------------------------------------------------------------
; /OBJ  -  objects
;
; One line for each object: "/n", where it starts (a location, CARRIED,
; WORN, or _ for not created yet), its weight (0 to 63), Y or _ for a
; container, Y or _ for wearable, then its noun and its adjective from
; the vocabulary (_ for none).
; ----------------------------------------------------------------------
/OBJ
/0  0  1  _  _  LAMP  BRASS
; ----------------------------------------------------------------------
; /PRO 0, /PRO 1, /PRO 2  -  the process tables
;
; The game's logic, as entries. An entry begins in the first column with
; a verb and a noun (_ for no word or any word) and its first condition
; or action; each further one has an indented line of its own, and an
; empty line ends the entry. Table 0 answers the player's commands,
; table 1 runs after a place has been described, table 2 at the end of
; every turn. PROCESS n calls table n (3 to 254), and every table up to
; the highest one called must then follow, in order. Flags 0 to 255
; hold the game's state; this one keeps its own in flag 100.
; ----------------------------------------------------------------------
/PRO 0
GET   LAMP   PRESENT 0
             GET 0
             DONE
/PRO 1
; The welcome, once: flag 100 tells that it has been shown.
_     _      ZERO 100
             SET 100
             MESSAGE 0
/PRO 2
; TIMEOUT is true when the player let the time for input run out.
_     _      TIMEOUT
             SYSMESS 55
)zel";

}  // namespace

NewAdventure new_adventure(const std::string& name, bool split) {
    NewAdventure made;
    made.name = name;
    if (split)
        made.second_name = name.substr(0, 7) + (name.size() == 8 && name.back() == '2' ? "3" : "2");
    const auto filled = [&](std::string text) {
        for (const auto& [mark, value] : {std::pair<std::string, std::string>{"@NAME@", made.name},
                                          std::pair<std::string, std::string>{"@NEXT@", made.second_name}})
            for (std::size_t at; (at = text.find(mark)) != std::string::npos;)
                text.replace(at, mark.size(), value);
        return text;
    };
    made.main = filled(opening);
    if (split) {
        made.main += filled(link);
        made.second = filled(second_opening) + filled(texts_and_rest);
    } else {
        made.main += filled(texts_and_rest);
    }
    return made;
}

}  // namespace zel::tool
