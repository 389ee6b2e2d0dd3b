/* A robot program for whole simulation runs. It answers at once, in every
   step, with both motors at SPEED and, after the "p" that ends the motor
   section, the step number it was given ("1*50* 2*50* p17"), so that the
   robot's last output text tells which step its program answered last.
   Built with CRASH_AT=N it crashes when it is given step N. */
#include "morvane_robot.h"

#include <stdio.h>
#include <stdlib.h>

#ifndef SPEED
#define SPEED 50
#endif

static long step;
static char output[64];

void Run(void) { }

void SetData(const char* input) {
    step = strtol(input, NULL, 10);
}

void Start(void) {
#ifdef CRASH_AT
    if (step == CRASH_AT) {
        volatile int* nowhere = NULL;
        *nowhere = 1;
    }
#endif
    snprintf(output, sizeof output, "1*%d* 2*%d* p%ld", SPEED, SPEED, step);
}

unsigned char IsPause(void) {
    return 1;
}

void GetData(char* buffer) {
    snprintf(buffer, MORVANE_OUTPUT_SIZE, "%s", output);
}
