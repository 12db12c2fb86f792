# Writes the payload of the cancel test: the product's own files first (so that the setup
# program installs a working product), then a file of BIG_BYTES, then FOLDERS folders of FILES
# small files each, so that copying takes seconds under Wine: each file costs a creation, a log
# line and a label text.
# Each file holds its own name repeated, so that a file written from the wrong entry shows.
#   cmake -DOUT=DIR -DPRODUCT_MANIFEST=FILE -DBIG_BYTES=N -DFOLDERS=N -DFILES=N
#         -P make_many_files.cmake
file(REMOVE_RECURSE ${OUT}/many)
get_filename_component(product_dir ${PRODUCT_MANIFEST} DIRECTORY)
file(STRINGS ${PRODUCT_MANIFEST} lines)
set(manifest "")
foreach(line IN LISTS lines)
  # The product's sources are relative to its manifest: made absolute for this one.
  if(line MATCHES "^[^#$ ]")
    set(line "${product_dir}/${line}")
  endif()
  string(APPEND manifest "${line}\n")
endforeach()
# A large file first, which the cancel cuts in the middle, then the bulk of small ones.
file(MAKE_DIRECTORY ${OUT}/many)
execute_process(COMMAND sh -c "yes big.dat | head -c ${BIG_BYTES} > '${OUT}/many/big.dat'"
                COMMAND_ERROR_IS_FATAL ANY)
list(APPEND files ${OUT}/many/big.dat)
string(APPEND manifest "# The bulk of the cancel test.\nmany/big.dat big.dat\n")
foreach(f RANGE 1 ${FOLDERS})
  foreach(i RANGE 1 ${FILES})
    set(name "part${f}\\file${i}.dat")
    string(REPEAT "${name};" ${i} text)
    file(WRITE ${OUT}/many/part${f}/file${i}.dat "${text}")
    list(APPEND files ${OUT}/many/part${f}/file${i}.dat)
    string(APPEND manifest "many/part${f}/file${i}.dat part${f}\\file${i}.dat\n")
  endforeach()
endforeach()
file(WRITE ${OUT}/many.manifest "${manifest}")
# Last-access and last-write times that differ from each other and from the moment of the
# build, so that a time set in the wrong place shows; the package is made without
# SOURCE_DATE_EPOCH to keep them.
execute_process(COMMAND touch -m -d @1600000000 ${files} COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND touch -a -d @1500000000 ${files} COMMAND_ERROR_IS_FATAL ANY)
