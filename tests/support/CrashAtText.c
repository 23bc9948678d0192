/* Preloaded by tests: the first overlay glyph crashes the viewer, as a faulty driver does, after
 * its window has appeared. */
#include <signal.h>

void glutBitmapCharacter(void* font, int character) {
    (void)font;
    (void)character;
    raise(SIGSEGV);
}
