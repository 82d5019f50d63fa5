# cmake -DARCHIVE=<libicudata.a> -DITEMS=<icu_data_items.txt> -DWORK=<dir> -DOUTPUT=<package.dat> -P TrimIcuData.cmake
#
# Takes the data package out of ICU's static data library and writes a package
# that holds only the items matching the patterns in ITEMS.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/items)
execute_process(COMMAND ar x ${ARCHIVE} WORKING_DIRECTORY ${WORK} COMMAND_ERROR_IS_FATAL ANY)
# One object, icudt<version>l_dat.o; the package inside is named icudt<version>l.
file(GLOB object ${WORK}/*_dat.o)
string(REGEX REPLACE "_dat\\.o$" ".dat" full ${object})
execute_process(COMMAND objcopy -O binary --only-section=.rodata ${object} ${full} COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND icupkg -l ${full} OUTPUT_VARIABLE listing COMMAND_ERROR_IS_FATAL ANY)
string(REPLACE "\n" ";" all_items "${listing}")

file(STRINGS ${ITEMS} patterns REGEX "^[^#]")
set(kept "")
foreach(item IN LISTS all_items)
  foreach(pattern IN LISTS patterns)
    if(item MATCHES "${pattern}")
      string(APPEND kept "${item}\n")
      break()
    endif()
  endforeach()
endforeach()
if(NOT kept MATCHES "brkitr/char\\.brk" OR NOT kept MATCHES "coll/ucadata\\.icu")
  message(FATAL_ERROR "ICU's data in ${ARCHIVE} lacks the grapheme rules or the collation table")
endif()
file(WRITE ${WORK}/items.txt "${kept}")
execute_process(COMMAND icupkg -x ${WORK}/items.txt -d ${WORK}/items ${full} COMMAND_ERROR_IS_FATAL ANY)
# The word and line break rules that brkitr/root.res names are left out on purpose.
execute_process(COMMAND icupkg --ignore-deps -tl -s ${WORK}/items -a ${WORK}/items.txt new ${OUTPUT}
  ERROR_QUIET COMMAND_ERROR_IS_FATAL ANY)
file(REMOVE_RECURSE ${WORK})
