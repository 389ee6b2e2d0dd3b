/* A program that answers at once: it works out its output in Start, so the
   first IsPause already reports the step done. Exchanges with it measure the
   runner alone. */
#include "morvane_robot.h"

#include <stdio.h>
#include <stdlib.h>

static long step;
static char output[64];

void Run(void) { }
void SetData(const char* input) {
    step = strtol(input, NULL, 10);
}
void Start(void) {
    snprintf(output, sizeof output, "1*%ld* 2*%ld* l3*1*", step % 100, -(step % 100));
}
unsigned char IsPause(void) {
    return 1;
}
void GetData(char* buffer) {
    snprintf(buffer, MORVANE_OUTPUT_SIZE, "%s", output);
}
