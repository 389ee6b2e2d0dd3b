/*
 * drive_and_blink: drives straight ahead, turns on the spot now and then, and
 * blinks a light while it drives.
 *
 * Wiring: left motor on port 1, right motor on port 2, coloured light on
 * port 3. The robot needs no sensors; only the step counter of the input text
 * is used.
 *
 * It shows the shape every robot program has: SetData and Start hand a new
 * step to Run, Run works it out and raises the pause flag, GetData hands the
 * answer back.
 */
#define _POSIX_C_SOURCE 200809L

#include "morvane_robot.h"

#include <stdatomic.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#define CYCLE 120 /* steps of one drive-and-turn cycle */
#define DRIVE_STEPS 100 /* the first 100 of them straight ahead */
#define BLINK_STEPS 10 /* the light changes every 10 steps */

static char input[MORVANE_OUTPUT_SIZE];
static char output[MORVANE_OUTPUT_SIZE];
/* Steps asked for (raised by Start) and steps answered (raised by Run). */
static atomic_uint steps_asked;
static atomic_uint steps_answered;

void SetData(const char* text) {
    /* The text is ours only during this call. */
    strncpy(input, text, sizeof input - 1);
}

void Start(void) {
    atomic_fetch_add(&steps_asked, 1);
}

unsigned char IsPause(void) {
    return atomic_load(&steps_answered) == atomic_load(&steps_asked);
}

void GetData(char* buffer) {
    memcpy(buffer, output, sizeof output);
}

static void think(void) {
    const long step = strtol(input, NULL, 10);
    const long phase = step % CYCLE;
    if (phase < DRIVE_STEPS) {
        const int light = (phase / BLINK_STEPS) % 2 == 0 ? MORVANE_LIGHT_RED : MORVANE_LIGHT_OFF;
        snprintf(output, sizeof output, "1*50* 2*50* l3*%d*", light);
    } else {
        snprintf(output, sizeof output, "1*40* 2*-40* l3*%d*", MORVANE_LIGHT_GREEN);
    }
}

void Run(void) {
    unsigned answered = 0;
    for (;;) {
        const unsigned asked = atomic_load(&steps_asked);
        if (asked == answered) {
            /* Nothing to do yet: wait a little without burning the processor. */
            const struct timespec wait = { 0, 100000 };
            nanosleep(&wait, NULL);
            continue;
        }
        think();
        answered = asked;
        atomic_store(&steps_answered, answered);
    }
}
