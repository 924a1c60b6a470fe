/* Stands in for libjsckestrel.so in the update tests that link the library's objects: loaded
 * from a test's own directory, it makes that directory the one the firmware is looked up in. */
int kestrel_update_test_module = 1;
