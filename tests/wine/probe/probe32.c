/* Prints "32" when a 32-bit Windows program runs on this machine's Wine. */
#include <stdio.h>
int main(void) { printf("%d\n", (int)(sizeof(void*) * 8)); return 0; }
