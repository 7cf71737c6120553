# tcsh completion for vok: source this file from ~/.tcshrc after the line
# that sets vok up. Options after "-", profile names after -p (the indented
# lines of "vok --profiles" but "*"; env runs the program, not the alias, and
# the command may hold no "/"), directories after the options that take them.
# A pattern completes from the saved tree: "vok --complete" gets the last
# word of the line and the profile (the command's own name, or what -p
# names); tcsh takes a list of words, so names holding blanks are left out.
# Rules whose commands hold '/' are written with ',' between their parts.
set _vok_patterns = 'n,*,`printenv COMMAND_LINE | sed -n -e "s@^[^ ]*/@@" -e "s/^[^ ]* -p \([^ ]*\) /\1 /" -e "s/^\([^ ]*\) \(.* \)*\([^ ][^ ]*\)"\$"/-p \1 --complete -- \3/p" | xargs -r env vok | cut -f1 | grep -v -e "[[:space:]]" -e "^[.][.][.]"\$`,'
complete vok \
  'c/-/(b ba br B -config -configattr -features h -help -helpinst ia ic if \
        ifish ias ics ifs M p -profiles r rf rp rq rQ rfq t tr T v -version)/' \
  'n,-p,`env vok --profiles < /dev/null | grep -e ^\  | tr -d \\040 | grep -vxF \*`,' \
  'n/-t/d/' 'n/-tr/d/' 'n/-r*p/d/' 'n/-ias/d/' 'n/-ics/d/' 'n/-ifs/d/' \
  'n/-ba/d/' 'n/-br/d/' 'N/-ba/d/' 'N/-br/d/' $_vok_patterns:q
# The profiles' own aliases complete patterns from their trees; names that
# are no alias now are left to the shell.
foreach _vok_name (`env vok --profiles < /dev/null | grep -e ^\  | tr -d \\040 | grep -vxF \*`)
  if ($_vok_name != vok && "`alias $_vok_name`" != "") complete $_vok_name $_vok_patterns:q
end
unset _vok_name _vok_patterns
