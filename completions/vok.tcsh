# tcsh completion for vok: source this file from ~/.tcshrc after the line
# that sets vok up. Options after "-", profile names after -p (the indented
# lines of "vok --profiles" but "*"; env runs the program, not the alias, and
# the command may hold no "/"), directories after the options that take them.
complete vok \
  'c/-/(b ba br B -config -configattr -features h -help -helpinst ia ic if \
        ifish ias ics ifs M p -profiles r rf rp rq rQ rfq t tr T v -version)/' \
  'n/-p/`env vok --profiles | grep -e ^\  | tr -d \\040 | grep -vxF \*`/' \
  'n/-t/d/' 'n/-tr/d/' 'n/-r*p/d/' 'n/-ias/d/' 'n/-ics/d/' 'n/-ifs/d/' \
  'n/-ba/d/' 'n/-br/d/' 'N/-ba/d/' 'N/-br/d/' 'n/*/n/'
