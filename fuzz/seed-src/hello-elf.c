#include <stdio.h>
int main(void) { puts("quelo"); return 0; }
