/* Smallest useful Windows program: exits with a code kept in .data/.bss. */
__declspec(dllimport) void __stdcall ExitProcess(unsigned code);
static volatile unsigned counter;          /* .bss */
volatile unsigned exitCode = 0;            /* .data */
void start(void) { counter++; ExitProcess(exitCode + counter - 1); }
