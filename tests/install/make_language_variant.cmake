# Writes a setup language file whose sections each put a few shortcut-table keys of their own
# before a copy of the shipped English section: the loader takes the first line of a key, so the
# English texts fill in every key a section does not set. Also writes the manifest of the setup
# package that carries it, with the shipped licences.
#   cmake -DSHIPPED=qxsetup.lng -DOUT=DIR -P make_language_variant.cmake
file(READ ${SHIPPED} shipped)
string(FIND "${shipped}" "\n[" end)  # the English section is the first
string(SUBSTRING "${shipped}" 0 ${end} english)
string(REGEX REPLACE "^\\[[^]\n]*\\]\r?\n" "" english "${english}")

set(edge_keys [=[
mw_title=Quintaxel setup: edge shortcuts
sc_count=7
sc2src=https://www.quintaxel.example/secure
sc2=Secure page
sc3=
sc3src=help\\english\\start.html
sc5src=HTTP://WWW.QUINTAXEL.EXAMPLE/
sc5=Capital page
sc6src=http
sc6=Short address
sc7src=
sc7=Empty target
]=])
set(zero_keys "mw_title=Quintaxel setup: no shortcuts\nsc_count=0\n")
set(negative_keys "mw_title=Quintaxel setup: negative count\nsc_count=-2\n")

file(WRITE ${OUT}/shortcut-cases.lng
  "[Edge shortcuts]\n${edge_keys}${english}\n\n"
  "[Zero shortcuts]\n${zero_keys}${english}\n\n"
  "[Negative count]\n${negative_keys}${english}\n")
get_filename_component(licenses ${SHIPPED} DIRECTORY)
file(WRITE ${OUT}/shortcut-cases.manifest
  "${OUT}/shortcut-cases.lng qxsetup.lng\n"
  "${licenses}/license.rus.txt license.rus.txt\n"
  "${licenses}/license.eng.txt license.eng.txt\n")
