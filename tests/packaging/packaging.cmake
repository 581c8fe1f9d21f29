# The Debian package, built, checked and installed into a scratch root (label package).
# tabrix and optrim are expected in the package once their targets exist.
set(kv_with_tabrix 0)
set(kv_with_optrim 0)
if(TARGET tabrix)
  set(kv_with_tabrix 1)
endif()
if(TARGET optrim)
  set(kv_with_optrim 1)
endif()
add_test(NAME package_deb
  COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/PackageTest.sh ${CMAKE_BINARY_DIR} ${CMAKE_SOURCE_DIR}
          ${kv_with_tabrix} ${kv_with_optrim})
set_tests_properties(package_deb PROPERTIES LABELS package TIMEOUT 120)
