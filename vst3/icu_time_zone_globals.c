/* Debian's static ICU reads glibc's time-zone globals with code that only an
 * executable can link; a shared object needs definitions of its own. ICU reads
 * them only to guess the host's time zone for calendars and date formats, which
 * Pulvan does not use. Hidden, so the bundle never lends them to anyone. */
__attribute__((visibility("hidden"))) long __timezone = 0;
__attribute__((visibility("hidden"))) char* tzname[2] = {"UTC", "UTC"};
