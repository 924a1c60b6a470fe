/* Exports one function under a leading underscore only, as some toolchains name them. */
__attribute__((visibility("default"))) int _kst_lookup_target(void) {
  return 42;
}

/* A name longer than any fixed buffer a lookup might use. */
__attribute__((visibility("default"))) int
_kst_lookup_target_with_a_name_far_longer_than_any_fixed_buffer_a_lookup_might_use_for_the_underscored_form_of_the_name_it_was_given(
    void) {
  return 43;
}
