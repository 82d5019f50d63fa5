// Pango loads fontconfig's process-wide default configuration once and never frees it; fontconfig
// stores its pointers encoded, so LeakSanitizer cannot see that they are still reachable.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
