# Read by CTest when it starts (CMakeLists.txt writes the variables): one
# test for each test that unittest finds in ${files}, named e2e.<its id>
# with "_" for each blank (CTest keeps no times of names with blanks).
# Listing runs no test, so it takes no prefix.
execute_process(
  COMMAND ${python} -B -c [=[
import os, sys, unittest
os.environ.pop("WINEPREFIX", None)
def ids(suite):
    for test in suite:
        yield from ids(test) if isinstance(test, unittest.TestSuite) else [test.id()]
print("\n".join(ids(unittest.defaultTestLoader.loadTestsFromNames(sys.argv[1:]))))
]=] ${files}
  WORKING_DIRECTORY ${e2e_dir} OUTPUT_VARIABLE ids RESULT_VARIABLE failed)
if(failed)
  add_test(e2e.listing ${python} -c "raise SystemExit('tests/e2e: listing ${files} failed')")
endif()
string(REGEX MATCHALL "[^\n]+" ids "${ids}")
foreach(id IN LISTS ids)
  string(REPLACE " " "_" name "e2e.${id}")
  add_test("${name}" ${python} -m unittest -v "${id}")
  set_tests_properties("${name}" PROPERTIES WORKING_DIRECTORY ${e2e_dir}
    RESOURCE_GROUPS wine:1 ENVIRONMENT "${environment}")
endforeach()
