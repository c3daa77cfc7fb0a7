# Faulty form sources stop the build with the file and line of the fault.
set(bad "${CMAKE_SOURCE_DIR}/tests/data/formc")
foreach(case IN ITEMS
        "UnclosedString|UnclosedString.form:2: error: string not closed on its line"
        "ListOfNumbers|ListOfNumbers.form:5: error: a list holds strings only"
        "WrongClass|WrongClass.form:1: error: the form's class is TOther, but its file names WrongClass"
        "HugeNumber|HugeNumber.form:2: error: integer out of range: 4294967296")
    string(REPLACE "|" ";" parts "${case}")
    list(GET parts 0 name)
    list(GET parts 1 expected)
    add_test(NAME formc_rejects_${name}
        COMMAND rez_formc --class ${name} "${bad}/${name}.form" "${CMAKE_BINARY_DIR}/buildtools/${name}.tpf")
    set_tests_properties(formc_rejects_${name} PROPERTIES LABELS buildtools
        PASS_REGULAR_EXPRESSION "${expected}")
endforeach()
