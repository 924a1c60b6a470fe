/* Exports one function under a leading underscore only, as some toolchains name them. */
__attribute__((visibility("default"))) int _kst_lookup_target(void) {
  return 42;
}
