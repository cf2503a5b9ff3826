// Sanitizer defaults for every fuzz target: undefined behaviour is a finding like a crash, so it
// stops the run with a stack trace and leaves a reproducer, instead of being reported once and
// passed over. UBSAN_OPTIONS in the environment still overrides these.
extern "C" const char* __ubsan_default_options() { return "halt_on_error=1:print_stacktrace=1"; }
